#pragma once

#include <QString>

// The font of the list windows as the settings keep it: a face name alone.
namespace FontFace {

// The face name of a font family as the desktop lists it. Where one face comes from several
// foundries the desktop tells them apart with a suffix ("Nimbus Mono PS [urw]"); the settings
// keep the face only, so the suffix is cut. Surrounding blanks go too.
QString faceName(const QString& family);

} // namespace FontFace
