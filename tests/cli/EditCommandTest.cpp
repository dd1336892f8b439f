#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "testsupport/CaseNames.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// `edit` on a home whose song 1 is a copy of the fixture "tagged.mp3" (or other bytes), stored
// with a year longer than a tag holds.
class EditCommandTest : public ::testing::Test
{
protected:
    EditCommandTest() { SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db"))); }

    void addSong(const QByteArray& content)
    {
        path = writeTestFile(dir.filePath(QStringLiteral("Live: 1999.mp3")), content);
        Song song{.artist = "The Testers",
                  .title = "Silent Night",
                  .filename = path,
                  .trackLength = "0:00:01",
                  .location = "Disk!",
                  .genre = "Folk-Rock",
                  .album = "Fixtures",
                  .bitrate = "128",
                  .frequency = "44100",
                  .comment = "one second",
                  .year = "2001-05-03"};
        SongDatabase db(home.path());
        UQuery uq(db);
        uq.setSql(Statements::insertSong(song.storedForm()));
        uq.execSQL();
    }
    void addTaggedSong() { addSong(bytes(testDataPath(QStringLiteral("id3v1/tagged.mp3")))); }

    Song row()
    {
        SongDatabase db(home.path());
        RQuery rq(db);
        rq.setSql(Statements::selectById(QStringLiteral("1")));
        rq.open();
        rq.first();
        return songFromRecord(rq);
    }

    CliRun run(const QStringList& args) { return runCli(home.path(), args); }

    TempHome home;
    QTemporaryDir dir;
    QString path;
};

// Fields not given keep their stored values whole: the long year, the genre the pick list
// does not carry (whose number the tag gets), the file name with its colon.
TEST_F(EditCommandTest, ChangesTheGivenFieldsOnly)
{
    addTaggedSong();
    const Song before = row();
    writeTestFile(home.file(QStringLiteral("Artists.dat")), "The Testers\r\n");

    const CliRun result = run({"edit", "--json", "1", "--title", "Say \"when\"", "--comment",
                               "recorded live at the harbour, second night"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> out = records(result.out);
    ASSERT_EQ(out.size(), 1) << result.out.toStdString();
    EXPECT_EQ(out[0]["id"].toString(), "1");
    EXPECT_EQ(out[0]["file"].toString(), path);
    EXPECT_EQ(out[0]["tag"].toString(), "written");
    EXPECT_EQ(out[0]["reason"].toString(), "");

    Song expected = before;
    expected.title = QStringLiteral("Say |2when|2");
    expected.comment = QStringLiteral("recorded live at the harbour, second night");
    EXPECT_EQ(row(), expected);
    EXPECT_EQ(row().year, "2001-05-03");
    EXPECT_EQ(row().filename, "/" + path.mid(1).replace(":", "|5"));

    const QByteArray tag = bytes(path).right(128);
    EXPECT_EQ(tag.mid(3, 30), QByteArray("Say \"when\"").leftJustified(30, ' '));
    EXPECT_EQ(tag.mid(93, 4), "2001");
    EXPECT_EQ(tag.mid(97, 30), "recorded live at the harbour, ");
    EXPECT_EQ(quint8(tag.at(127)), 81) << "Folk-Rock";
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("Artists.dat"))));
}

TEST_F(EditCommandTest, FileWithoutATagKeepsItsBytesWhileTheRowChanges)
{
    const QByteArray untagged = bytes(testDataPath(QStringLiteral("id3v1/untagged.mp3")));
    addSong(untagged);
    const CliRun result = run({"edit", "1", "--artist", "Someone", "--genre", "Fast-Fusion"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("tag: left alone")) << result.out.toStdString();
    EXPECT_EQ(row().artist, "Someone");
    EXPECT_EQ(row().genre, "Fast-Fusion");
    EXPECT_EQ(bytes(path), untagged);
}

TEST_F(EditCommandTest, TagThatCannotBeWrittenFailsAfterTheRowChanged)
{
    addSong("TAG tiny");
    const CliRun result = run({"edit", "1", "--title", "Holy Night"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.contains("tag: failed")) << result.out.toStdString();
    EXPECT_TRUE(result.err.contains("could not be written")) << result.err.toStdString();
    EXPECT_EQ(row().title, "Holy Night");
    EXPECT_EQ(bytes(path), "TAG tiny");
}

struct RefusedCase
{
    const char* name;
    QStringList args;
    int exitCode;
    const char* error;
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

class EditCommandRefused : public EditCommandTest, public ::testing::WithParamInterface<RefusedCase>
{};

TEST_P(EditCommandRefused, WritesNothing)
{
    const RefusedCase& c = GetParam();
    addTaggedSong();
    const Song before = row();
    const QByteArray file = bytes(path);

    const CliRun result = run(QStringList{"edit"} + c.args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_TRUE(result.err.contains(c.error)) << result.err.toStdString();
    EXPECT_EQ(row(), before);
    EXPECT_EQ(bytes(path), file);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditCommandRefused,
    ::testing::Values(
        RefusedCase{"no such song", {"999", "--title", "X"}, 1, "No song has the ID 999"},
        RefusedCase{"ID n/a", {"n/a", "--title", "X"}, 1, "'n/a' is not a valid number"},
        RefusedCase{"genre not offered by the editor",
                    {"1", "--genre", "Folk-Rock"},
                    2,
                    "Folk-Rock is not one of the tag editor's genres"},
        RefusedCase{"year with a double quote", {"1", "--year", "19\"9"}, 1, "double quote"},
        RefusedCase{"no ID", {"--title", "X"}, 2, "edit needs exactly one song ID"},
        RefusedCase{"unknown option", {"1", "--genre-id", "3"}, 2, "--genre-id"}),
    RowName());

TEST_F(EditCommandTest, StoredSongWithoutAGenreNeedsOne)
{
    addTaggedSong();
    SongDatabase db(home.path());
    UQuery uq(db);
    uq.setSql(QStringLiteral("update tamboro set genre=\"\" where ID=1"));
    uq.execSQL();
    const CliRun refused = run({"edit", "1", "--title", "X"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("No genre is chosen")) << refused.err.toStdString();
    EXPECT_EQ(row().title, "Silent Night");

    const CliRun saved = run({"edit", "1", "--title", "X", "--genre", "Jazz"});
    EXPECT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    EXPECT_EQ(row().title, "X");
    EXPECT_EQ(quint8(bytes(path).right(1).at(0)), 8);
}

} // namespace
