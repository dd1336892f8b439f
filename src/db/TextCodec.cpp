#include "db/TextCodec.h"
