#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

// What a drag of rows out of a list window carries: the rows' song IDs in row order and the
// internal name of the window they came from, under a MIME type of the program's own. Data
// of any other type, or that does not read as such a list, is no drag of songs.
namespace SongDrag {

inline constexpr char MimeType[] = "application/x-tamboro3-songs";

struct Payload
{
    QStringList ids;
    QString source;
};

// Lines of UTF-8 text: one ID per line, then the source window's name.
QMimeData* encode(const Payload& payload);
std::optional<Payload> decode(const QMimeData* data);

} // namespace SongDrag
