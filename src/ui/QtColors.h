#pragma once

#include "settings/ColorText.h"

#include <QColor>
#include <QPalette>

// Turns the colour numbers of the settings into colours for the screen and back. System
// colours follow the application's palette, so "clWindow" is whatever the desktop's window
// background is.
namespace QtColors {

// The colour a number stands for: RGB colours from their low three bytes, the 25 system colours
// from the matching palette role, any other system index black.
QColor toQColor(TColor color, const QPalette& palette);
// The same on the application's palette.
QColor toQColor(TColor color);

// An RGB colour number (never a system colour); the alpha channel is dropped.
TColor fromQColor(const QColor& color);

} // namespace QtColors
