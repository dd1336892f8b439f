#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class GuessCommandTest : public ::testing::Test
{
protected:
    GuessCommandTest() { SongDatabase::createSongTable(table()); }

    QString table() const { return home.file(QStringLiteral("tamboro.db")); }
    CliRun run(const QStringList& args) { return runCli(home.path(), args); }

    void add(const QString& artist, const QString& genre)
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = QStringLiteral("Stored Song");
        song.filename = QStringLiteral("/music/stored.mp3");
        song.trackLength = QStringLiteral("0:03:00");
        song.location = QStringLiteral("Disk!");
        song.genre = genre;
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    // An MP3-like file whose tag has an empty artist: exactly what intake would rewrite.
    QString untaggedFile(const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(600, '\xff'));
        file.write(QByteArray("TAG") + QByteArray(124, '\0') + QByteArray(1, '\x0c'));
        return path;
    }

    TempHome home;
    QTemporaryDir dir;
};

TEST_F(GuessCommandTest, JsonRecordPerFileAndNothingWritten)
{
    add(QStringLiteral("Rez Vuvevo"), QStringLiteral("Reggae"));
    const QString full = untaggedFile(QStringLiteral("01 rez vuvevo - Jamming.mp3"));
    const QString partial = untaggedFile(QStringLiteral("Track05.mp3"));
    const QByteArray tableBefore = bytes(table());
    const QByteArray fileBefore = bytes(full);

    const CliRun result = run({QStringLiteral("guess"), QStringLiteral("--json"), full, partial});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> rows = records(result.out);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].value(QStringLiteral("file")).toString(), full);
    EXPECT_EQ(rows[0].value(QStringLiteral("artist")).toString(), QStringLiteral("Rez Vuvevo"));
    EXPECT_EQ(rows[0].value(QStringLiteral("title")).toString(), QStringLiteral("Jamming"));
    EXPECT_EQ(rows[0].value(QStringLiteral("genre")).toString(), QStringLiteral("Reggae"));
    EXPECT_EQ(rows[0].value(QStringLiteral("kind")).toString(), QStringLiteral("full"));
    EXPECT_EQ(rows[1].value(QStringLiteral("artist")).toString(), QStringLiteral("Unknown"));
    EXPECT_EQ(rows[1].value(QStringLiteral("title")).toString(), QStringLiteral("Track05"));
    EXPECT_EQ(rows[1].value(QStringLiteral("genre")).toString(), QStringLiteral("Other"));
    EXPECT_EQ(rows[1].value(QStringLiteral("kind")).toString(), QStringLiteral("partial"));

    EXPECT_EQ(bytes(full), fileBefore);
    EXPECT_EQ(bytes(table()), tableBefore);
}

TEST_F(GuessCommandTest, PlainTextIsOneLinePerFile)
{
    const CliRun result = run({QStringLiteral("guess"), QStringLiteral("/m/Band-Song.mp3"),
                               QStringLiteral("/m/Rez Vuvevo -Jamming.wma")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QByteArray("file: /m/Band-Song.mp3\tartist: Band\ttitle: Song\t"
                                     "genre: Other\tkind: full\n"
                                     "file: /m/Rez Vuvevo -Jamming.wma\tartist: Rez Vuvevo \t"
                                     "title: Jamming\tgenre: Other\tkind: full\n"));
}

// A relative name is a file of the current folder, so a colon or backslash in it is part of
// the name; a Windows path keeps its folder rule.
TEST_F(GuessCommandTest, RelativeAndWindowsNames)
{
    const CliRun result =
        run({QStringLiteral("guess"), QStringLiteral("--json"),
             QStringLiteral("Live: 1999 - Song.mp3"), QStringLiteral("C:\\Music\\A - B.mp3"),
             QStringLiteral("AC\\DC - Song.mp3"), QStringLiteral("/music/AC\\DC - Song.mp3")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> rows = records(result.out);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].value(QStringLiteral("file")).toString(),
              QStringLiteral("Live: 1999 - Song.mp3"));
    EXPECT_EQ(rows[0].value(QStringLiteral("artist")).toString(), QStringLiteral("Live: 1999"));
    EXPECT_EQ(rows[1].value(QStringLiteral("artist")).toString(), QStringLiteral("A"));
    EXPECT_EQ(rows[1].value(QStringLiteral("title")).toString(), QStringLiteral("B"));
    for (int i : {2, 3}) {
        EXPECT_EQ(rows[i].value(QStringLiteral("artist")).toString(), QStringLiteral("AC\\DC"));
        EXPECT_EQ(rows[i].value(QStringLiteral("title")).toString(), QStringLiteral("Song"));
    }
}

TEST_F(GuessCommandTest, ErrorsAreReported)
{
    CliRun result = run({QStringLiteral("guess")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains("Usage")) << result.err.toStdString();

    result = run({QStringLiteral("guess"), QStringLiteral("--artist"), QStringLiteral("x.mp3")});
    EXPECT_EQ(result.exitCode, 2);

    // No song table: an error before any output, even for names that need no look-up, and no
    // table is made.
    ASSERT_TRUE(QFile::remove(table()));
    result = run({QStringLiteral("guess"), QStringLiteral("/m/Track05.mp3")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_TRUE(result.err.contains("tamboro.db")) << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(table()));
}

} // namespace
