#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "intake/TagTestFiles.h"
#include "intake/TaggedFixture.h"
#include "testsupport/CaseNames.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// The fixture "tagged.mp3" holds title "Silent Night", artist "The Testers", album "Fixtures",
// year "1999", comment "one second", genre 17 (Rock).
const QByteArray taggedFixture = fixtureBytes(QStringLiteral("tagged.mp3"));

// `retag` on a home whose songs are files of a temporary folder, stored as intake stores the
// fixture; the songs are numbered from 1 in the order they are added.
class RetagCommandTest : public ::testing::Test
{
protected:
    RetagCommandTest() { SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db"))); }

    // Adds songs for the files `paths` in one transaction: the kill test adds a thousand.
    void addSongs(const QStringList& filePaths, const QString& artist = "The Testers")
    {
        SongDatabase db(home.path());
        Transaction transaction(db);
        UQuery uq(db);
        for (const QString& file : filePaths) {
            Song song = taggedFixtureSong(file);
            song.artist = artist;
            uq.setSql(Statements::insertSong(song.storedForm()));
            uq.execSQL();
            paths << file;
        }
        transaction.commit();
    }

    // Tagged copies of the fixture with their songs.
    void addTaggedSongs(int count, const QString& artist = "The Testers")
    {
        QStringList added;
        for (int i = 0; i < count; ++i)
            added << files.copy(QStringLiteral("tagged.mp3"),
                                QStringLiteral("song%1.mp3").arg(paths.size() + i + 1));
        addSongs(added, artist);
    }

    // Every row, by ID.
    QList<Song> rows()
    {
        SongDatabase db(home.path());
        RQuery rq(db);
        rq.setSql(Statements::selectAllById());
        rq.open();
        QList<Song> songs;
        for (rq.first(); !rq.eof(); rq.next())
            songs << songFromRecord(rq);
        rq.close();
        return songs;
    }

    CliRun run(const QStringList& args) { return runCli(home.path(), QStringList{"retag"} + args); }

    TempHome home;
    TagTestFiles files;
    QStringList paths; // of songs 1, 2, ...
};

// ---- The songs chosen, by IDs or by a select statement ----

struct SelectionCase
{
    const char* name;
    QStringList args; // choosing songs 3 and 1 of the three, in this order
};

void PrintTo(const SelectionCase& c, std::ostream* os)
{
    *os << c.name;
}

class RetagCommandSelects : public RetagCommandTest,
                            public ::testing::WithParamInterface<SelectionCase>
{};

// Song 1 has a file without a tag, song 2 is by another artist and not chosen, song 3 is tagged.
// The chosen songs change in the statement's order, in the table in stored form and in the tag
// as typed; fields not given keep their values in both; the audio stays.
TEST_P(RetagCommandSelects, ChangesTheGivenFieldsOfTheChosenSongs)
{
    const QByteArray untagged = bytes(testDataPath(QStringLiteral("id3v1/untagged.mp3")));
    addSongs({files.write(QStringLiteral("untagged.mp3"), untagged)});
    addTaggedSongs(1, QStringLiteral("Someone Else"));
    addTaggedSongs(1);
    const QList<Song> before = rows();
    writeTestFile(home.file(QStringLiteral("Artists.dat")), "The Testers\r\n");

    const CliRun result =
        run(GetParam().args + QStringList{"--json", "--artist", "Guns N' Roses", "--album",
                                          "\"Live\"", "--genre", "Jazz", "--year", "2020"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> out = records(result.out);
    ASSERT_EQ(out.size(), 3) << result.out.toStdString();
    EXPECT_EQ(out[0]["id"].toString(), "3");
    EXPECT_EQ(out[0]["file"].toString(), paths[2]);
    EXPECT_EQ(out[0]["tag"].toString(), "written");
    EXPECT_EQ(out[0]["reason"].toString(), "");
    EXPECT_EQ(out[1]["id"].toString(), "1");
    EXPECT_EQ(out[1]["file"].toString(), paths[0]);
    EXPECT_EQ(out[1]["tag"].toString(), "left alone");
    EXPECT_FALSE(out[1]["reason"].toString().isEmpty());
    EXPECT_EQ(out[2]["songs"].toInt(), 2);
    EXPECT_EQ(out[2]["changed"].toInt(), 2);
    EXPECT_EQ(out[2]["tags written"].toInt(), 1);
    EXPECT_EQ(out[2]["tags left alone"].toInt(), 1);

    const QList<Song> after = rows();
    ASSERT_EQ(after.size(), 3);
    for (const int chosen : {0, 2}) {
        Song expected = before[chosen];
        expected.artist = QStringLiteral("Guns N|1 Roses");
        expected.album = QStringLiteral("|2Live|2");
        expected.genre = QStringLiteral("Jazz");
        expected.year = QStringLiteral("2020");
        EXPECT_EQ(after[chosen], expected);
    }
    EXPECT_EQ(after[1], before[1]);

    EXPECT_EQ(bytes(paths[0]), untagged);
    EXPECT_EQ(bytes(paths[1]), taggedFixture);
    const QByteArray retagged = bytes(paths[2]);
    ASSERT_EQ(retagged.size(), taggedFixture.size());
    EXPECT_EQ(retagged.chopped(128), taggedFixture.chopped(128)) << "audio";
    EXPECT_EQ(retagged.right(128),
              makeTagBlock("Silent Night", "Guns N' Roses", "\"Live\"", "2020", "one second", 8));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("Artists.dat"))));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RetagCommandSelects,
    ::testing::Values(SelectionCase{"IDs", {"--ids", "3, 1"}},
                      SelectionCase{"select statement",
                                    {"--query", "select * from tamboro where artist=\"The "
                                                "Testers\" order by ID desc"}}),
    RowName());

// ---- Refused before the first song ----

struct RefusedCase
{
    const char* name;
    QStringList args;
    int exitCode;
    const char* error; // a part of the error text
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

class RetagCommandRefused : public RetagCommandTest,
                            public ::testing::WithParamInterface<RefusedCase>
{};

TEST_P(RetagCommandRefused, WritesNothing)
{
    const RefusedCase& c = GetParam();
    addTaggedSongs(2);
    const QList<Song> before = rows();

    const CliRun result = run(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_TRUE(result.err.contains(c.error)) << result.err.toStdString();
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(rows(), before);
    for (const QString& path : paths)
        EXPECT_EQ(bytes(path), taggedFixture);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RetagCommandRefused,
    ::testing::Values(
        RefusedCase{"no field given", {"--ids", "1,2"}, 2, "at least one parameter"},
        RefusedCase{"IDs and a query",
                    {"--ids", "1", "--query", "select * from tamboro", "--album", "X"},
                    2,
                    "retag takes --ids"},
        RefusedCase{"neither IDs nor a query", {"--album", "X"}, 2, "retag takes --ids"},
        RefusedCase{"song ID as a plain argument", {"1", "--album", "X"}, 2, "retag takes --ids"},
        RefusedCase{"genre the re-tagger does not offer",
                    {"--ids", "1,2", "--genre", "Folk-Rock"},
                    2,
                    "Folk-Rock is not one of the re-tagger's genres"},
        RefusedCase{"title, which the re-tagger does not set",
                    {"--ids", "1,2", "--title", "X"},
                    2,
                    "--title"},
        RefusedCase{"query that deletes",
                    {"--query", "delete from tamboro", "--album", "X"},
                    2,
                    "--query must be a select statement"},
        RefusedCase{
            "ID that is no number", {"--ids", "1,two", "--album", "X"}, 2, "two is no song ID"},
        RefusedCase{
            "year with a double quote", {"--ids", "1,2", "--year", "19\"9"}, 1, "double quote"}),
    RowName());

// ---- A tag that cannot be written ----

// The run stops at the read-only file: the songs before it are changed in table and tag, it and
// the songs after it in neither, and the figures say so before the error.
TEST_F(RetagCommandTest, ReadOnlyFileStopsTheRunWithEverySongWholeOnEitherSide)
{
    addTaggedSongs(4);
    ReadOnlyFile readOnly(paths[2]);
    if (readOnly.stillWritable())
        GTEST_SKIP() << "the file system lets this user write a read-only file";

    const CliRun result = run({"--json", "--ids", "1,2,3,4", "--album", "Gold"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("stopped at")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(paths[2].toUtf8())) << result.err.toStdString();
    const QList<QJsonObject> out = records(result.out);
    ASSERT_EQ(out.size(), 4) << result.out.toStdString();
    EXPECT_EQ(out[1]["tag"].toString(), "written");
    EXPECT_EQ(out[2]["id"].toString(), "3");
    EXPECT_EQ(out[2]["tag"].toString(), "failed");
    EXPECT_FALSE(out[2]["reason"].toString().isEmpty());
    EXPECT_EQ(out[3]["songs"].toInt(), 4);
    EXPECT_EQ(out[3]["changed"].toInt(), 2);
    EXPECT_EQ(out[3]["tags written"].toInt(), 2);

    const QList<Song> after = rows();
    ASSERT_EQ(after.size(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i + 1);
        const bool changed = i < 2;
        EXPECT_EQ(after[i].album, changed ? "Gold" : "Fixtures");
        EXPECT_EQ(bytes(paths[i]).right(128), changed
                                                  ? makeTagBlock("Silent Night", "The Testers",
                                                                 "Gold", "1999", "one second", 17)
                                                  : taggedFixture.right(128));
    }
}

// ---- Killed half-way ----

// A run killed at any moment leaves every song changed in both its row and its tag or in
// neither, but the one song being written at that moment.
TEST_F(RetagCommandTest, KilledRunLeavesEachSongWholeButTheOneInHand)
{
    // Long names make long records: the pipe to this test (64 KiB) then holds no more than
    // about two hundred of them, and a run this test does not read from blocks there. So the
    // kill lands mid-run however fast the machine is: when it comes, the run can be no further
    // than the records read plus two pipes full, well short of the last song.
    const QString folder = QString(120, QLatin1Char('f'));
    QDir(files.path(QString())).mkpath(folder);
    QStringList songFiles;
    for (int i = 1; i <= 1000; ++i)
        songFiles << files.write(folder + QStringLiteral("/song %1 ").arg(i, 4, 10, QChar('0')) +
                                     QString(110, QLatin1Char('s')) + QStringLiteral(".mp3"),
                                 taggedFixture);
    addSongs(songFiles);

    QProcess process;
    process.start(QStringLiteral(T3_BINARY_DIR "/bin/tamboro3-cli"),
                  {"--home", home.path(), "retag", "--json", "--query",
                   "select * from tamboro order by ID", "--album", "Changed"});
    ASSERT_TRUE(process.waitForStarted()) << process.errorString().toStdString();
    QByteArray out;
    while (out.count('\n') < 300 && process.waitForReadyRead(60000))
        out += process.readAllStandardOutput();
    process.kill();
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitStatus(), QProcess::CrashExit) << "the run ended before the kill";

    // Every song reported was committed with its tag written.
    const QList<QJsonObject> reported = records(out.left(out.lastIndexOf('\n') + 1));
    ASSERT_GE(reported.size(), 300) << process.readAllStandardError().toStdString();
    for (int i = 0; i < reported.size(); ++i) {
        EXPECT_EQ(reported[i]["id"].toString(), QString::number(i + 1));
        EXPECT_EQ(reported[i]["tag"].toString(), "written");
    }

    const QList<Song> after = rows();
    ASSERT_EQ(after.size(), 1000);
    const QByteArray changedSlot = QByteArray("Changed").leftJustified(30, ' ');
    int rowsChanged = 0, tagsChanged = 0;
    QList<int> differingSongs;
    for (int i = 0; i < after.size(); ++i) {
        const bool rowChanged = after[i].album == "Changed";
        const bool tagChanged = bytes(songFiles[i]).right(128).mid(63, 30) == changedSlot;
        if (rowChanged != tagChanged)
            differingSongs << i + 1;
        // The run goes by ID: the songs changed come first.
        if (rowChanged) {
            EXPECT_EQ(rowsChanged++, i) << "song " << i + 1 << " changed after one that was not";
        }
        if (tagChanged) {
            EXPECT_EQ(tagsChanged++, i) << "tag " << i + 1 << " changed after one that was not";
        }
    }
    EXPECT_LE(differingSongs.size(), 1)
        << "songs changed in only one of row and tag: " << ::testing::PrintToString(differingSongs);
    EXPECT_GE(rowsChanged, reported.size());
    EXPECT_LT(rowsChanged, 1000);
}

} // namespace
