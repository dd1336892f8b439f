#pragma once

#include <QString>

// The track length text of the song table: h:mm:ss, hours without a leading zero.
namespace TrackLength {

// The text stored for a play length in milliseconds. Half a second is taken off before whole
// seconds are counted, so 3 min 45.4 s gives 0:03:44 and anything under half a second 0:00:00.
// Throws EConvertError for 24 hours or more, which has no such text.
QString fromMilliseconds(qint64 milliseconds);

} // namespace TrackLength
