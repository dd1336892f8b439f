#include "Id3v2Files.h"
#include "TagTestFiles.h"

#include "intake/TMP3Info.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using Id3v2Files::Tag;

const Tag fileTag{"Old title", "Old artist", "Old album",   "Old comment",
                  "Jazz",      1987,         "Someone Else"};

struct VersionCase
{
    const char* name;
    int version;
};

const VersionCase versions[] = {{"ID3v2.3", 3}, {"ID3v2.4", 4}};

class TMP3InfoId3v2Test : public ::testing::TestWithParam<VersionCase>
{
protected:
    // The untagged fixture with an ID3v1 tag and, in front, an ID3v2 tag of the case's version.
    QString bothTags(const QString& name, const Tag& tag = fileTag)
    {
        const QString path =
            files.write(name, fixtureBytes("untagged.mp3") + makeTagBlock("Old title", "Old artist",
                                                                          "Old album", "1987",
                                                                          "Old comment", 8));
        Id3v2Files::addTag(path, GetParam().version, tag);
        return path;
    }

    TagTestFiles files;
};

// What the tag editor and the mass re-tagger do: read, change, save. Both tags get the values,
// the ID3v2 tag keeps its version and the frames the catalogue does not know, and the audio
// between the tags is the fixture's, byte for byte.
TEST_P(TMP3InfoId3v2Test, SaveWritesBothTagsAndLeavesTheAudio)
{
    const QString path = bothTags("both.mp3");
    TMP3Info info;
    info.setFilename(path);
    ASSERT_TRUE(info.valid());
    info.setTitle(QString::fromUtf8("Don’t Stop"));
    info.setArtist(QString::fromUtf8("Motörhead"));
    info.setAlbum(QString::fromUtf8("Жизнь")); // not in Windows-1252: "?" in ID3v1 only
    info.setComment("New comment");
    info.setYear("2001");
    info.setGenreID(17);
    info.save();
    EXPECT_TRUE(info.valid()) << info.error().toStdString();

    TMP3Info again;
    again.setFilename(path);
    ASSERT_TRUE(again.valid());
    EXPECT_EQ(again.title(), QString::fromUtf8("Don’t Stop"));
    EXPECT_EQ(again.artist(), QString::fromUtf8("Motörhead"));
    EXPECT_EQ(again.album(), QStringLiteral("?????"));
    EXPECT_EQ(again.comment(), QStringLiteral("New comment"));
    EXPECT_EQ(again.year(), QStringLiteral("2001"));
    EXPECT_EQ(again.genreID(), 17);

    const auto v2 = Id3v2Files::readTag(path);
    ASSERT_TRUE(v2.has_value());
    EXPECT_EQ(v2->version, GetParam().version);
    EXPECT_EQ(v2->tag.title, QString::fromUtf8("Don’t Stop"));
    EXPECT_EQ(v2->tag.artist, QString::fromUtf8("Motörhead"));
    EXPECT_EQ(v2->tag.album, QString::fromUtf8("Жизнь"));
    EXPECT_EQ(v2->tag.comment, QStringLiteral("New comment"));
    EXPECT_EQ(v2->tag.year, 2001u);
    EXPECT_EQ(v2->tag.genre, QStringLiteral("Rock"));
    EXPECT_EQ(v2->tag.composer, fileTag.composer);

    EXPECT_EQ(Id3v2Files::audioOf(readFileBytes(path)), fixtureBytes("untagged.mp3"));
}

// A save changes in the ID3v2 tag only what the ID3v1 tag cannot already say: a title longer
// than 30 characters and a genre of its own survive a change of the artist.
TEST_P(TMP3InfoId3v2Test, FieldsTheSaveDoesNotChangeKeepTheirLongerText)
{
    Tag tag = fileTag;
    tag.title = QStringLiteral("A title far longer than thirty characters, as v2 allows");
    tag.genre = QStringLiteral("Psytrance");
    const QString path =
        files.write("long.mp3", fixtureBytes("untagged.mp3") +
                                    makeTagBlock("A title far longer than thirty", "Old artist",
                                                 "Old album", "1987", "Old comment", 255));
    Id3v2Files::addTag(path, GetParam().version, tag);

    TMP3Info info;
    info.setFilename(path);
    ASSERT_TRUE(info.valid());
    EXPECT_EQ(info.genreID(), 12); // 255 reads as 12, as "Psytrance" stands for in ID3v1
    info.setArtist("New artist");
    info.save();

    const auto v2 = Id3v2Files::readTag(path);
    ASSERT_TRUE(v2.has_value());
    EXPECT_EQ(v2->tag.artist, QStringLiteral("New artist"));
    EXPECT_EQ(v2->tag.title, tag.title);
    EXPECT_EQ(v2->tag.genre, QStringLiteral("Psytrance"));
    EXPECT_EQ(v2->tag.album, tag.album);
    EXPECT_EQ(v2->tag.year, tag.year);
    EXPECT_EQ(Id3v2Files::audioOf(readFileBytes(path)), fixtureBytes("untagged.mp3"));
}

// A file with only an ID3v2 tag has no ID3v1 tag to rewrite: the save is refused and neither
// tag is written, nor one created.
TEST_P(TMP3InfoId3v2Test, RefusedSaveLeavesTheId3v2TagAlone)
{
    const QString path = files.copy("untagged.mp3", "v2only.mp3");
    Id3v2Files::addTag(path, GetParam().version, fileTag);
    const QByteArray before = readFileBytes(path);

    TMP3Info info;
    info.setFilename(path);
    EXPECT_FALSE(info.valid());
    info.setArtist("New artist");
    info.save();
    EXPECT_FALSE(info.valid());
    EXPECT_EQ(info.error(), QStringLiteral("File doesn`t exist or is not valid !"));
    EXPECT_EQ(readFileBytes(path), before);
}

TEST_P(TMP3InfoId3v2Test, ReadOnlyFileLosesNoByteOfEitherTag)
{
    const QString path = bothTags("ro.mp3");
    const QByteArray before = readFileBytes(path);
    ReadOnlyFile readOnly(path);
    if (readOnly.stillWritable())
        GTEST_SKIP() << "this system cannot make a file unwritable for the current user";

    TMP3Info info;
    info.setFilename(path);
    info.setArtist("New artist");
    EXPECT_THROW(info.save(), EInOutError);
    EXPECT_EQ(readFileBytes(path), before);
}

TEST_P(TMP3InfoId3v2Test, VanishedFileIsNotMadeAgain)
{
    const QString path = bothTags("gone.mp3");
    TMP3Info info;
    info.setFilename(path);
    ASSERT_TRUE(info.valid());
    ASSERT_TRUE(QFile::remove(path));
    info.setArtist("New artist");
    info.save();
    EXPECT_FALSE(info.valid());
    EXPECT_FALSE(QFile::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Versions, TMP3InfoId3v2Test, ::testing::ValuesIn(versions), RowName());

// A tag without room to spare grows: the audio moves behind it and stays as it was.
TEST(TMP3InfoId3v2, GrowingTagGoesIntoANewCopyWithTheAudioUnchanged)
{
    TagTestFiles files;
    const QByteArray audio = fixtureBytes("untagged.mp3");
    const QString path =
        files.write("tight.mp3", Id3v2Files::tightV23({{"TPE1", "A"}, {"TIT2", "T"}}) + audio +
                                     makeTagBlock("T", "A", "", "", "", 17));
    const qint64 sizeBefore = readFileBytes(path).size();
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup));
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    struct stat before = {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    TMP3Info info;
    info.setFilename(path);
    ASSERT_TRUE(info.valid());
    info.setArtist(QString(30, 'a'));
    info.setTitle(QString(30, 't'));
    info.save();
    ASSERT_TRUE(info.valid());

    // The song was never moved within its own file: a new copy took its place whole, with the
    // same permissions and nothing left beside it.
    struct stat replaced = {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &replaced), 0);
    EXPECT_NE(replaced.st_ino, before.st_ino);
    EXPECT_EQ(QFile::permissions(path), permissions);
    EXPECT_EQ(QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("tight.mp3")});

    const QByteArray after = readFileBytes(path);
    EXPECT_GT(after.size(), sizeBefore);
    EXPECT_EQ(Id3v2Files::audioOf(after), audio);
    EXPECT_EQ(after.right(128),
              makeTagBlock(QByteArray(30, 't'), QByteArray(30, 'a'), "", "", "", 17));
    const auto v2 = Id3v2Files::readTag(path);
    ASSERT_TRUE(v2.has_value());
    EXPECT_EQ(v2->version, 3);
    EXPECT_EQ(v2->tag.artist, QString(30, 'a'));
    EXPECT_EQ(v2->tag.title, QString(30, 't'));
}

// A file with only an ID3v1 tag never gets an ID3v2 tag from a save.
TEST(TMP3InfoId3v2, SaveCreatesNoId3v2Tag)
{
    TagTestFiles files;
    const QString path = files.copy("tagged.mp3", "v1only.mp3");
    const QByteArray before = readFileBytes(path);
    TMP3Info info;
    info.setFilename(path);
    info.setArtist("New artist");
    info.save();
    ASSERT_TRUE(info.valid());
    const QByteArray after = readFileBytes(path);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_FALSE(Id3v2Files::readTag(path).has_value());
    EXPECT_EQ(after.left(after.size() - 128), before.left(before.size() - 128));
}

// A WMA file has neither tag TMP3Info writes: it is refused and left as it was.
TEST(TMP3InfoId3v2, WmaFileIsRefusedAndUnchanged)
{
    TagTestFiles files;
    const QString path =
        files.write("song.mp3", readFileBytes(testDataPath(QStringLiteral("intake/tagged.wma"))));
    const QByteArray before = readFileBytes(path);
    TMP3Info info;
    info.setFilename(path);
    info.setArtist("New artist");
    info.save();
    EXPECT_FALSE(info.valid());
    EXPECT_EQ(readFileBytes(path), before);
}

// The code page of ID3v1 text: Windows-1252 unless the program says otherwise.
class TMP3InfoCodePageTest : public ::testing::Test
{
protected:
    ~TMP3InfoCodePageTest() override { TMP3Info::setDefaultCodePage(SingleByteCodePage()); }
    TagTestFiles files;
};

TEST_F(TMP3InfoCodePageTest, Windows1252IsReadAndWrittenByDefault)
{
    const QString path =
        files.write("song.mp3", fixtureBytes("untagged.mp3") +
                                    makeTagBlock("Don\x92t Stop", "5 \x80", "", "", "", 17));
    TMP3Info info;
    info.setFilename(path);
    EXPECT_EQ(info.title(), QString::fromUtf8("Don’t Stop"));
    EXPECT_EQ(info.artist(), QString::fromUtf8("5 €"));
    info.setAlbum(QString::fromUtf8("€ ’ Ж"));
    info.save();
    EXPECT_EQ(readFileBytes(path).right(128),
              makeTagBlock("Don\x92t Stop", "5 \x80", "\x80 \x92 ?", "", "", 17));
}

TEST_F(TMP3InfoCodePageTest, TheDefaultPicksTheCodePageOfNewReaders)
{
    const auto cyrillic = SingleByteCodePage::byName(QStringLiteral("Windows-1251"));
    if (!cyrillic)
        GTEST_SKIP() << "Windows-1251 is not offered by Qt on this system";
    const QString path =
        files.write("song.mp3", fixtureBytes("untagged.mp3") +
                                    makeTagBlock("\xc6\xe8\xe7\xed\xfc", "", "", "", "", 17));

    TMP3Info before; // made before the change: keeps Windows-1252
    TMP3Info::setDefaultCodePage(*cyrillic);
    TMP3Info info;
    EXPECT_EQ(info.codePage().name(), QStringLiteral("Windows-1251"));
    info.setFilename(path);
    EXPECT_EQ(info.title(), QString::fromUtf8("Жизнь"));
    info.setArtist(QString::fromUtf8("Кино €"));
    info.save();
    EXPECT_EQ(readFileBytes(path).right(128),
              makeTagBlock("\xc6\xe8\xe7\xed\xfc", "\xca\xe8\xed\xee \x88", "", "", "", 17));

    before.setFilename(path);
    EXPECT_EQ(before.title(), QString::fromUtf8("Æèçíü"));
}

} // namespace
