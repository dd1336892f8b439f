#include "db/SongColumn.h"

QString songColumnName(SongColumn column)
{
    static const char* const names[songColumnCount] = {
        "ID",    "Artist",  "Title",     "Filename", "Location", "Track_Length", "Genre",
        "Album", "Bitrate", "Frequency", "Comment",  "SYear",    "Played"};
    return QString::fromLatin1(names[static_cast<int>(column)]);
}

bool isEncodedColumn(SongColumn column)
{
    switch (column) {
    case SongColumn::Artist:
    case SongColumn::Title:
    case SongColumn::Filename:
    case SongColumn::Genre:
    case SongColumn::Album:
    case SongColumn::Comment:
        return true;
    default:
        return false;
    }
}
