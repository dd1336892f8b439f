// Table tests of the texts list building derives from its inputs: track lengths and time
// totals, filter expressions, order clauses, album switches and column widths.
#include "lists/ListBuilder.h"
#include "lists/ListOrder.h"
#include "platform/Errors.h"
#include "settings/SettingsStore.h"
#include "testsupport/CaseNames.h"
#include "testsupport/TempHome.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {

// ---- Track lengths ----

struct LengthCase
{
    const char* name;
    const char* text;
    std::optional<qint64> seconds;
};

void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class TrackLengthSecondsTest : public ::testing::TestWithParam<LengthCase>
{};

TEST_P(TrackLengthSecondsTest, ReadsThreeNumericPartsOnly)
{
    EXPECT_EQ(trackLengthSeconds(QString::fromUtf8(GetParam().text)), GetParam().seconds)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, TrackLengthSecondsTest,
    ::testing::Values(LengthCase{"ThreeFortyFive", "0:03:45", 225},
                      LengthCase{"TwoThirty", "0:02:30", 150}, LengthCase{"Zero", "0:00:00", 0},
                      // Ten hours and more: the hours are every digit before the first colon.
                      LengthCase{"TwelveHours", "12:01:02", 12 * 3600 + 62},
                      LengthCase{"SingleDigitParts", "1:5:7", 3907},
                      LengthCase{"MinutesOverSixty", "0:75:00", 75 * 60}, // summed as it stands
                      LengthCase{"Empty", "", std::nullopt},
                      LengthCase{"NotANumber", "garbage", std::nullopt},
                      LengthCase{"TwoParts", "3:45", std::nullopt},
                      LengthCase{"FourParts", "0:03:45:10", std::nullopt},
                      LengthCase{"EmptyPart", "0::45", std::nullopt},
                      LengthCase{"EmptyLastPart", "0:03:", std::nullopt},
                      LengthCase{"NegativePart", "0:-3:45", std::nullopt},
                      LengthCase{"LeadingBlank", " 0:03:45", std::nullopt},
                      LengthCase{"LetterInSeconds", "0:03:4x", std::nullopt},
                      LengthCase{"LetterInHours", "x:03:45", std::nullopt},
                      LengthCase{"TrailingBlank", "0:03:45 ", std::nullopt},
                      LengthCase{"HoursOverflow", "99999999999:00:00", std::nullopt}),
    RowName());

struct TimeCase
{
    qint64 seconds;
    const char* text;
};

void PrintTo(const TimeCase& c, std::ostream* os)
{
    *os << c.seconds;
}

class ListTimeTest : public ::testing::TestWithParam<TimeCase>
{};

TEST_P(ListTimeTest, CarriesWithoutLeadingZeros)
{
    EXPECT_EQ(ListTime{GetParam().seconds}.text(), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Times, ListTimeTest,
                         ::testing::Values(TimeCase{0, "0:0:0"}, TimeCase{59, "0:0:59"},
                                           TimeCase{60, "0:1:0"}, TimeCase{3 * 150, "0:7:30"},
                                           TimeCase{3600 + 5 * 60 + 7, "1:5:7"},
                                           TimeCase{3599, "0:59:59"},
                                           TimeCase{36000 + 59, "10:0:59"},
                                           TimeCase{250 * 3600 + 61, "250:1:1"}),
                         [](const auto& info) { return std::to_string(info.param.seconds) + "s"; });

TEST(ListBuildResultTest, PanelsNameTheirValues)
{
    ListBuildResult result;
    result.songs = 3;
    result.playable = 2;
    result.listTime.seconds = 450;
    result.playTime.seconds = 300;
    EXPECT_EQ(result.panels(), (QStringList{"Songs in list: 3", "Songs playable: 2",
                                            "List Time: 0:7:30", "Play Time: 0:5:0"}));
}

// ---- Filter expressions ----

struct FilterCase
{
    const char* name;
    const char* artist;
    const char* title;
    const char* album;
    const char* expression;
};

void PrintTo(const FilterCase& c, std::ostream* os)
{
    *os << '"' << c.artist << "\" \"" << c.title << "\" \"" << c.album << '"';
}

class FilterExpressionTest : public ::testing::TestWithParam<FilterCase>
{};

TEST_P(FilterExpressionTest, JoinsTheFilledEditsInOrder)
{
    const FilterCase& c = GetParam();
    EXPECT_EQ(filterExpression(QString::fromUtf8(c.artist), QString::fromUtf8(c.title),
                               QString::fromUtf8(c.album)),
              QString::fromUtf8(c.expression));
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, FilterExpressionTest,
    ::testing::Values(
        FilterCase{"NothingFilled", "", "", "", ""},
        FilterCase{"ArtistAndAlbum", "be", "", "x", "artist = 'be*' and album = 'x*'"},
        FilterCase{"TitleOnly", "", "love", "", "title = 'love*'"},
        FilterCase{"AlbumOnly", "", "", "Abbey", "album = 'Abbey*'"},
        FilterCase{"AllThree", "a", "b", "c", "artist = 'a*' and title = 'b*' and album = 'c*'"},
        // As typed: blanks and quotes are part of the text.
        FilterCase{"BlanksKept", " be ", "", "", "artist = ' be *'"},
        FilterCase{"ApostrophesKept", "O'Brien", "It's", "",
                   "artist = 'O'Brien*' and title = 'It's*'"},
        FilterCase{"QuoteAtTheEnd", "x'", "", "'", "artist = 'x'*' and album = ''*'"},
        FilterCase{"AndInsideText", "a and b", "", "", "artist = 'a and b*'"}),
    RowName());

// Texts that would read as a second condition are refused, never given another meaning.
class FilterExpressionRefusedTest : public ::testing::TestWithParam<FilterCase>
{};

TEST_P(FilterExpressionRefusedTest, Throws)
{
    const FilterCase& c = GetParam();
    EXPECT_THROW(filterExpression(QString::fromUtf8(c.artist), QString::fromUtf8(c.title),
                                  QString::fromUtf8(c.album)),
                 EDatabaseError);
}

INSTANTIATE_TEST_SUITE_P(
    Ambiguous, FilterExpressionRefusedTest,
    ::testing::Values(FilterCase{"SecondConditionInArtist", "a' and title = 'b", "", "", ""},
                      FilterCase{"SecondConditionInTitle", "", "x' and album = '", "", ""},
                      FilterCase{"UpperCaseAndInAlbum", "", "", "y' AND genre = 'Rock", ""},
                      FilterCase{"UnknownColumn", "a' and nosuchcolumn = 'b", "", "", ""}),
    RowName());

// ---- Order clauses ----

struct OrderCase
{
    int key;
    int direction;
    const char* clause;
};

void PrintTo(const OrderCase& c, std::ostream* os)
{
    *os << c.key << '/' << c.direction;
}

class OrderClauseTest : public ::testing::TestWithParam<OrderCase>
{};

TEST_P(OrderClauseTest, NamesTheDirection)
{
    EXPECT_EQ(ListOrder::orderClause(GetParam().key, GetParam().direction),
              QString::fromUtf8(GetParam().clause));
}

INSTANTIATE_TEST_SUITE_P(Clauses, OrderClauseTest,
                         ::testing::Values(OrderCase{0, 0, " order by artist asc, title asc"},
                                           OrderCase{0, 1, " order by artist desc, title desc"},
                                           OrderCase{1, 0, " order by title asc, artist asc"},
                                           OrderCase{1, 1, " order by title desc, artist desc"},
                                           OrderCase{2, 0, " order by track_length asc"},
                                           OrderCase{3, 1, " order by Filename desc"},
                                           OrderCase{4, 0, " order by Album asc"},
                                           OrderCase{5, 1, " order by Genre desc"},
                                           OrderCase{6, 0, " order by sYear asc"},
                                           OrderCase{7, 1, " order by Played desc"},
                                           OrderCase{8, 0, " order by comment asc"}),
                         [](const auto& info) { return caseName(info.param.clause); });

TEST(ListOrderTest, HeaderCaptionsMapToKeys)
{
    const std::pair<const char*, int> cases[] = {
        {"Artist", 0}, {"Title", 1}, {"Length", 2},  {"Filename", 3}, {"Album", 4},
        {"Genre", 5},  {"Year", 6},  {"Pld.", 7},    {"Comment", 8},  {"Frequency", -1},
        {"ID", -1},    {"", -1},     {"artist", -1},
    };
    for (const auto& [caption, key] : cases)
        EXPECT_EQ(ListOrder::keyForCaption(QString::fromUtf8(caption)), key) << caption;
    EXPECT_EQ(ListOrder::keyNames().size(), ListOrder::keyCount);
    EXPECT_EQ(ListOrder::daOrder(9), QString());
}

// ---- Album switch ----

struct SwitchCase
{
    const char* name;
    bool allOneAlbum;
    const char* lastAlbum;
    const char* lastClicked;
    int saved;
    bool sortAlbums;
    bool sortAlbumsBack;
    AlbumSwitch expected;
};

void PrintTo(const SwitchCase& c, std::ostream* os)
{
    *os << c.name;
}

class AlbumSwitchTest : public ::testing::TestWithParam<SwitchCase>
{};

TEST_P(AlbumSwitchTest, Decides)
{
    const SwitchCase& c = GetParam();
    ListBuildResult result;
    result.allOneAlbum = c.allOneAlbum;
    result.lastAlbum = QString::fromUtf8(c.lastAlbum);
    EXPECT_EQ(albumSwitch(result, QString::fromUtf8(c.lastClicked), c.saved, c.sortAlbums,
                          c.sortAlbumsBack),
              c.expected)
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AlbumSwitchTest,
    ::testing::Values(
        SwitchCase{"new window, one album", true, "X", "", 0, true, true, AlbumSwitch::ToFilename},
        SwitchCase{"sorted by year, one album", true, "X", "Year", 0, true, true,
                   AlbumSwitch::ToFilename},
        SwitchCase{"empty album does not switch", true, "", "", 0, true, true, AlbumSwitch::None},
        SwitchCase{"SortAlbums off", true, "X", "", 0, false, true, AlbumSwitch::None},
        SwitchCase{"already by file name", true, "X", "Filename", 1, true, true, AlbumSwitch::None},
        SwitchCase{"another album came in", false, "Y", "Filename", 7, true, true,
                   AlbumSwitch::Back},
        SwitchCase{"back without a saved column", false, "Y", "Filename", 0, true, true,
                   AlbumSwitch::None},
        SwitchCase{"SortAlbumsBack off", false, "Y", "Filename", 7, true, false, AlbumSwitch::None},
        SwitchCase{"several albums, not by file name", false, "Y", "Artist", 7, true, true,
                   AlbumSwitch::None}),
    RowName());

// ---- Column widths ----

class ColumnWidthsTest : public ::testing::Test
{
protected:
    TempHome home;
    SettingsStore settings{std::make_unique<QSettings>(home.settingsFile(), QSettings::IniFormat)};
};

TEST_F(ColumnWidthsTest, FollowTheShowSettings)
{
    // Defaults: artist, length, album and genre shown.
    EXPECT_EQ(columnWidths(settings),
              (std::vector<int>{170, 150, 75, 0, 160, 0, 0, 80, 0, 0, 0, 0, 0}));

    for (const char* name :
         {SettingsStore::ShowArtist, SettingsStore::ShowLength, SettingsStore::ShowFilename,
          SettingsStore::ShowAlbum, SettingsStore::ShowComment, SettingsStore::ShowYear,
          SettingsStore::ShowGenre, SettingsStore::ShowPlayed})
        settings.setFlag(QLatin1String(name), true);
    // Frequency, bitrate, ID and location are never shown.
    EXPECT_EQ(columnWidths(settings),
              (std::vector<int>{170, 150, 75, 340, 160, 160, 60, 80, 0, 0, 0, 0, 40}));

    settings.setFlag(QLatin1String(SettingsStore::ShowArtist), false);
    settings.setFlag(QLatin1String(SettingsStore::ShowPlayed), false);
    EXPECT_EQ(columnWidths(settings),
              (std::vector<int>{0, 0, 75, 340, 160, 160, 60, 80, 0, 0, 0, 0, 0}));
}

} // namespace
