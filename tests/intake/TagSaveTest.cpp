#include "TagTestFiles.h"
#include "intake/TaggedFixture.h"

#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "intake/TagSave.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"
#include "testsupport/TempHome.h"

#include <QFile>
#include <gtest/gtest.h>

#include <functional>

namespace {

using TagSave::Fields;
using TagSave::TagOutcome;

// The row as intake stored it for the fixture "tagged.mp3".
Song storedSong(const QString& filename)
{
    return taggedFixtureSong(filename).storedForm();
}

class TagSaveTest : public ::testing::Test
{
protected:
    TagSaveTest() { SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db"))); }

    // Adds the song of `filename` and returns the fields the editor shows for it.
    Fields addSong(const QString& filename)
    {
        uq.setSql(Statements::insertSong(storedSong(filename)));
        uq.execSQL();
        rq.setSql(Statements::selectAllById());
        rq.open();
        rq.last();
        const std::optional<Fields> fields = TagSave::load(db, rq.field(SongColumn::ID));
        rq.close();
        EXPECT_TRUE(fields.has_value());
        return fields.value_or(Fields{});
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

    void writeArtistsCache() { writeTestFile(home.file(QStringLiteral("Artists.dat")), "A\r\n"); }
    bool artistsCacheExists() const
    {
        return QFile::exists(home.file(QStringLiteral("Artists.dat")));
    }

    TempHome home;
    SongDatabase db{home.path()};
    RQuery rq{db};
    UQuery uq{db};
    TagTestFiles files;
};

TEST(TagGenre, NumberIsTheLastEqualEntryOfTheIntakeList)
{
    EXPECT_EQ(TagSave::tagGenreID(QStringLiteral("Rock")), 17);
    EXPECT_EQ(TagSave::tagGenreID(QStringLiteral("Folk-Rock")), 81);
    EXPECT_EQ(TagSave::tagGenreID(QStringLiteral("Fast Fusion")), 84);
    EXPECT_EQ(TagSave::tagGenreID(QStringLiteral("Dance Hall")), 125);
    // The pick list's own spellings are no entry of the intake list.
    EXPECT_EQ(TagSave::tagGenreID(QStringLiteral("Folk/Rock")), 0);
    EXPECT_EQ(TagSave::tagGenreID(QStringLiteral("Fast-Fusion")), 0);
    EXPECT_EQ(TagSave::tagGenreID(QStringLiteral("rock")), 0);
}

TEST(TagStatement, EncodesTheTextsButNotYearAndId)
{
    Fields fields;
    fields.id = QStringLiteral("42");
    fields.artist = QStringLiteral("a'b\"c#d*e:f`g|h");
    fields.title = QStringLiteral("\"T\"");
    fields.genre = QStringLiteral("R&B");
    fields.filename = QStringLiteral("/m/Live: 1999.mp3");
    fields.album = QStringLiteral("Al#1");
    fields.comment = QStringLiteral("*");
    fields.year = QStringLiteral("2001-05-03");
    EXPECT_EQ(TagSave::statement(fields).toStdString(),
              "update tamboro\nset artist=\"a|1b|2c|3d|4e|5f|6g|7h\",\ntitle=\"|2T|2\",\n"
              "genre=\"R&B\",\nfilename=\"/m/Live|5 1999.mp3\",\nalbum=\"Al|31\",\n"
              "comment=\"|4\",\nsyear=\"2001-05-03\"\nwhere ID=42");
}

// ---- Saves that write the row and the tag ----

struct SaveCase
{
    const char* name;
    std::function<void(Fields&)> edit;
    Song stored;      // the row afterwards: artist, title, genre, album, comment, year
    QByteArray block; // the file's last 128 bytes afterwards
};

void PrintTo(const SaveCase& c, std::ostream* os)
{
    *os << c.name;
}

Song expectedRow(const char* artist, const char* title, const char* genre, const char* album,
                 const char* comment, const char* year)
{
    Song song;
    song.artist = QString::fromUtf8(artist);
    song.title = QString::fromUtf8(title);
    song.genre = QString::fromUtf8(genre);
    song.album = QString::fromUtf8(album);
    song.comment = QString::fromUtf8(comment);
    song.year = QString::fromUtf8(year);
    return song;
}

const SaveCase saveCases[] = {
    {"title changed", [](Fields& f) { f.title = QStringLiteral("Holy Night"); },
     expectedRow("The Testers", "Holy Night", "Rock", "Fixtures", "one second", "1999"),
     makeTagBlock("Holy Night", "The Testers", "Fixtures", "1999", "one second", 17)},
    {"Folk/Rock gives genre 0 in the tag", [](Fields& f) { f.genre = QStringLiteral("Folk/Rock"); },
     expectedRow("The Testers", "Silent Night", "Folk/Rock", "Fixtures", "one second", "1999"),
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "1999", "one second", 0)},
    {"Fast-Fusion gives genre 0 in the tag",
     [](Fields& f) { f.genre = QStringLiteral("Fast-Fusion"); },
     expectedRow("The Testers", "Silent Night", "Fast-Fusion", "Fixtures", "one second", "1999"),
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "1999", "one second", 0)},
    {"a pick list name of the intake list gives its number",
     [](Fields& f) { f.genre = QStringLiteral("Jazz"); },
     expectedRow("The Testers", "Silent Night", "Jazz", "Fixtures", "one second", "1999"),
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "1999", "one second", 8)},
    {"long comment whole in the table, cut in the tag",
     [](Fields& f) { f.comment = QStringLiteral("recorded live at the harbour, second night"); },
     expectedRow("The Testers", "Silent Night", "Rock", "Fixtures",
                 "recorded live at the harbour, second night", "1999"),
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "1999",
                  "recorded live at the harbour, ", 17)},
    {"long texts cut in the tag only",
     [](Fields& f) {
         f.artist = QString(40, QLatin1Char('a'));
         f.title = QString(31, QLatin1Char('t'));
         f.album = QString(35, QLatin1Char('b'));
     },
     Song{.artist = QString(40, QLatin1Char('a')),
          .title = QString(31, QLatin1Char('t')),
          .genre = QStringLiteral("Rock"),
          .album = QString(35, QLatin1Char('b')),
          .comment = QStringLiteral("one second"),
          .year = QStringLiteral("1999")},
     makeTagBlock(QByteArray(30, 't'), QByteArray(30, 'a'), QByteArray(30, 'b'), "1999",
                  "one second", 17)},
    {"short year padded with spaces", [](Fields& f) { f.year = QStringLiteral("99"); },
     expectedRow("The Testers", "Silent Night", "Rock", "Fixtures", "one second", "99"),
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "99  ", "one second", 17)},
    {"empty texts are spaces in the tag",
     [](Fields& f) {
         f.title.clear();
         f.album.clear();
         f.comment.clear();
         f.year.clear();
     },
     expectedRow("The Testers", "", "Rock", "", "", ""),
     makeTagBlock("", "The Testers", "", "", "", 17)},
    {"long year whole in the table, cut in the tag",
     [](Fields& f) { f.year = QStringLiteral("2001-05-03"); },
     expectedRow("The Testers", "Silent Night", "Rock", "Fixtures", "one second", "2001-05-03"),
     makeTagBlock("Silent Night", "The Testers", "Fixtures", "2001", "one second", 17)},
    {"double quote stored as its code, written as itself",
     [](Fields& f) { f.title = QStringLiteral("Say \"when\""); },
     expectedRow("The Testers", "Say |2when|2", "Rock", "Fixtures", "one second", "1999"),
     makeTagBlock("Say \"when\"", "The Testers", "Fixtures", "1999", "one second", 17)},
    {"every special character stored as its code, written as itself",
     [](Fields& f) {
         f.artist = QStringLiteral("Rock'n #1*:`|");
         f.album = QStringLiteral("A:B");
         f.comment = QStringLiteral("it's");
     },
     expectedRow("Rock|1n |31|4|5|6|7", "Silent Night", "Rock", "A|5B", "it|1s", "1999"),
     makeTagBlock("Silent Night", "Rock'n #1*:`|", "A:B", "1999", "it's", 17)},
};

class TagSaveWrites : public TagSaveTest, public ::testing::WithParamInterface<SaveCase>
{};

TEST_P(TagSaveWrites, RowAndTagAsEdited)
{
    const SaveCase& c = GetParam();
    const QString path = files.copy(QStringLiteral("tagged.mp3"), QStringLiteral("song.mp3"));
    const QByteArray before = readFileBytes(path);
    Fields fields = addSong(path);
    c.edit(fields);
    writeArtistsCache();

    const TagSave::Result result = TagSave::save(uq, home.path(), fields);
    EXPECT_EQ(result.tag, TagOutcome::Written) << result.reason.toStdString();

    Song expected = c.stored;
    const Song stored = row(fields.id);
    expected.filename = stored.filename;
    expected.trackLength = QStringLiteral("0:00:01");
    expected.location = QStringLiteral("Disk!");
    expected.bitrate = QStringLiteral("128");
    expected.frequency = QStringLiteral("44100");
    expected.id = fields.id;
    expected.played = QStringLiteral("0");
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(stored.filename, path);

    const QByteArray after = readFileBytes(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.left(after.size() - 128), before.left(before.size() - 128)) << "audio";
    EXPECT_EQ(after.right(128), c.block);
    EXPECT_FALSE(artistsCacheExists());
}

INSTANTIATE_TEST_SUITE_P(Cases, TagSaveWrites, ::testing::ValuesIn(saveCases), RowName());

// ---- Files whose tag cannot be written: the row changes, the file keeps every byte ----

struct FileCase
{
    const char* name;
    // Makes the song's file in `files` and returns its path.
    std::function<QString(const TagTestFiles& files)> make;
    TagOutcome outcome;
    bool readOnly = false;
};

void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << c.name;
}

const FileCase fileCases[] = {
    {"file without a tag",
     [](const TagTestFiles& f) { return f.copy(QStringLiteral("untagged.mp3"), "u.mp3"); },
     TagOutcome::LeftAlone},
    {"file that vanished", [](const TagTestFiles& f) { return f.path(QStringLiteral("gone.mp3")); },
     TagOutcome::LeftAlone},
    {"WMA file",
     [](const TagTestFiles& f) {
         return f.write(QStringLiteral("w.wma"),
                        readFileBytes(testDataPath(QStringLiteral("intake/tagged.wma"))));
     },
     TagOutcome::LeftAlone},
    {"file shorter than a tag",
     [](const TagTestFiles& f) { return f.write(QStringLiteral("tiny.mp3"), "TAG tiny"); },
     TagOutcome::Failed},
    {"read-only file",
     [](const TagTestFiles& f) { return f.copy(QStringLiteral("tagged.mp3"), "ro.mp3"); },
     TagOutcome::Failed, true},
};

class TagSaveKeepsTheFile : public TagSaveTest, public ::testing::WithParamInterface<FileCase>
{};

TEST_P(TagSaveKeepsTheFile, RowChangesFileKeepsItsBytes)
{
    const FileCase& c = GetParam();
    const QString path = c.make(files);
    const bool existed = QFile::exists(path);
    const QByteArray before = existed ? readFileBytes(path) : QByteArray();
    std::optional<ReadOnlyFile> readOnly;
    if (c.readOnly) {
        readOnly.emplace(path);
        if (readOnly->stillWritable())
            GTEST_SKIP() << "the file system lets this user write a read-only file";
    }
    Fields fields = addSong(path);
    fields.title = QStringLiteral("Changed");
    writeArtistsCache();

    const TagSave::Result result = TagSave::save(uq, home.path(), fields);
    EXPECT_EQ(result.tag, c.outcome);
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_EQ(TagSave::failureText(fields, result).isEmpty(), c.outcome != TagOutcome::Failed);

    EXPECT_EQ(row(fields.id).title, "Changed");
    EXPECT_EQ(QFile::exists(path), existed);
    if (existed) {
        EXPECT_EQ(readFileBytes(path), before);
    }
    // The table changed, so its cache goes whatever became of the tag.
    EXPECT_FALSE(artistsCacheExists());
}

INSTANTIATE_TEST_SUITE_P(Cases, TagSaveKeepsTheFile, ::testing::ValuesIn(fileCases), RowName());

// ---- Saves refused before anything is written ----

struct RefusedCase
{
    const char* name;
    std::function<void(Fields&)> edit;
    const char* error; // a part of the error text
    bool databaseError;
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

const RefusedCase refusedCases[] = {
    {"no genre chosen", [](Fields& f) { f.genre.clear(); }, "No genre is chosen", false},
    {"nothing loaded, ID n/a", [](Fields& f) { f.id = QStringLiteral("n/a"); }, "n/a", true},
    {"year with a double quote", [](Fields& f) { f.year = QStringLiteral("19\"9"); },
     "double quote", true},
};

class TagSaveRefused : public TagSaveTest, public ::testing::WithParamInterface<RefusedCase>
{};

TEST_P(TagSaveRefused, NothingIsWritten)
{
    const RefusedCase& c = GetParam();
    const QString path = files.copy(QStringLiteral("tagged.mp3"), QStringLiteral("song.mp3"));
    const QByteArray before = readFileBytes(path);
    Fields fields = addSong(path);
    const Song stored = row(fields.id);
    fields.title = QStringLiteral("Changed");
    c.edit(fields);
    writeArtistsCache();

    try {
        TagSave::save(uq, home.path(), fields);
        ADD_FAILURE() << "saved";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(c.databaseError) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.error))) << e.message().toStdString();
    } catch (const TamboroError& e) {
        EXPECT_FALSE(c.databaseError) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.error))) << e.message().toStdString();
    }
    EXPECT_EQ(row(stored.id), stored);
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_TRUE(artistsCacheExists());
}

INSTANTIATE_TEST_SUITE_P(Cases, TagSaveRefused, ::testing::ValuesIn(refusedCases), RowName());

TEST_F(TagSaveTest, LoadGivesTheRowAsTheEditorShowsIt)
{
    Fields fields = addSong(QStringLiteral("/m/Live: 1999.mp3"));
    fields.title = QStringLiteral("Say \"when\"");
    fields.genre = QStringLiteral("Folk/Rock");
    fields.year = QStringLiteral("2001-05-03");
    TagSave::save(uq, home.path(), fields);
    EXPECT_EQ(TagSave::load(db, fields.id), fields);
    EXPECT_EQ(TagSave::load(db, QStringLiteral("999")), std::nullopt);
    EXPECT_THROW(TagSave::load(db, QStringLiteral("n/a")), EDatabaseError);
}

} // namespace
