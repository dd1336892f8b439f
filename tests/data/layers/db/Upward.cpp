#include "ui/Kit.h"
#include "db/Fine.h"
