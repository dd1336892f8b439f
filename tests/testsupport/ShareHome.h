#pragma once

#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "net/ShareCatalogue.h"
#include "testsupport/TempHome.h"

#include <QByteArray>
#include <QString>

// A home for a sharing server's tests: a song table of hard-disk songs whose files lie below
// the home's music folder.
class ShareHome
{
public:
    ShareHome() { SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db"))); }

    QString music(const QString& name) const { return home.file(QStringLiteral("music/") + name); }

    // Adds a song whose file is `path` (plain form), made with `bytes` unless `makeFile` is
    // false; returns the file name as a record carries it, which is what a request names.
    QString addSong(const QString& artist, const QString& title, const QString& path,
                    const QByteArray& bytes = QByteArrayLiteral("ID3"),
                    const QString& comment = QStringLiteral("Fine"), bool makeFile = true)
    {
        if (makeFile)
            writeTestFile(path, bytes);
        Song song{artist,
                  title,
                  path,
                  QStringLiteral("0:03:51"),
                  QStringLiteral("Disk!"),
                  QStringLiteral("Pop"),
                  QStringLiteral("Arrival"),
                  QStringLiteral("128"),
                  QStringLiteral("44100"),
                  comment,
                  QStringLiteral("1976")};
        UQuery uq(db);
        uq.setSql(Statements::insertSong(song.storedForm()));
        uq.execSQL();
        return wireName(path);
    }

    static QString wireName(const QString& plainPath)
    {
        return ShareCatalogue::wireText(TextCodec::reFilter(plainPath));
    }

    TempHome home;
    SongDatabase db{home.path()};
};

// `size` bytes of a pattern that shows a byte out of place.
inline QByteArray patternBytes(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
    return bytes;
}

// The records of a "SEARCHRES$" message (verb included), each as its ten fields.
inline QList<QStringList> resultRecords(const QString& message)
{
    QStringList fields = message.mid(10).split(QLatin1Char('|'));
    fields.removeLast();
    QList<QStringList> records;
    for (qsizetype i = 0; i + 10 <= fields.size(); i += 10)
        records << fields.mid(i, 10);
    return records;
}
