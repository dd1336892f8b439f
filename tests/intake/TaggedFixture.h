#pragma once

#include "db/Song.h"

// The song of the fixture tests/data/id3v1/tagged.mp3 as intake reads it (title "Silent
// Night", artist "The Testers", album "Fixtures", year "1999", comment "one second", genre
// 17), stored under `filename`; texts as read, not encoded.
inline Song taggedFixtureSong(const QString& filename)
{
    Song song;
    song.artist = QStringLiteral("The Testers");
    song.title = QStringLiteral("Silent Night");
    song.filename = filename;
    song.trackLength = QStringLiteral("0:00:01");
    song.location = QStringLiteral("Disk!");
    song.genre = QStringLiteral("Rock");
    song.album = QStringLiteral("Fixtures");
    song.bitrate = QStringLiteral("128");
    song.frequency = QStringLiteral("44100");
    song.comment = QStringLiteral("one second");
    song.year = QStringLiteral("1999");
    return song;
}
