#pragma once

#include "app/ColorText.h"

#include <QColor>
#include <QPalette>

namespace ListColors {

// The colour a settings colour number shows as: an RGB number as it is, a system colour as the
// matching colour of `palette` (clWindow the base, clWindowText the text, ...). Invalid for a
// system colour number without a name.
QColor toQColor(TColor color, const QPalette& palette);

} // namespace ListColors
