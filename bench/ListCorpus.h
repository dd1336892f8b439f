#pragma once

// The corpus of the list benchmarks: a home whose song table holds 100,000 songs, and the
// 100,000 tiny files they name below files/, made once and kept; and the floor every list of it
// is measured against.
#include "BenchTiming.h"
#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace ListCorpus {

constexpr int songCount = 100'000;

// ---- The corpus: a home with the song table, and the files below files/ ----

inline QString stampFile(const QString& dir)
{
    return QDir(dir).filePath(QStringLiteral("complete-%1").arg(songCount));
}

inline QString pick(QRandomGenerator& random, const QStringList& words, int from, int to)
{
    QStringList parts;
    const int n = from + int(random.bounded(to - from + 1));
    for (int i = 0; i < n; ++i)
        parts << words.at(int(random.bounded(int(words.size()))));
    return parts.join(QLatin1Char(' '));
}

inline void makeCorpus(const QString& dir)
{
    std::printf("Making the corpus of %d songs in %s ...\n", songCount, qPrintable(dir));
    std::fflush(stdout);
    QDir(dir).removeRecursively();
    const QString home = QDir(dir).filePath(QStringLiteral("home"));
    const QString files = QDir(dir).filePath(QStringLiteral("files"));
    if (!QDir().mkpath(home) || !QDir().mkpath(files))
        throw EInOutError(QStringLiteral("Cannot make %1").arg(dir));
    SongDatabase::createSongTable(QDir(home).filePath(QStringLiteral("tamboro.db")));

    const QStringList words = {
        QStringLiteral("Love"),  QStringLiteral("Night"), QStringLiteral("Rock"),
        QStringLiteral("Blue"),  QStringLiteral("Song"),  QStringLiteral("Heart"),
        QStringLiteral("Dance"), QStringLiteral("Fire"),  QStringLiteral("Dream"),
        QStringLiteral("Road"),  QStringLiteral("Rain"),  QStringLiteral("Gold"),
        QStringLiteral("Motör"), QStringLiteral("Café"),  QStringLiteral("Street"),
        QStringLiteral("Sun"),   QStringLiteral("It's"),  QStringLiteral("#1"),
        QStringLiteral("Live:"), QStringLiteral("Home"),
    };
    QRandomGenerator random(7);
    SongDatabase db(home);
    UQuery uq(db);
    Transaction transaction(db);
    // 2,000 artists with 5 albums of 10 songs each.
    QString artist;
    QString album;
    QString folder;
    for (int i = 0; i < songCount; ++i) {
        if (i % 50 == 0)
            artist = QStringLiteral("%1 %2").arg(pick(random, words, 1, 2)).arg(i / 50);
        if (i % 10 == 0) {
            album = QStringLiteral("%1 %2").arg(pick(random, words, 1, 3)).arg(i / 10 % 5);
            folder = QDir(files).filePath(artist + QLatin1Char('/') + album);
            QDir().mkpath(folder);
        }
        const QString title = pick(random, words, 1, 4);
        const QString path =
            folder +
            QStringLiteral("/%1 - %2.mp3").arg(i % 10 + 1, 2, 10, QLatin1Char('0')).arg(title);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw EInOutError(QStringLiteral("Cannot write %1").arg(path));

        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = TextCodec::reFilter(title);
        song.filename = TextCodec::reFilter(path);
        const int seconds = 90 + int(random.bounded(330));
        song.trackLength = QStringLiteral("0:%1:%2")
                               .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                               .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        song.location = QStringLiteral("Disk!");
        song.genre = QStringLiteral("Rock");
        song.album = TextCodec::reFilter(album);
        song.bitrate = QStringLiteral("128");
        song.frequency = QStringLiteral("44100");
        song.comment = TextCodec::reFilter(QStringLiteral("Track %1").arg(i % 10 + 1));
        song.year = QString::number(1960 + i % 60);
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }
    transaction.commit();
    QFile stamp(stampFile(dir));
    if (!stamp.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Cannot write %1").arg(stampFile(dir)));
}

// ---- The three measured passes ----

struct Totals
{
    int rows = 0;
    int available = 0;
    qint64 seconds = 0;
};

inline void openQuery(RQuery& rq)
{
    rq.close();
    rq.setSql(Statements::selectAllByArtistTitle());
    rq.open();
}

// The least any list of this table must do.
inline Totals floorPass(RQuery& rq)
{
    Totals totals;
    openQuery(rq);
    for (rq.first(); !rq.eof(); rq.next()) {
        ++totals.rows;
        const QString path = TextCodec::filter(rq.field(SongColumn::Filename));
        struct stat info;
        if (::stat(QFile::encodeName(path).constData(), &info) == 0)
            ++totals.available;
        const QStringList parts = rq.field(SongColumn::Track_Length).split(QLatin1Char(':'));
        if (parts.size() == 3)
            totals.seconds +=
                parts[0].toLongLong() * 3600 + parts[1].toLongLong() * 60 + parts[2].toLongLong();
    }
    rq.close();
    return totals;
}

} // namespace ListCorpus
