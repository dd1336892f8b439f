#pragma once

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/TempHome.h"

#include <gtest/gtest.h>

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
        Statements::SongFields song;
        song.artist = TextCodec::reFilter(artist);
        song.title = TextCodec::reFilter(title);
        song.filename = TextCodec::reFilter(QStringLiteral("/music/") + artist +
                                            QStringLiteral(" - ") + title + QStringLiteral(".mp3"));
        song.trackLength = length;
        song.location = location;
        song.album = TextCodec::reFilter(album);
        uq.setSql(Statements::insertSong(song));
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
