#include "TagTestFiles.h"

#include "intake/TMP3Info.h"
#include "platform/Errors.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>

namespace {

const QString missingFileText = QStringLiteral("File doesn`t exist !");
const QString noTagText = QStringLiteral("Wrong file format !");
const QString refusedSaveText = QStringLiteral("File doesn`t exist or is not valid !");

struct Values
{
    QString title, artist, album, year, comment;
    int genreID;
};

void expectValues(const TMP3Info& info, const Values& v)
{
    EXPECT_EQ(info.title(), v.title);
    EXPECT_EQ(info.artist(), v.artist);
    EXPECT_EQ(info.album(), v.album);
    EXPECT_EQ(info.year(), v.year);
    EXPECT_EQ(info.comment(), v.comment);
    EXPECT_EQ(info.genreID(), v.genreID);
}

const Values taggedFixture{"Silent Night", "The Testers", "Fixtures", "1999", "one second", 17};

class TMP3InfoTest : public ::testing::Test
{
protected:
    TagTestFiles files;
    TMP3Info info;
    QSignalSpy changeFile{&info, &TMP3Info::onChangeFile};
    QSignalSpy change{&info, &TMP3Info::onChange};
    QSignalSpy error{&info, &TMP3Info::onError};
};

TEST_F(TMP3InfoTest, ReadsTheTagOfAnEncodedFile)
{
    info.setFilename(files.copy("tagged.mp3", "a.mp3"));
    EXPECT_TRUE(info.valid());
    expectValues(info, taggedFixture);
    EXPECT_EQ(info.genre(), QStringLiteral("Rock"));
    EXPECT_EQ(info.tagIdentifier(), QByteArray("TAG"));
    EXPECT_EQ(changeFile.count(), 1);
    EXPECT_EQ(change.count(), 0); // values read from a file are not changes
    EXPECT_EQ(error.count(), 0);
}

struct ParseCase
{
    const char* name;
    QByteArray block;
    Values expected;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << c.name;
}

class TMP3InfoParseTest : public ::testing::TestWithParam<ParseCase>
{};

const QByteArray full30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";

// Hand-made tag blocks behind real audio; each shows one rule of the field decoding.
const ParseCase parseCases[] = {
    {"ZeroTitleSlotKeepsOtherFields",
     makeTagBlock("", full30, full30, "2001", full30, 3, '\0'),
     {"", full30, full30, "2001", full30, 3}},
    {"SpacePaddingIsDropped",
     makeTagBlock("Song", "Band", "Record", "1987", "Note", 0, ' '),
     {"Song", "Band", "Record", "1987", "Note", 0}},
    {"LeadingSpacesStay",
     makeTagBlock("  Both sides  ", " Band", "", "  87", "   ", 1, ' '),
     {"  Both sides", " Band", "", "  87", "", 1}},
    {"FieldEndsAtFirstZero",
     makeTagBlock(QByteArray("Abc\0xyz", 7), QByteArray("Name  \0junk", 11), "", "", "", 2, ' '),
     {"Abc", "Name", "", "", "", 2}},
    {"OnlySpacesArePadding",
     makeTagBlock("Tab\t", "Nbsp\xa0", "", "", "", 2, '\0'),
     {"Tab\t", QString::fromUtf8("Nbsp\u00a0"), "", "", "", 2}},
    {"Latin1Bytes",
     makeTagBlock("Mot\xf6rhead", "Bj\xf6rk Gu\xf0mundsd\xf3ttir", "", "", "", 9, ' '),
     {QString::fromUtf8("Motörhead"), QString::fromUtf8("Björk Guðmundsdóttir"), "", "", "", 9}},
    {"Genre114IsKept", makeTagBlock("", "", "", "", "", 114), {"", "", "", "", "", 114}},
    {"Genre115ReadsAsOther", makeTagBlock("", "", "", "", "", 115), {"", "", "", "", "", 12}},
    {"Genre255ReadsAsOther", makeTagBlock("", "", "", "", "", 255), {"", "", "", "", "", 12}},
};

TEST_P(TMP3InfoParseTest, DecodesFields)
{
    const ParseCase& c = GetParam();
    TagTestFiles files;
    TMP3Info info;
    info.setFilename(files.write("song.mp3", fixtureBytes("untagged.mp3") + c.block));
    EXPECT_TRUE(info.valid()) << info.error().toStdString();
    expectValues(info, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Blocks, TMP3InfoParseTest, ::testing::ValuesIn(parseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TMP3InfoTest, FileOfExactlyOneTagIsRead)
{
    info.setFilename(files.write("tag-only.mp3", makeTagBlock("Only", "", "", "", "", 5)));
    EXPECT_TRUE(info.valid());
    EXPECT_EQ(info.title(), QStringLiteral("Only"));
}

TEST_F(TMP3InfoTest, MissingFileIsReportedAndChangesNothing)
{
    info.setFilename(files.copy("tagged.mp3", "a.mp3"));
    for (const QString& name : {files.path("absent.mp3"), files.path(""), QString()}) {
        SCOPED_TRACE(name.toStdString());
        error.clear();
        info.setFilename(name);
        EXPECT_FALSE(info.valid());
        EXPECT_EQ(info.error(), missingFileText);
        EXPECT_EQ(error.count(), 1);
        expectValues(info, taggedFixture);
    }
}

TEST_F(TMP3InfoTest, TaglessFileLeavesThePreviousValues)
{
    info.setFilename(files.copy("tagged.mp3", "a.mp3"));
    changeFile.clear();
    info.setFilename(files.copy("untagged.mp3", "b.mp3"));
    EXPECT_FALSE(info.valid());
    EXPECT_EQ(info.error(), noTagText);
    EXPECT_EQ(error.count(), 1);
    EXPECT_EQ(changeFile.count(), 0);
    expectValues(info, taggedFixture); // the genre number too
    EXPECT_EQ(info.filename(), files.path("b.mp3"));

    // The next tagged file makes it valid again.
    info.setFilename(files.path("a.mp3"));
    EXPECT_TRUE(info.valid());
}

TEST_F(TMP3InfoTest, SettersCutToTheFieldWidth)
{
    const QString emoji = QString::fromUtf8("\U0001F3B8");
    struct Case
    {
        const char* field;
        void (TMP3Info::*set)(const QString&);
        const QString& (TMP3Info::*get)() const;
        QString value;
        QString stored;
    };
    const Case cases[] = {
        {"artist", &TMP3Info::setArtist, &TMP3Info::artist, QString(40, 'a'), QString(30, 'a')},
        {"title", &TMP3Info::setTitle, &TMP3Info::title, QString(30, 't'), QString(30, 't')},
        {"album", &TMP3Info::setAlbum, &TMP3Info::album, QString(31, 'b'), QString(30, 'b')},
        {"comment", &TMP3Info::setComment, &TMP3Info::comment, QString(29, 'c') + emoji + "x",
         QString(29, 'c') + emoji}, // a character beyond the basic plane counts once
        {"year", &TMP3Info::setYear, &TMP3Info::year, "19999", "1999"},
        {"year", &TMP3Info::setYear, &TMP3Info::year, "87", "87"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        change.clear();
        (info.*c.set)(c.value);
        EXPECT_EQ((info.*c.get)(), c.stored);
        EXPECT_EQ(change.count(), 1);
    }
    change.clear();
    info.setGenreID(200);
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(info.genre(), QString()); // beyond the component list
    info.setGenreID(84);
    EXPECT_EQ(info.genre(), QStringLiteral("Bebob"));
    EXPECT_EQ(TMP3Info().genreID(), 12);
}

TEST_F(TMP3InfoTest, SaveWritesOnlyTheTagAndReadsBack)
{
    const QString path = files.copy("tagged.mp3", "a.mp3");
    const QByteArray original = readFileBytes(path);
    info.setFilename(path);
    info.setTitle(QString::fromUtf8("Ace of Spades"));
    info.setArtist(QString::fromUtf8("Motörhead"));
    info.setAlbum(QString::fromUtf8("Жизнь \U0001F3B8")); // outside Latin-1
    info.setYear("1980");
    info.setComment(QString(30, 'z'));
    info.setGenreID(137); // above the readable range: written as given
    info.save();
    EXPECT_TRUE(info.valid());
    EXPECT_EQ(error.count(), 0);

    const QByteArray saved = readFileBytes(path);
    ASSERT_EQ(saved.size(), original.size());
    EXPECT_EQ(saved.left(saved.size() - 128), original.left(original.size() - 128));
    EXPECT_EQ(saved.right(128), makeTagBlock("Ace of Spades", "Mot\xf6rhead", "????? ?", "1980",
                                             QByteArray(30, 'z'), 137, ' '));

    TMP3Info again;
    again.setFilename(path);
    EXPECT_TRUE(again.valid());
    expectValues(again, {"Ace of Spades", QString::fromUtf8("Motörhead"), "????? ?", "1980",
                         QString(30, 'z'), 12});
}

TEST_F(TMP3InfoTest, SaveOfReadValuesIsARoundTrip)
{
    const QString path = files.write("song.mp3", fixtureBytes("untagged.mp3") +
                                                     makeTagBlock("  Lead", "B", "", "", "", 7));
    info.setFilename(path);
    info.save();
    TMP3Info again;
    again.setFilename(path);
    expectValues(again, {"  Lead", "B", "", "", "", 7});
}

// Each case leaves the component pointing at a file it must not write; the file (if any) must
// come out byte for byte as it was.
TEST(TMP3InfoSave, IsRefusedUnlessTheFileStillEndsInATag)
{
    struct Case
    {
        const char* name;
        std::function<QString(TagTestFiles&, TMP3Info&)> prepare; // returns the file to check
    };
    const Case cases[] = {
        {"tagless file",
         [](TagTestFiles& f, TMP3Info& info) {
             info.setFilename(f.copy("untagged.mp3", "u.mp3"));
             return f.path("u.mp3");
         }},
        {"missing file after a tagged read",
         [](TagTestFiles& f, TMP3Info& info) {
             info.setFilename(f.copy("tagged.mp3", "t.mp3"));
             info.setFilename(f.path("gone.mp3"));
             return QString();
         }},
        {"never read", [](TagTestFiles&, TMP3Info&) { return QString(); }},
        {"file deleted since the read",
         [](TagTestFiles& f, TMP3Info& info) {
             info.setFilename(f.copy("tagged.mp3", "t.mp3"));
             QFile::remove(f.path("t.mp3"));
             return QString();
         }},
        {"file replaced by a tagless one since the read",
         [](TagTestFiles& f, TMP3Info& info) {
             info.setFilename(f.copy("tagged.mp3", "t.mp3"));
             f.copy("untagged.mp3", "t.mp3");
             return f.path("t.mp3");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagTestFiles files;
        TMP3Info info;
        const QString check = c.prepare(files, info);
        const QByteArray before = check.isEmpty() ? QByteArray() : readFileBytes(check);
        info.setTitle("Overwritten");
        QSignalSpy error(&info, &TMP3Info::onError);
        info.save();
        EXPECT_FALSE(info.valid());
        EXPECT_EQ(info.error(), refusedSaveText);
        EXPECT_EQ(error.count(), 1);
        if (!check.isEmpty()) {
            EXPECT_EQ(readFileBytes(check), before);
        }
        EXPECT_FALSE(QFileInfo::exists(files.path("gone.mp3")));
    }
}

TEST(TMP3InfoIo, FileShorterThanATagThrows)
{
    TagTestFiles files;
    for (const QByteArray& bytes : {QByteArray(), QByteArray("TAG"), QByteArray(127, 'x')}) {
        SCOPED_TRACE(bytes.size());
        TMP3Info info;
        info.setFilename(files.copy("tagged.mp3", "good.mp3"));
        QSignalSpy error(&info, &TMP3Info::onError);
        const QString path = files.write("short.mp3", bytes);
        try {
            info.setFilename(path);
            ADD_FAILURE() << "no exception";
        } catch (const EInOutError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
        }
        // The values in memory came from another file: they must not be saved into this one.
        EXPECT_FALSE(info.valid());
        EXPECT_EQ(error.count(), 1);
        info.save();
        EXPECT_EQ(info.error(), refusedSaveText);
        EXPECT_EQ(readFileBytes(path), bytes);
    }
}

TEST(TMP3InfoIo, ReadOnlyFileIsReadWithoutBeingTouched)
{
    TagTestFiles files;
    const QString path = files.copy("tagged.mp3", "ro.mp3");
    ReadOnlyFile readOnly(path);
    const QFileInfo before(path);
    const QDateTime modified = before.lastModified();
    const QDateTime changed = before.metadataChangeTime();
    const QFile::Permissions permissions = before.permissions();

    TMP3Info info;
    info.setFilename(path);
    EXPECT_TRUE(info.valid()) << info.error().toStdString();
    expectValues(info, taggedFixture);

    const QFileInfo after(path);
    EXPECT_EQ(after.lastModified(), modified);
    EXPECT_EQ(after.metadataChangeTime(), changed);
    EXPECT_EQ(after.permissions(), permissions);
}

TEST(TMP3InfoIo, SaveOnReadOnlyFileThrowsAndChangesNothing)
{
    TagTestFiles files;
    const QString path = files.copy("tagged.mp3", "ro.mp3");
    const QByteArray original = readFileBytes(path);
    ReadOnlyFile readOnly(path);
    if (readOnly.stillWritable())
        GTEST_SKIP() << "this system cannot make a file unwritable for the current user";

    TMP3Info info;
    info.setFilename(path);
    info.setTitle("New");
    try {
        info.save();
        ADD_FAILURE() << "no exception";
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
    }
    EXPECT_EQ(readFileBytes(path), original);
}

} // namespace
