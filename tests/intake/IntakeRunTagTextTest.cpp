#include "Id3v2Files.h"
#include "IntakeRunFixture.h"

#include "intake/TMP3Info.h"
#include "testsupport/CaseNames.h"

namespace {

using Id3v2Files::Tag;

const Tag today{"Tag Title", "Tag Artist", "Tag Album", "From the tag", "Rock", 2001, ""};

struct Id3v2Case
{
    const char* name;
    int version;
    bool readId3v2;
    // Artist, title, genre, album, comment, year as stored.
    QStringList stored;
    int full;
};

const Id3v2Case id3v2Cases[] = {
    {"ID3v2.3 read",
     3,
     true,
     {"Tag Artist", "Tag Title", "Rock", "Tag Album", "From the tag", "2001"},
     0},
    {"ID3v2.4 read",
     4,
     true,
     {"Tag Artist", "Tag Title", "Rock", "Tag Album", "From the tag", "2001"},
     0},
    // The setting off: the file goes to recognition from its name, as files always did.
    {"setting off recognises the name",
     4,
     false,
     {"Name Artist", "Name Title", "Other", "", "Tag filled in by Tamboro 3", ""},
     1},
};

class IntakeRunId3v2Test : public IntakeRunFixture, public ::testing::WithParamInterface<Id3v2Case>
{};

// A file of today carries only an ID3v2 tag: intake takes its values from there instead of
// guessing them from the file name, and writes nothing into the file.
TEST_P(IntakeRunId3v2Test, FileWithoutId3v1TagIsReadFromItsId3v2Tag)
{
    const Id3v2Case& c = GetParam();
    const QString path = file("Name Artist - Name Title.mp3", IntakeFiles::untaggedMp3());
    Id3v2Files::addTag(path, c.version, today);
    const FileState before = FileState::of(path);

    options.readId3v2Tags = c.readId3v2;
    const IntakeResult result = add({path});
    EXPECT_EQ(result.figures.added, 1) << result.figures;
    EXPECT_EQ(result.figures.full, c.full) << result.figures;
    EXPECT_EQ(result.figures.partial, 0) << result.figures;

    const QList<QStringList> stored = rows();
    ASSERT_EQ(stored.size(), 1);
    const QStringList& row = stored.first();
    // rows() starts at the artist: artist, title, filename, location, length, genre, album,
    // bitrate, frequency, comment, year, played.
    EXPECT_EQ((QStringList{row.at(0), row.at(1), row.at(5), row.at(6), row.at(9), row.at(10)}),
              c.stored);
    EXPECT_EQ(row.at(4), QStringLiteral("0:00:00")); // 1 s less the half second, as always
    EXPECT_EQ(FileState::of(path), before);
}

INSTANTIATE_TEST_SUITE_P(Tags, IntakeRunId3v2Test, ::testing::ValuesIn(id3v2Cases), RowName());

// Where both tags are there, the ID3v1 tag is the one the catalogue is built on.
TEST_F(IntakeRunFixture, Id3v1TagWinsOverTheId3v2Tag)
{
    const QString path = file("both.mp3", IntakeFiles::taggedMp3("V1 Artist", "V1 Title"));
    Id3v2Files::addTag(path, 4, today);
    const IntakeResult result = add({path});
    EXPECT_EQ(result.figures.added, 1) << result.figures;
    EXPECT_EQ(columnOfAll(SongColumn::Artist), QStringList{"V1 Artist"});
    EXPECT_EQ(columnOfAll(SongColumn::Title), QStringList{"V1 Title"});
}

// An ID3v1 tag without an artist would send the file to recognition, and the guess would be
// written over the ID3v2 tag's artist: the ID3v2 tag fills the fields the ID3v1 tag leaves
// empty, and the file stays as it is.
TEST_F(IntakeRunFixture, Id3v1TagWithoutArtistIsFilledFromTheId3v2Tag)
{
    const QString path = file("Name Artist - Name Title.mp3",
                              IntakeFiles::taggedMp3("", "V1 Title", 12, "", "", ""));
    Id3v2Files::addTag(path, 3, today);
    const FileState before = FileState::of(path);
    const IntakeResult result = add({path});
    EXPECT_EQ(result.figures.full + result.figures.partial, 0) << result.figures;
    const QList<QStringList> stored = rows();
    ASSERT_EQ(stored.size(), 1);
    const QStringList& row = stored.first();
    EXPECT_EQ((QStringList{row.at(0), row.at(1), row.at(5), row.at(6), row.at(9), row.at(10)}),
              (QStringList{"Tag Artist", "V1 Title", "Rock", "Tag Album", "From the tag", "2001"}));
    EXPECT_EQ(FileState::of(path), before);
    EXPECT_EQ(Id3v2Files::readTag(path)->tag.artist, QStringLiteral("Tag Artist"));
}

// An ID3v2 tag without an artist leaves the file to recognition, which may then not write into
// it: the file has no ID3v1 tag to rewrite.
TEST_F(IntakeRunFixture, Id3v2TagWithoutArtistGoesToRecognition)
{
    const QString path = file("Name Artist - Name Title.mp3", IntakeFiles::untaggedMp3());
    Tag noArtist = today;
    noArtist.artist.clear();
    Id3v2Files::addTag(path, 3, noArtist);
    const FileState before = FileState::of(path);
    const IntakeResult result = add({path});
    EXPECT_EQ(result.figures.full, 1) << result.figures;
    EXPECT_EQ(columnOfAll(SongColumn::Artist), QStringList{"Name Artist"});
    EXPECT_EQ(FileState::of(path), before);
}

// ID3v1 text goes into the song table as the code page of Options reads it: Windows-1252 by
// default, another when chosen.
TEST_F(IntakeRunFixture, Id3v1TextIsReadInTheChosenCodePage)
{
    const QString path = file("song.mp3", IntakeFiles::taggedMp3("Don\x92t \xc6", "Title"));
    add({path});
    EXPECT_EQ(columnOfAll(SongColumn::Artist), QStringList{QString::fromUtf8("Don’t Æ")});

    const auto cyrillic = SingleByteCodePage::byName(QStringLiteral("Windows-1251"));
    if (!cyrillic)
        GTEST_SKIP() << "Windows-1251 is not offered by Qt on this system";
    TMP3Info::setDefaultCodePage(*cyrillic);
    options.mediumName = QStringLiteral("Other disk");
    add({path});
    TMP3Info::setDefaultCodePage(SingleByteCodePage());
    EXPECT_EQ(columnOfAll(SongColumn::Artist),
              (QStringList{QString::fromUtf8("Don’t Æ"), QString::fromUtf8("Don’t Ж")}));
}

} // namespace
