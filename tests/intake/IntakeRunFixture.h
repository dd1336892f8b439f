#pragma once

#include "db/SongTableFixture.h"
#include "intake/IntakeRun.h"
#include "intake/TagTestFiles.h"
#include "player/TMPEGPlayer.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Real MP3 and WMA files for the add run, made from the committed fixtures.
namespace IntakeFiles {

// The 1 s, 8 kbit/s MPEG-2.5 fixture cut into its 72-byte frames; frame 0 is the Info header.
inline QList<QByteArray> silentFrames()
{
    const QByteArray bytes = fixtureBytes(QStringLiteral("untagged.mp3"));
    QList<QByteArray> frames;
    for (qsizetype at = 0; at + 72 <= bytes.size(); at += 72)
        frames << bytes.mid(at, 72);
    return frames;
}

// An MP3 stream of `count` frames of 72 ms each and no header frame, so its length is
// count * 72 ms exactly: the real first frames, then copies of a later one.
inline QByteArray mp3OfFrames(int count)
{
    const QList<QByteArray> frames = silentFrames();
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += frames.at(std::min(1 + i, int(frames.size()) - 1));
    return out;
}

// The untagged 1 s fixture.
inline QByteArray untaggedMp3()
{
    return fixtureBytes(QStringLiteral("untagged.mp3"));
}

inline QByteArray taggedMp3(const QByteArray& artist, const QByteArray& title, quint8 genre = 17,
                            const QByteArray& album = "Album", const QByteArray& year = "1999",
                            const QByteArray& comment = "Note")
{
    return untaggedMp3() + makeTagBlock(title, artist, album, year, comment, genre);
}

inline QByteArray taggedWma()
{
    return readFileBytes(testDataPath(QStringLiteral("intake/tagged.wma")));
}

// The WMA fixture with its header's play duration set so that it reports `milliseconds`.
inline QByteArray wmaOfLength(qint64 milliseconds)
{
    QByteArray bytes = taggedWma();
    // File Properties Object: the play duration (100 ns units) at 64, the preroll (ms) at 80;
    // the length a reader reports is the duration less the preroll.
    static const QByteArray filePropertiesId =
        QByteArray::fromHex("A1DCAB8C47A9CF118EE400C00C205365");
    const qsizetype object = bytes.indexOf(filePropertiesId);
    EXPECT_GE(object, 0);
    const auto readU64 = [&](qsizetype at) {
        quint64 value = 0;
        for (int i = 7; i >= 0; --i)
            value = value << 8 | quint8(bytes[at + i]);
        return value;
    };
    const quint64 preroll = readU64(object + 80);
    quint64 duration = (quint64(milliseconds) + preroll) * 10000;
    for (int i = 0; i < 8; ++i, duration >>= 8)
        bytes[object + 64 + i] = char(duration & 0xff);
    return bytes;
}

} // namespace IntakeFiles

// A song table in a home that holds the decoder library, a folder for the files to add, and the
// add run itself.
class IntakeRunFixture : public SongTableFixture
{
protected:
    IntakeRunFixture()
    {
        EXPECT_TRUE(QFile::copy(QStringLiteral(T3_MPEGDLL_PATH),
                                home.file(QLatin1String(TMPEGPlayer::LibraryFileName))));
        options.mediumName = QStringLiteral("Disk");
    }

    // Writes a file into the music folder and returns its full name.
    QString file(const QString& name, const QByteArray& bytes) { return files.write(name, bytes); }

    IntakeResult add(const QStringList& queue)
    {
        IntakeRun run(db, home.path(), options);
        return run.run(queue);
    }

    // The table's rows in insert order, each column as text.
    QList<QStringList> rows()
    {
        rq.close();
        rq.setSql(QStringLiteral("select * from tamboro order by ID"));
        rq.open();
        QList<QStringList> result;
        for (rq.first(); !rq.eof(); rq.next()) {
            QStringList row;
            for (int c = 1; c < songColumnCount; ++c)
                row << rq.field(SongColumn(c));
            result << row;
        }
        rq.close();
        return result;
    }
    QStringList columnOfAll(SongColumn which)
    {
        return column(QStringLiteral("select * from tamboro order by ID"), which);
    }

    TagTestFiles files;
    IntakeOptions options;
};

// What a run must never change about a file: its bytes, its permissions, its modification time.
struct FileState
{
    QByteArray bytes;
    QFile::Permissions permissions;
    QDateTime modified;

    static FileState of(const QString& path)
    {
        const QFileInfo info(path);
        return {readFileBytes(path), info.permissions(),
                info.fileTime(QFileDevice::FileModificationTime)};
    }
    bool operator==(const FileState&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ReportRow& row)
{
    return out << "{" << int(row.picture) << ", " << row.artist.toStdString() << ", "
               << row.title.toStdString() << ", " << row.fileName.toStdString()
               << (row.reason.isEmpty() ? "" : ", ") << row.reason.toStdString() << "}";
}

inline std::ostream& operator<<(std::ostream& out, const IntakeFigures& f)
{
    return out << "{added " << f.added << ", doubles " << f.doubles << ", bad " << f.bad
               << ", total " << f.total << ", full " << f.full << ", partial " << f.partial << "}";
}
