#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Songs 1 and 2 have files of one name in two folders; song 3's file is gone.
class CopyCommandTest : public ::testing::Test
{
protected:
    CopyCommandTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        first = writeTestFile(dir.filePath(QStringLiteral("a/Song.mp3")), "first");
        second = writeTestFile(dir.filePath(QStringLiteral("b/Song.mp3")), "second");
        gone = dir.filePath(QStringLiteral("c/Gone.mp3"));
        add(QStringLiteral("A"), first);
        add(QStringLiteral("B"), second);
        add(QStringLiteral("C"), gone);
        QDir(dir.path()).mkpath(QStringLiteral("dest"));
        dest = dir.filePath(QStringLiteral("dest"));
    }

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
    CliRun run(const QStringList& args) { return runCli(home.path(), args); }
    QString target(const char* name) const { return QDir(dest).filePath(QLatin1String(name)); }

    TempHome home;
    QTemporaryDir dir;
    QString first, second, gone, dest;
};

TEST_F(CopyCommandTest, sameNamesBothArriveInTheOrderOfTheIds)
{
    const CliRun copied = run({"copy", "--ids", "2,1", dest});

    ASSERT_EQ(copied.exitCode, 0) << copied.err.toStdString();
    EXPECT_EQ(bytes(target("Song.mp3")), "second");
    EXPECT_EQ(bytes(target("Song (2).mp3")), "first");
    EXPECT_EQ(QString::fromUtf8(copied.out),
              QStringLiteral("copied %1 -> %2\ncopied %3 -> %4\n"
                             "songs: 2\ncopied: 2 (11 bytes)\nskipped: 0\nmissing: 0\nfailed: 0\n")
                  .arg(second, target("Song.mp3"), first, target("Song (2).mp3")));
}

TEST_F(CopyCommandTest, aMissingFileIsNamedAndFailsTheRun)
{
    const CliRun copied = run({"copy", "--query", "select * from tamboro", dest});

    EXPECT_EQ(copied.exitCode, 1);
    EXPECT_TRUE(copied.out.contains(("missing " + gone + "\n").toUtf8())) << copied.out.data();
    EXPECT_TRUE(copied.out.contains("copied: 2 (11 bytes)\n")) << copied.out.data();
    EXPECT_EQ(copied.err, "1 song could not be copied.\n");
    EXPECT_EQ(QDir(dest).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(CopyCommandTest, anExistingFileIsKeptUnlessReplaceIsGiven)
{
    writeTestFile(target("Song.mp3"), "old");

    for (const QStringList& answer : {QStringList{}, QStringList{"--skip"}}) {
        const CliRun kept = run(QStringList{"copy", "--ids", "1"} + answer + QStringList{dest});
        EXPECT_EQ(kept.exitCode, 0) << kept.err.toStdString();
        EXPECT_TRUE(kept.out.startsWith(QStringLiteral("skipped %1 (%2 is there already)\n")
                                            .arg(first, target("Song.mp3"))
                                            .toUtf8()))
            << kept.out.data();
        EXPECT_EQ(bytes(target("Song.mp3")), "old");
    }

    const CliRun replaced = run({"copy", "--ids", "1", "--replace", dest});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err.toStdString();
    EXPECT_EQ(bytes(target("Song.mp3")), "first");
}

TEST_F(CopyCommandTest, mistakesAreRefused)
{
    EXPECT_EQ(run({"copy", "--ids", "1"}).exitCode, 2);
    EXPECT_EQ(run({"copy", dest}).exitCode, 2);
    EXPECT_EQ(run({"copy", "--ids", "1", "--replace", "--skip", dest}).exitCode, 2);
    EXPECT_EQ(run({"copy", "--query", "delete from tamboro", dest}).exitCode, 2);

    const CliRun noFolder = run({"copy", "--ids", "1", dir.filePath(QStringLiteral("nowhere"))});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(noFolder.err.contains("does not exist")) << noFolder.err.data();

    const CliRun noSong = run({"copy", "--ids", "1,99", dest});
    EXPECT_EQ(noSong.exitCode, 1);
    EXPECT_TRUE(noSong.err.contains("No song has the ID 99.")) << noSong.err.data();
    EXPECT_EQ(bytes(target("Song.mp3")), "first");
}

} // namespace
