#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class UserListCommandTest : public ::testing::Test
{
protected:
    UserListCommandTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
    }

    CliRun run(const QStringList& args) { return runCli(home.path(), args); }

    void add(const QString& artist, const QString& filename)
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = QStringLiteral("T");
        song.filename = TextCodec::reFilter(filename);
        song.trackLength = QStringLiteral("0:03:00");
        song.location = QStringLiteral("Disk!");
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    TempHome home;
    QTemporaryDir dir;
};

// A list saved from a query opens with the songs, found again after they moved.
TEST_F(UserListCommandTest, SaveThenOpenFindsTheSongs)
{
    add(QStringLiteral("Zappa"), QStringLiteral("/music/z.mp3"));
    add(QStringLiteral("Don't \"Stop\""), QStringLiteral("/music/d'1.mp3"));
    add(QStringLiteral("Abba"), QStringLiteral("/music/a.mp3"));
    const QString file = dir.filePath(QStringLiteral("l.tb3"));

    const CliRun saved = run(
        {"userlist", "save", "--query", "select * from tamboro where artist <> \"Zappa\"", file});
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    EXPECT_EQ(bytes(file), QByteArray("/music/d|11.mp3\r\n/music/a.mp3\r\n"));
    EXPECT_EQ(saved.out, QByteArray("saved: 2\n\n"));

    writeTestFile(file, bytes(file).replace("/music/", "/moved/"));
    const CliRun opened = run({"userlist", "open", "--json", file});
    ASSERT_EQ(opened.exitCode, 0) << opened.err.toStdString();
    const QList<QJsonObject> rows = records(opened.out);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0]["artist"], "Abba");
    EXPECT_EQ(rows[1]["artist"], "Don't \"Stop\"");
    EXPECT_EQ(rows[2]["panels"].toArray().first(), "Songs in list: 2");
}

TEST_F(UserListCommandTest, MistakesAndBadFiles)
{
    const QString file = dir.filePath(QStringLiteral("l.tb3"));
    EXPECT_EQ(run({"userlist", "save", file}).exitCode, 2);
    EXPECT_EQ(run({"userlist", "save", "--query", "delete from tamboro", file}).exitCode, 2);
    EXPECT_EQ(run({"userlist", "open"}).exitCode, 2);

    writeTestFile(file, QByteArray("a\0b", 3));
    const CliRun binary = run({"userlist", "open", file});
    EXPECT_EQ(binary.exitCode, 1);
    EXPECT_TRUE(binary.err.contains("binary data")) << binary.err.toStdString();
    EXPECT_EQ(run({"userlist", "open", dir.filePath(QStringLiteral("none.tb3"))}).exitCode, 1);
}

} // namespace
