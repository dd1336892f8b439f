#pragma once

// Three songs for the tests of playing through the user's player: IDs 1 to 3, artists Abba,
// Beatles and Queen with titles that sort the other way round (Zebra, Yak, Xerus), played 0, 4
// and 9 times, their files in a temporary folder of their own.
#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

struct PlayedSongs
{
    explicit PlayedSongs(const QString& home)
        : home(home)
    {
        SongDatabase::createSongTable(QDir(home).filePath(QStringLiteral("tamboro.db")));
        SongDatabase db(home);
        UQuery uq(db);
        const char* artists[] = {"Abba", "Beatles", "Queen"};
        const char* titles[] = {"Zebra", "Yak", "Xerus"};
        const int played[] = {0, 4, 9};
        for (int i = 0; i < 3; ++i) {
            const QString path =
                QDir(dir.path()).filePath(QString::fromLatin1(artists[i]) + ".mp3");
            writeTestFile(path, "ID3");
            paths << path;
            Song song;
            song.artist = QString::fromLatin1(artists[i]);
            song.title = QString::fromLatin1(titles[i]);
            song.filename = path;
            song.trackLength = QStringLiteral("0:00:01");
            song.location = QStringLiteral("Disk!");
            uq.setSql(Statements::insertSong(song.storedForm()));
            uq.execSQL();
            uq.setSql(Statements::updatePlayed(played[i], QString::number(i + 1)));
            uq.execSQL();
        }
    }

    // The play counts of the table, by ID.
    QStringList playCounts() const
    {
        SongDatabase db(home);
        RQuery rq(db);
        rq.setSql(Statements::selectAllById());
        rq.open();
        QStringList counts;
        for (rq.first(); !rq.eof(); rq.next())
            counts << rq.field(SongColumn::Played);
        return counts;
    }

    // The hand-off playlist of the songs `songs` (0 to 2), in that order.
    QByteArray playlistOf(const std::vector<int>& songs) const
    {
        QByteArray text;
        for (int song : songs)
            text += paths[song].toUtf8() + "\r\n";
        return text;
    }

    QString home;
    QTemporaryDir dir;
    QStringList paths;
};
