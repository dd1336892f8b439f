#pragma once

#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/TempHome.h"

#include <gtest/gtest.h>

// A song in a failure message, column by column.
inline void PrintTo(const Song& song, std::ostream* os)
{
    const QString fields[] = {song.id,       song.artist,      song.title,   song.filename,
                              song.location, song.trackLength, song.genre,   song.album,
                              song.bitrate,  song.frequency,   song.comment, song.year,
                              song.played};
    *os << '{';
    for (const QString& field : fields)
        *os << (&field == fields ? "" : ", ") << '"' << field.toStdString() << '"';
    *os << '}';
}

// A fresh home with an empty song table and the two query objects on it.
class SongTableFixture : public ::testing::Test
{
protected:
    SongTableFixture() { SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db"))); }

    // Adds a song the way intake does: text values encoded, then the insert statement.
    void addSong(const QString& artist, const QString& title,
                 const QString& location = QStringLiteral("Disk!"),
                 const QString& album = QString(),
                 const QString& length = QStringLiteral("0:03:00"))
    {
        Song song;
        song.artist = artist;
        song.title = title;
        song.filename = QStringLiteral("/music/") + artist + QStringLiteral(" - ") + title +
                        QStringLiteral(".mp3");
        song.trackLength = length;
        song.location = location;
        song.album = album;
        uq.setSql(Statements::insertSong(song.storedForm()));
        uq.execSQL();
    }

    // Opens `statement` and returns the given column of every row, in order.
    QStringList column(const QString& statement, SongColumn which = SongColumn::Artist)
    {
        rq.close();
        rq.setSql(statement);
        rq.open();
        QStringList values;
        for (rq.first(); !rq.eof(); rq.next())
            values << rq.field(which);
        return values;
    }

    TempHome home;
    SongDatabase db{home.path()};
    RQuery rq{db};
    UQuery uq{db};
};
