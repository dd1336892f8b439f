#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "testsupport/CliOutput.h"
#include "testsupport/ParadoxWriter.h"
#include "testsupport/TempHome.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

Song removableSong(const QString& artist, const QString& location)
{
    Song song;
    song.artist = artist;
    song.title = QStringLiteral("Title");
    song.filename = QStringLiteral("F:\\") + artist + QStringLiteral(".mp3");
    song.location = location;
    song.trackLength = QStringLiteral("0:04:00");
    song.played = QStringLiteral("4");
    return song;
}

class ImportCommandTest : public ::testing::Test
{
protected:
    ImportCommandTest() { SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db"))); }

    QStringList locations()
    {
        SongDatabase db(home.path());
        RQuery rq(db);
        rq.setSql(Statements::selectAllById());
        rq.open();
        QStringList result;
        for (rq.first(); !rq.eof(); rq.next())
            result << rq.field(SongColumn::Location) + QLatin1Char('/') +
                          rq.field(SongColumn::Played);
        return result;
    }

    TempHome home;
    QTemporaryDir other;
};

TEST_F(ImportCommandTest, PrintsTheSongsImportedFromEitherKindOfTable)
{
    const QList<Song> rows = {removableSong(QStringLiteral("B"), QStringLiteral("CD1@")),
                              removableSong(QStringLiteral("A"), QStringLiteral("Disk!")),
                              removableSong(QStringLiteral("C"), QStringLiteral("Share R"))};
    const QString windows = other.filePath(QStringLiteral("TAMBORO.DB"));
    writeParadoxSongTable(windows, rows);
    const QString ours = other.filePath(QStringLiteral("tamboro.db"));
    SongDatabase::createSongTable(ours);
    {
        SongDatabase db(other.path());
        UQuery uq(db);
        uq.setSql(Statements::insertSong(rows[0]));
        uq.execSQL();
    }

    const CliRun fromWindows = runCli(home.path(), {QStringLiteral("import"), windows});
    EXPECT_EQ(fromWindows.exitCode, 0) << fromWindows.err.toStdString();
    EXPECT_TRUE(fromWindows.out.contains("kind: windows\n")) << fromWindows.out.toStdString();
    EXPECT_TRUE(fromWindows.out.contains("imported: 2\n")) << fromWindows.out.toStdString();
    const CliRun fromOurs = runCli(home.path(), {QStringLiteral("import"), ours});
    EXPECT_EQ(fromOurs.exitCode, 0) << fromOurs.err.toStdString();
    EXPECT_TRUE(fromOurs.out.contains("kind: tamboro3\nimported: 1\n"))
        << fromOurs.out.toStdString();
    EXPECT_EQ(locations(), (QStringList{"CD1@/4", "Share R/4", "CD1@/0"}));
}

TEST_F(ImportCommandTest, ABadFileFailsWithItsReasonAndImportsNothing)
{
    const QString path = writeTestFile(other.filePath(QStringLiteral("notes.db")), "just text\n");
    const CliRun run = runCli(home.path(), {QStringLiteral("import"), path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("is not a song table")) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(locations().isEmpty());

    const CliRun missing =
        runCli(home.path(), {QStringLiteral("import"), other.filePath(QStringLiteral("gone.db"))});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("does not exist")) << missing.err.toStdString();
    EXPECT_EQ(runCli(home.path(), {QStringLiteral("import")}).exitCode, 2);
}

} // namespace
