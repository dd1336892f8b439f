#include "Id3v2Files.h"
#include "TagTestFiles.h"
#include "intake/TaggedFixture.h"

#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "intake/MassRetag.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"
#include "testsupport/TempHome.h"

#include <QFile>
#include <gtest/gtest.h>

#include <functional>

namespace {

using MassRetag::Values;
using TagSave::TagOutcome;

// ---- The statement of one song ----

struct StatementCase
{
    const char* name;
    Values values;
    const char* sql;
};

void PrintTo(const StatementCase& c, std::ostream* os)
{
    *os << c.name;
}

const StatementCase statementCases[] = {
    {"year only, no separator line", Values{.year = QStringLiteral("1999")},
     "update tamboro\nset \nsyear=\"1999\"\nwhere ID=7"},
    {"artist and album, a separator line between",
     Values{.artist = QStringLiteral("Abba"), .album = QStringLiteral("Gold")},
     "update tamboro\nset \nartist=\"Abba\"\n, \nalbum=\"Gold\"\nwhere ID=7"},
    {"every field in the order artist, genre, album, comment, year",
     Values{.artist = QStringLiteral("A"),
            .genre = QStringLiteral("Folk/Rock"),
            .album = QStringLiteral("B"),
            .comment = QStringLiteral("C"),
            .year = QStringLiteral("2001")},
     "update tamboro\nset \nartist=\"A\"\n, \ngenre=\"Folk/Rock\"\n, \nalbum=\"B\"\n, \n"
     "comment=\"C\"\n, \nsyear=\"2001\"\nwhere ID=7"},
    {"apostrophe and double quote in stored form",
     Values{.artist = QStringLiteral("Guns N' Roses"), .comment = QStringLiteral("the \"best\"")},
     "update tamboro\nset \nartist=\"Guns N|1 Roses\"\n, \ncomment=\"the |2best|2\"\nwhere ID=7"},
    {"an empty value is a chosen value", Values{.comment = QString()},
     "update tamboro\nset \ncomment=\"\"\nwhere ID=7"},
};

class RetagStatement : public ::testing::TestWithParam<StatementCase>
{};

TEST_P(RetagStatement, LinesAsBuilt)
{
    EXPECT_EQ(MassRetag::statement(QStringLiteral("7"), GetParam().values).toStdString(),
              GetParam().sql);
}

INSTANTIATE_TEST_SUITE_P(Cases, RetagStatement, ::testing::ValuesIn(statementCases), RowName());

// ---- Runs over real files ----

// The fixture "tagged.mp3" holds title "Silent Night", artist "The Testers", album "Fixtures",
// year "1999", comment "one second", genre 17 (Rock).
class MassRetagTest : public ::testing::Test
{
protected:
    MassRetagTest() { SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db"))); }

    // Adds a song for `path` as intake stores the fixture and returns its ID.
    QString addSong(const QString& path)
    {
        const Song song = taggedFixtureSong(path);
        uq.setSql(Statements::insertSong(song.storedForm()));
        uq.execSQL();
        rq.setSql(Statements::selectAllById());
        rq.open();
        rq.last();
        const QString id = rq.field(SongColumn::ID);
        rq.close();
        return id;
    }

    // Tagged copies of the fixture with their songs; returns the IDs in order.
    QStringList addTaggedSongs(int count)
    {
        QStringList ids;
        for (int i = 0; i < count; ++i) {
            const QString path =
                files.copy(QStringLiteral("tagged.mp3"), QStringLiteral("song%1.mp3").arg(i));
            paths << path;
            ids << addSong(path);
        }
        return ids;
    }

    Song row(const QString& id)
    {
        rq.setSql(Statements::selectById(id));
        rq.open();
        rq.first();
        const Song song = songFromRecord(rq);
        rq.close();
        return song;
    }

    MassRetag::Result run(const QStringList& ids, const Values& values)
    {
        return MassRetag::run(db, home.path(), ids, values, {},
                              [this](const MassRetag::SongReport& song) { reports << song; });
    }

    TempHome home;
    SongDatabase db{home.path()};
    RQuery rq{db};
    UQuery uq{db};
    TagTestFiles files;
    QStringList paths;
    QList<MassRetag::SongReport> reports;
};

const QByteArray untouchedBlock = fixtureBytes(QStringLiteral("tagged.mp3")).right(128);

struct RunCase
{
    const char* name;
    Values values;
    // The row's artist, genre, album, comment and year afterwards (stored form).
    const char *artist, *genre, *album, *comment, *year;
    QByteArray block; // every file's last 128 bytes afterwards
};

void PrintTo(const RunCase& c, std::ostream* os)
{
    *os << c.name;
}

const RunCase runCases[] = {
    {"short year padded in the tag", Values{.year = QStringLiteral("99")}, "The Testers", "Rock",
     "Fixtures", "one second", "99",
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "99  ", "one second", 17)},
    {"artist and album", Values{.artist = QStringLiteral("Abba"), .album = QStringLiteral("Gold")},
     "Abba", "Rock", "Gold", "one second", "1999",
     makeTagBlock("Silent Night", "Abba", "Gold", "1999", "one second", 17)},
    {"Folk/Rock stored as named, genre 0 in the tag", Values{.genre = QStringLiteral("Folk/Rock")},
     "The Testers", "Folk/Rock", "Fixtures", "one second", "1999",
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "1999", "one second", 0)},
    {"Fast-Fusion stored as named, genre 0 in the tag",
     Values{.genre = QStringLiteral("Fast-Fusion")}, "The Testers", "Fast-Fusion", "Fixtures",
     "one second", "1999",
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "1999", "one second", 0)},
    {"Jazz gives its number", Values{.genre = QStringLiteral("Jazz")}, "The Testers", "Jazz",
     "Fixtures", "one second", "1999",
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "1999", "one second", 8)},
    {"long comment whole in the table, cut in the tag",
     Values{.comment = QStringLiteral("recorded live at the harbour, second night")}, "The Testers",
     "Rock", "Fixtures", "recorded live at the harbour, second night", "1999",
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "1999",
                  "recorded live at the harbour, ", 17)},
    {"apostrophe and double quote stored as codes, written as themselves",
     Values{.artist = QStringLiteral("Guns N' Roses"), .album = QStringLiteral("\"Live\"")},
     "Guns N|1 Roses", "Rock", "|2Live|2", "one second", "1999",
     makeTagBlock("Silent Night", "Guns N' Roses", "\"Live\"", "1999", "one second", 17)},
};

class MassRetagWrites : public MassRetagTest, public ::testing::WithParamInterface<RunCase>
{};

TEST_P(MassRetagWrites, EverySongInTableAndTagOnlyTheChosenFields)
{
    const RunCase& c = GetParam();
    const QStringList ids = addTaggedSongs(3);
    const QByteArray before = readFileBytes(paths.first());
    writeTestFile(home.file(QStringLiteral("Artists.dat")), "A\r\n");

    const MassRetag::Result result = run(ids, c.values);
    EXPECT_FALSE(result.stopped()) << result.error.toStdString();
    EXPECT_EQ(result.total, 3);
    EXPECT_EQ(result.changed, 3);
    EXPECT_EQ(result.tagsWritten, 3);
    ASSERT_EQ(reports.size(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(paths[i].toStdString());
        EXPECT_EQ(reports[i].id, ids[i]);
        EXPECT_EQ(reports[i].filename, paths[i]);
        EXPECT_EQ(reports[i].tag, TagOutcome::Written);
        const Song stored = row(ids[i]);
        EXPECT_EQ(stored.artist, QString::fromUtf8(c.artist));
        EXPECT_EQ(stored.title, "Silent Night");
        EXPECT_EQ(stored.genre, QString::fromUtf8(c.genre));
        EXPECT_EQ(stored.album, QString::fromUtf8(c.album));
        EXPECT_EQ(stored.comment, QString::fromUtf8(c.comment));
        EXPECT_EQ(stored.year, QString::fromUtf8(c.year));
        const QByteArray after = readFileBytes(paths[i]);
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(after.chopped(128), before.chopped(128)) << "audio";
        EXPECT_EQ(after.right(128), c.block);
    }
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("Artists.dat"))));
}

INSTANTIATE_TEST_SUITE_P(Cases, MassRetagWrites, ::testing::ValuesIn(runCases), RowName());

// ---- Files whose tag is left alone: the row changes, the file keeps its bytes ----

struct LeftAloneCase
{
    const char* name;
    std::function<QString(const TagTestFiles& files)> make;
};

void PrintTo(const LeftAloneCase& c, std::ostream* os)
{
    *os << c.name;
}

const LeftAloneCase leftAloneCases[] = {
    {"file without a tag",
     [](const TagTestFiles& f) { return f.copy(QStringLiteral("untagged.mp3"), "u.mp3"); }},
    {"file that vanished",
     [](const TagTestFiles& f) { return f.path(QStringLiteral("gone.mp3")); }},
    {"WMA file",
     [](const TagTestFiles& f) {
         return f.write(QStringLiteral("w.wma"),
                        readFileBytes(testDataPath(QStringLiteral("intake/tagged.wma"))));
     }},
};

class MassRetagLeavesTheFile : public MassRetagTest,
                               public ::testing::WithParamInterface<LeftAloneCase>
{};

TEST_P(MassRetagLeavesTheFile, RowChangesAndTheRunGoesOn)
{
    const QString odd = GetParam().make(files);
    const bool existed = QFile::exists(odd);
    const QByteArray before = existed ? readFileBytes(odd) : QByteArray();
    QStringList ids = addTaggedSongs(1);
    ids.insert(0, addSong(odd));

    const MassRetag::Result result = run(ids, Values{.artist = QStringLiteral("Abba")});
    EXPECT_FALSE(result.stopped()) << result.error.toStdString();
    EXPECT_EQ(result.changed, 2);
    EXPECT_EQ(result.tagsLeftAlone, 1);
    EXPECT_EQ(result.tagsWritten, 1);
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[0].tag, TagOutcome::LeftAlone);
    EXPECT_FALSE(reports[0].reason.isEmpty());
    EXPECT_EQ(row(ids[0]).artist, "Abba");
    EXPECT_EQ(row(ids[1]).artist, "Abba");
    EXPECT_EQ(QFile::exists(odd), existed);
    if (existed) {
        EXPECT_EQ(readFileBytes(odd), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MassRetagLeavesTheFile, ::testing::ValuesIn(leftAloneCases),
                         RowName());

// A file whose tag cannot be written stops the run there: the songs before it are changed in
// table and tag, it and the songs after it in neither.
TEST_F(MassRetagTest, UnwritableTagStopsTheRunWithEverySongWholeOnEitherSide)
{
    const QStringList ids = addTaggedSongs(4);
    ReadOnlyFile readOnly(paths[2]);
    if (readOnly.stillWritable())
        GTEST_SKIP() << "the file system lets this user write a read-only file";

    const MassRetag::Result result = run(ids, Values{.album = QStringLiteral("Gold")});
    ASSERT_TRUE(result.stopped());
    EXPECT_NE(result.error.indexOf(paths[2]), -1) << result.error.toStdString();
    EXPECT_EQ(result.changed, 2);
    ASSERT_EQ(reports.size(), 3);
    EXPECT_EQ(reports[2].tag, TagOutcome::Failed);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const bool changed = i < 2;
        EXPECT_EQ(row(ids[i]).album, changed ? "Gold" : "Fixtures");
        EXPECT_EQ(
            readFileBytes(paths[i]).right(128),
            changed ? makeTagBlock("Silent Night", "The Testers", "Gold", "1999", "one second", 17)
                    : untouchedBlock);
    }
}

TEST_F(MassRetagTest, RowDeletedMeanwhileIsReportedAndSkipped)
{
    QStringList ids = addTaggedSongs(2);
    uq.setSql(Statements::deleteById(ids[0]));
    uq.execSQL();

    const MassRetag::Result result = run(ids, Values{.year = QStringLiteral("2020")});
    EXPECT_FALSE(result.stopped());
    EXPECT_EQ(result.changed, 1);
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[0].tag, TagOutcome::LeftAlone);
    EXPECT_EQ(readFileBytes(paths[0]).right(128), untouchedBlock);
    EXPECT_EQ(row(ids[1]).year, "2020");
}

// Refused before the first song: nothing in the table or the files changes.
struct RefusedCase
{
    const char* name;
    Values values;
    const char* error; // a part of the error text
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

const RefusedCase refusedCases[] = {
    {"no field chosen", Values{}, "You must have at least one parameter selected to change!"},
    {"double quote in the year",
     Values{.artist = QStringLiteral("A"), .year = QStringLiteral("1\"9")}, "double quote"},
};

class MassRetagRefuses : public MassRetagTest, public ::testing::WithParamInterface<RefusedCase>
{};

TEST_P(MassRetagRefuses, NothingIsWritten)
{
    const QStringList ids = addTaggedSongs(2);
    try {
        run(ids, GetParam().values);
        ADD_FAILURE() << "no error";
    } catch (const TamboroError& e) {
        EXPECT_NE(e.message().indexOf(QString::fromUtf8(GetParam().error)), -1)
            << e.message().toStdString();
    }
    EXPECT_TRUE(reports.isEmpty());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(row(ids[i]).artist, "The Testers");
        EXPECT_EQ(readFileBytes(paths[i]).right(128), untouchedBlock);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MassRetagRefuses, ::testing::ValuesIn(refusedCases), RowName());

// ---- Files of today: the ID3v2 tag gets the chosen fields too ----

struct VersionCase
{
    const char* name;
    int version;
};

void PrintTo(const VersionCase& c, std::ostream* os)
{
    *os << c.name;
}

const VersionCase versionCases[] = {{"ID3v2.3", 3}, {"ID3v2.4", 4}};

class MassRetagId3v2 : public MassRetagTest, public ::testing::WithParamInterface<VersionCase>
{};

TEST_P(MassRetagId3v2, ChosenFieldsGoIntoBothTagsAndTheAudioStays)
{
    const QStringList ids = addTaggedSongs(2);
    Id3v2Files::Tag tag;
    tag.title = QStringLiteral("Silent Night, the long title of the second tag");
    tag.artist = QStringLiteral("The Testers");
    tag.album = QStringLiteral("Fixtures");
    tag.comment = QStringLiteral("one second");
    tag.genre = QStringLiteral("Rock");
    tag.year = 1999;
    tag.composer = QStringLiteral("Gruber");
    Id3v2Files::addTag(paths[1], GetParam().version, tag);
    const QByteArray audio = Id3v2Files::audioOf(readFileBytes(paths[1]));

    const MassRetag::Result result =
        run(ids, Values{.artist = QStringLiteral("Abba"), .genre = QStringLiteral("Jazz")});
    ASSERT_FALSE(result.stopped()) << result.error.toStdString();

    const std::optional<Id3v2Files::ReadTag> read = Id3v2Files::readTag(paths[1]);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->version, GetParam().version);
    EXPECT_EQ(read->tag.artist, "Abba");
    EXPECT_EQ(read->tag.genre, "Jazz");
    EXPECT_EQ(read->tag.title, tag.title) << "a field not chosen keeps its longer text";
    EXPECT_EQ(read->tag.album, "Fixtures");
    EXPECT_EQ(read->tag.year, 1999u);
    EXPECT_EQ(read->tag.composer, "Gruber");
    EXPECT_EQ(Id3v2Files::audioOf(readFileBytes(paths[1])), audio);
    EXPECT_EQ(readFileBytes(paths[1]).right(128),
              makeTagBlock("Silent Night", "Abba", "Fixtures", "1999", "one second", 8));
    // No second tag is made for a file that had one only.
    EXPECT_FALSE(Id3v2Files::readTag(paths[0]).has_value());
}

INSTANTIATE_TEST_SUITE_P(Versions, MassRetagId3v2, ::testing::ValuesIn(versionCases), RowName());

} // namespace
