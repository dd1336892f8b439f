#include "intake/FilenameRecognizer.h"

#include "db/SongTableFixture.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using FilenameRecognizer::artistPattern;
using FilenameRecognizer::recognize;
using FilenameRecognizer::recognizedGenreId;

// ---- The text edits, on an empty song table (so the artist stays as recognised) ----

struct NameCase
{
    const char* name;
    const char* fileName;
    const char* artist;
    const char* title;
    bool full;
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.fileName;
}

class RecognizedName : public SongTableFixture, public ::testing::WithParamInterface<NameCase>
{};

TEST_P(RecognizedName, GivesArtistTitleAndKind)
{
    const NameCase& c = GetParam();
    const Recognition r = recognize(QString::fromUtf8(c.fileName), QString(), db);
    EXPECT_EQ(r.artist, QString::fromUtf8(c.artist));
    EXPECT_EQ(r.title, QString::fromUtf8(c.title));
    EXPECT_EQ(r.full, c.full);
    EXPECT_EQ(r.genre, QStringLiteral("Other"));
}

const NameCase nameCases[] = {
    // The worked examples.
    {"WorkedTrackNumberAndDash", "/music/01 Rez Vuvevo - Redemption Song.mp3", "Rez Vuvevo",
     "Redemption Song", true},
    {"WorkedUnderscoresAndHyphen", "/music/Rez_Vuvevo-Redemption_Song.mp3", "Rez Vuvevo",
     "Redemption Song", true},
    {"WorkedEncodedSpaces", "/music/Rez%20Vuvevo%20-%20Jamming.mp3", "Rez Vuvevo", "Jamming", true},
    {"TrackNumberThenTwoDashes", "/music/05 - Artist - Title.mp3", "Artist", "Title", true},
    {"TwoHyphensFirstJoins", "/music/a-b-c.mp3", "a-b", "c", true},
    {"TrackWordOnly", "/music/Track05.mp3", "Unknown", "Track05", false},
    {"NumberOfTheBeastNoDash", "/music/666 Number of the Beast.mp3", "Unknown",
     "666 Number of the Beast", false},
    // One hyphen without " - ": the artist keeps the space that stood before the hyphen.
    {"OneHyphenKeepsSpaceBefore", "/music/Rez Vuvevo -Jamming.mp3", "Rez Vuvevo ", "Jamming", true},
    // Two hyphens without " - ": the first joins, the second separates.
    {"TwoHyphensAfterSpaceHyphen", "/music/Artist -Title-Remix.mp3", "Artist-Title", "Remix", true},
    {"ThreeHyphens", "/music/a-b-c-d.mp3", "a-b", "c-d", true},
    {"HyphensAtTheEnd", "/music/ab--.mp3", "ab-", "", true},
    // A " - " already there leaves every other hyphen alone.
    {"SpacedDashLeavesHyphens", "/music/A - B-C.mp3", "A", "B-C", true},
    {"SpacedDashAfterLoneHyphen", "/music/A -B - C.mp3", "A -B", "C", true},
    {"OneWord", "/music/Oneword.mp3", "Unknown", "Oneword", false},
    {"JunkOnly", "/music/(#!).mp3", "Unknown", "", false},
    {"ExtensionOnly", "/music/.mp3", "Unknown", "", false},
    // Track numbers: sign, hexadecimal, 666 in any spelling, a number alone.
    {"UnderscoredDashAfterNumber", "/music/07_Band_-_Song.mp3", "Band", "Song", true},
    {"NegativeTrackNumber", "/music/-5 Band - Song.mp3", "Band", "Song", true},
    {"PositiveTrackNumber", "/music/+12 Band - Song.mp3", "Band", "Song", true},
    {"HexTrackNumber", "/music/$1F Band - Song.mp3", "Band", "Song", true},
    {"BadHexDigitIsNoNumber", "/music/$1G Band - Song.mp3", "$1G Band", "Song", true},
    {"DollarAlone", "/music/$ Band - Song.mp3", "$ Band", "Song", true},
    {"ZeroPadded666IsNoNumber", "/music/0666 Band - Song.mp3", "0666 Band", "Song", true},
    {"Hex666IsNoNumber", "/music/$29A Band - Song.mp3", "$29A Band", "Song", true},
    {"Negative666IsANumber", "/music/-666 Band - Song.mp3", "Band", "Song", true},
    {"LongZeroPaddedNumber", "/music/000000000000000000001 Band - Song.mp3", "Band", "Song", true},
    {"NumberAlone", "/music/12.mp3", "Unknown", "12", false},
    {"NumberAndSpaceAlone", "/music/12 .mp3", "Unknown", "", false},
    {"DigitThenLetterIsNoNumber", "/music/1x Band - Song.mp3", "1x Band", "Song", true},
    // The track number goes before leading junk: a space first means no number.
    {"EncodedSpaceBeforeNumber", "/music/%2020 Band - Song.mp3", "20 Band", "Song", true},
    // Encoded spaces: only "%20" is one.
    {"PercentBeforeEncodedSpace", "/music/A%%20B - C.mp3", "A% B", "C", true},
    {"PercentNotASpace", "/music/100%25.mp3", "Unknown", "100%25", false},
    // Leading junk: apostrophe, "$", "{" and "[" may start a name; accented letters may not.
    {"ParenthesisedNumber", "/music/(01) - Band - Song.mp3", "01)", "Band - Song", true},
    {"BracketedNumber", "/music/[01] Band - Song.mp3", "[01] Band", "Song", true},
    {"ApostropheStartsAName", "/music/'Til Tuesday - Song.mp3", "'Til Tuesday", "Song", true},
    {"BraceStartsAName", "/music/{x} - Song.mp3", "{x}", "Song", true},
    {"AccentedLetterIsJunk", "/music/Élan - Chanson.mp3", "lan", "Chanson", true},
    {"AccentedLettersOnly", "/music/ÄÖ.mp3", "Unknown", "", false},
    // Folders: a path of this system splits at its last slash only; Windows paths also at ":".
    {"ColonInTheName", "/music/Live: 1999 - Song.mp3", "Live: 1999", "Song", true},
    {"ColonInTheFolder", "/mu:sic/Band - Song.mp3", "Band", "Song", true},
    {"WindowsPath", "C:\\Music\\Band - Song.mp3", "Band", "Song", true},
    {"WindowsDriveWithoutSlash", "D:Band - Song.mp3", "Band", "Song", true},
    {"WindowsShare", "\\\\server\\share\\Band - Song.wma", "Band", "Song", true},
    // A backslash in a name of this system belongs to the name; a relative name with slashes
    // only is no Windows name either, while a Windows one also splits at "/".
    {"BackslashInPosixName", "/music/AC\\DC - Song.mp3", "AC\\DC", "Song", true},
    {"RelativeSlashedName", "Music/Live: 1999 - Song.mp3", "Live: 1999", "Song", true},
    {"DriveWithSlash", "D:/Music/Band - Song.mp3", "Band", "Song", true},
};

INSTANTIATE_TEST_SUITE_P(Table, RecognizedName, ::testing::ValuesIn(nameCases), RowName());

TEST(FilenameRecognizer, RecognitionTextIsTheEditedName)
{
    using FilenameRecognizer::recognitionText;
    EXPECT_EQ(recognitionText(QStringLiteral("/m/Rez Vuvevo -Jamming.mp3")),
              QStringLiteral("Rez Vuvevo  - Jamming"));
    EXPECT_EQ(recognitionText(QStringLiteral("/m/Artist -Title-Remix.mp3")),
              QStringLiteral("Artist-Title - Remix"));
    EXPECT_EQ(recognitionText(QStringLiteral("/m/05 - Artist - Title.mp3")),
              QStringLiteral("Artist - Title"));
    EXPECT_EQ(recognitionText(QStringLiteral("/m/666.mp3")), QStringLiteral("666"));
}

TEST(FilenameRecognizer, ArtistPattern)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Rez Vuvevo", "_ez _uvevo"},
        {"rez vuvevo", "_ez _uvevo"},
        {"A", "_"},
        {"", ""},
        // The scan starts at position 2 and resumes four characters after a space.
        {"A Band", "_ Band"},
        {"A B C D", "_ B _ D"},
        // The resumed scan steps over the space before a third two-letter word.
        {"Ab Cd Ef", "_b _d Ef"},
        {"Abc Def Ghi", "_bc _ef _hi"},
        {"Rez Vuvevo ", "_ez _uvevo "},
    };
    for (const auto& [artist, pattern] : cases)
        EXPECT_EQ(artistPattern(QString::fromUtf8(artist)), QString::fromUtf8(pattern)) << artist;
}

TEST(FilenameRecognizer, GenreIdIsThePositionInTheIntakeListOrZero)
{
    EXPECT_EQ(recognizedGenreId(QStringLiteral("Blues")), 0);
    EXPECT_EQ(recognizedGenreId(QStringLiteral("Other")), 12);
    EXPECT_EQ(recognizedGenreId(QStringLiteral("Reggae")), 16);
    EXPECT_EQ(recognizedGenreId(QStringLiteral("Fast Fusion")), 84);
    // Compared exactly: another list's spelling, another case, or no genre give 0.
    EXPECT_EQ(recognizedGenreId(QStringLiteral("Fast-Fusion")), 0);
    EXPECT_EQ(recognizedGenreId(QStringLiteral("reggae")), 0);
    EXPECT_EQ(recognizedGenreId(QStringLiteral("Polka Punk")), 0);
    EXPECT_EQ(recognizedGenreId(QString()), 0);
}

// ---- The song-table look-ups ----

class RecognizerTable : public SongTableFixture
{
protected:
    void addArtist(const QString& artist, const QString& genre)
    {
        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = QStringLiteral("Some Song %1").arg(++m_count);
        song.filename = QStringLiteral("/music/%1.mp3").arg(m_count);
        song.trackLength = QStringLiteral("0:03:00");
        song.location = QStringLiteral("Disk!");
        song.genre = genre;
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    Recognition guess(const QString& name, const QString& currentGenre = QString())
    {
        return recognize(QStringLiteral("/in/") + name, currentGenre, db);
    }

private:
    int m_count = 0;
};

TEST_F(RecognizerTable, StoredSpellingReplacesTheRecognisedOne)
{
    addArtist(QStringLiteral("Rez Vuvevo"), QStringLiteral("Reggae"));
    const Recognition r = guess(QStringLiteral("rez vuvevo - Jamming.mp3"));
    EXPECT_TRUE(r.full);
    EXPECT_EQ(r.artist, QStringLiteral("Rez Vuvevo"));
    EXPECT_EQ(r.title, QStringLiteral("Jamming"));
    // The genre query runs with the stored spelling, which an exact comparison finds.
    EXPECT_EQ(r.genre, QStringLiteral("Reggae"));
}

TEST_F(RecognizerTable, LastMatchingRowGivesTheSpellingFirstExactRowTheGenre)
{
    addArtist(QStringLiteral("REZ VUVEVO"), QStringLiteral("Ska"));
    addArtist(QStringLiteral("Rez Vuvevo"), QStringLiteral("Reggae"));
    addArtist(QStringLiteral("Rez Vuvevo"), QStringLiteral("Dub"));
    addArtist(QStringLiteral("Fez Duvevo"), QStringLiteral("Rock")); // fits the pattern only
    const Recognition r = guess(QStringLiteral("rez VUVEVO - Jamming.mp3"));
    EXPECT_EQ(r.artist, QStringLiteral("Rez Vuvevo"));
    EXPECT_EQ(r.genre, QStringLiteral("Reggae"));
}

// The spelling comes from the index for plain letters and from the pattern's scan when a letter
// the pattern leaves open is not ASCII; both must find what the pattern would.
TEST_F(RecognizerTable, SpellingWithLettersBeyondAsciiWhereThePatternIsOpen)
{
    addArtist(QStringLiteral("Zoé Émile"), QStringLiteral("Chanson"));
    addArtist(QStringLiteral("ZOÉ ÉMILE"), QStringLiteral("Chanson"));
    // The "É" of the second word is where the pattern is open; the "é" of the first word is
    // compared exactly beyond ASCII, as the engine's LIKE does.
    EXPECT_EQ(guess(QStringLiteral("zoé émile - Song.mp3")).artist, QStringLiteral("Zoé Émile"));
    EXPECT_EQ(guess(QStringLiteral("ZOÉ émile - Song.mp3")).artist, QStringLiteral("ZOÉ ÉMILE"));
}

TEST_F(RecognizerTable, RowsThatOnlyFitThePatternChangeNothing)
{
    addArtist(QStringLiteral("Fez Duvevo"), QStringLiteral("Rock"));
    addArtist(QStringLiteral("Rez Vuvevos"), QStringLiteral("Rock"));
    const Recognition r = guess(QStringLiteral("rez vuvevo - Jamming.mp3"), QStringLiteral("Pop"));
    EXPECT_EQ(r.artist, QStringLiteral("rez vuvevo"));
    EXPECT_EQ(r.genre, QStringLiteral("Pop"));
}

TEST_F(RecognizerTable, GenreFromTheTableOverridesTheCurrentOne)
{
    addArtist(QStringLiteral("Band"), QStringLiteral("Polka Punk"));
    const Recognition r = guess(QStringLiteral("Band - Song.mp3"), QStringLiteral("Rock"));
    // Not in the intake list: the text is kept, the tag gets 0.
    EXPECT_EQ(r.genre, QStringLiteral("Polka Punk"));
    EXPECT_EQ(recognizedGenreId(r.genre), 0);
}

TEST_F(RecognizerTable, PartialRecognitionAsksNothing)
{
    addArtist(QStringLiteral("Unknown"), QStringLiteral("Rock"));
    const QString lastStatement = db.monitor().text();
    const Recognition r = guess(QStringLiteral("Track05.mp3"), QStringLiteral("Jazz"));
    EXPECT_FALSE(r.full);
    EXPECT_EQ(r.artist, QStringLiteral("Unknown"));
    EXPECT_EQ(r.genre, QStringLiteral("Jazz"));
    EXPECT_EQ(db.monitor().text(), lastStatement);
}

// Stored values are encoded and the look-ups are not: an apostrophe never matches, and the
// statement with the apostrophe in it is still a valid one.
TEST_F(RecognizerTable, ArtistWithApostropheNeverMatches)
{
    addArtist(QStringLiteral("Sinead O'Connor"), QStringLiteral("Pop"));
    const Recognition r = guess(QStringLiteral("sinead o'connor - Song.mp3"));
    EXPECT_EQ(r.artist, QStringLiteral("sinead o'connor"));
    EXPECT_EQ(r.genre, QStringLiteral("Other"));
}

// A double quote cannot go into a statement: the artist keeps its own spelling and the add
// is not interrupted.
TEST_F(RecognizerTable, ArtistWithDoubleQuoteSkipsTheLookups)
{
    addArtist(QStringLiteral("The \"Band\""), QStringLiteral("Rock"));
    const QString lastStatement = db.monitor().text();
    const Recognition r = guess(QStringLiteral("the \"band\" - Song.mp3"), QStringLiteral("Jazz"));
    EXPECT_TRUE(r.full);
    EXPECT_EQ(r.artist, QStringLiteral("the \"band\""));
    EXPECT_EQ(r.title, QStringLiteral("Song"));
    EXPECT_EQ(r.genre, QStringLiteral("Jazz"));
    EXPECT_EQ(db.monitor().text(), lastStatement);
}

// LIKE wildcards in the artist are wildcards; the case-insensitive comparison still decides.
TEST_F(RecognizerTable, PercentInTheArtistOnlyWidensTheSearch)
{
    addArtist(QStringLiteral("100 Pure Hits"), QStringLiteral("Rock"));
    addArtist(QStringLiteral("100% PURE"), QStringLiteral("Pop"));
    const Recognition r = guess(QStringLiteral("100% pure - Song.mp3"));
    EXPECT_EQ(r.artist, QStringLiteral("100% PURE"));
    EXPECT_EQ(r.genre, QStringLiteral("Pop"));
}

TEST(FilenameRecognizerErrors, MissingSongTableInterruptsAFullRecognition)
{
    TempHome home;
    SongDatabase db(home.path());
    EXPECT_THROW(recognize(QStringLiteral("/m/Band - Song.mp3"), QString(), db), EDatabaseError);
    EXPECT_NO_THROW(recognize(QStringLiteral("/m/Song.mp3"), QString(), db));
}

} // namespace
