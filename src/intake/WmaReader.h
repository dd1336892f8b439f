#pragma once

#include "db/Song.h"

#include <QString>

// ReadWMA: the values the song table takes from a WMA file, through TagLib's ASF reader.
namespace WmaReader {

// Why the file must not be read (AsfShape: its header is damaged in a way that would keep
// TagLib busy far beyond the file's size); empty when it may. A file that cannot be opened
// gives no reason here: `read` reports it.
QString headerProblem(const QString& fileName);

// Artist, title, album, comment and genre from the tag, length, bit rate and sampling rate
// from the stream; no year. The file is opened for reading only. Throws EInOutError when it
// cannot be opened or is no WMA file.
Song read(const QString& fileName);

} // namespace WmaReader
