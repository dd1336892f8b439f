// Search answers read into result rows: how many rows, which server each belongs to, and the
// values as a list window shows them.

#include "net/SearchResults.h"
#include "testsupport/CaseNames.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// One record as a server sends it: ten fields, each ended by "|".
QString record(const QString& artist, const QString& file = QStringLiteral("/music/a.mp3"))
{
    return artist + QStringLiteral("|Title|0:03:10|") + file +
           QStringLiteral("|Album|Comment|1999|Rock|44100|128|");
}

QString records(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += record(QStringLiteral("Artist %1").arg(i, 2, 10, QLatin1Char('0')));
    return text;
}

const QString verb = QStringLiteral("SEARCHRES$");

struct ParseCase
{
    const char* name;
    QString answer;
    bool central;
    QStringList captions;  // empty with `count`: only the count is checked
    QStringList locations; // the Location of each row, in answer order
    int count = -1;
};

QStringList repeated(const QString& text, int times)
{
    QStringList list;
    for (int i = 0; i < times; ++i)
        list << text;
    return list;
}

const ParseCase parseCases[] = {
    {"sixty records give fifty rows",
     verb + records(60),
     false,
     {},
     repeated(QStringLiteral("10.0.0.5R"), 50),
     50},
    {"the verb alone gives none", verb, false, {}, {}, 0},
    {"less than the verb gives none", QStringLiteral("SEARCHRES"), false, {}, {}, 0},
    {"personal rows carry the server text",
     verb + record("A") + record("B"),
     false,
     {"A", "B"},
     {"10.0.0.5R", "10.0.0.5R"}},
    {"central second record without address keeps the first's",
     verb + "10.0.0.7;" + record("A") + record("B") + "10.0.0.12;" + record("C"),
     true,
     {"A", "B", "C"},
     {"10.0.0.7R", "10.0.0.7R", "10.0.0.12R"}},
    {"record cut short keeps the rows before it",
     verb + record("A") + record("B") + "C|Title|0:03:10|",
     false,
     {"A", "B"},
     {"10.0.0.5R", "10.0.0.5R"}},
    {"record missing its last bar keeps the rows before it",
     verb + record("A") + record("B").chopped(1),
     false,
     {"A"},
     {"10.0.0.5R"}},
    {"central record with no address to belong to ends the rows",
     verb + record("A") + "10.0.0.7;" + record("B"),
     true,
     {},
     {},
     0},
    {"personal semicolon is part of the artist",
     verb + record("AC;DC"),
     false,
     {"AC;DC"},
     {"10.0.0.5R"}},
};

class SearchResultsParse : public ::testing::TestWithParam<ParseCase>
{};

TEST_P(SearchResultsParse, RowsAndTheirServers)
{
    const ParseCase& c = GetParam();
    int reported = 0;
    const std::vector<ListEntry> rows = SearchResults::parse(
        c.answer, c.central, QStringLiteral("10.0.0.5"), [&](int count) { reported = count; });
    QStringList captions, locations;
    for (const ListEntry& row : rows) {
        captions << row.caption;
        locations << row.value(ListEntry::Location);
    }
    if (c.count >= 0)
        EXPECT_EQ(int(rows.size()), c.count);
    else
        EXPECT_EQ(captions, c.captions);
    EXPECT_EQ(locations, c.locations);
    EXPECT_EQ(reported, int(rows.size()));
}

INSTANTIATE_TEST_SUITE_P(SearchResults, SearchResultsParse, ::testing::ValuesIn(parseCases),
                         RowName());

TEST(SearchResults, RowHoldsTheFieldsDecodedAndTheRemoteValues)
{
    // On the wire a stored "|" is a back-quote: "`1" is the stored "|1", an apostrophe.
    const QString wireFile = QStringLiteral("/music/Don`1t `2Cry`2 `7 now.mp3");
    const QString answer = verb + QStringLiteral("Guns N`1 Roses|Don`1t Cry|0:04:44|") + wireFile +
                           QStringLiteral("|Use Your Illusion|It`1s|1991|Rock|44100|192|");
    const std::vector<ListEntry> rows =
        SearchResults::parse(answer, false, QStringLiteral("music.example"));
    ASSERT_EQ(rows.size(), 1u);
    const ListEntry& row = rows.front();
    EXPECT_EQ(row.caption, QStringLiteral("Guns N' Roses"));
    const std::pair<ListEntry::Sub, QString> expected[] = {
        {ListEntry::Title, QStringLiteral("Don't Cry")},
        {ListEntry::Length, QStringLiteral("0:04:44")},
        {ListEntry::Filename, QStringLiteral("/music/Don't \"Cry\" | now.mp3")},
        {ListEntry::Album, QStringLiteral("Use Your Illusion")},
        {ListEntry::Comment, QStringLiteral("It's")},
        {ListEntry::Year, QStringLiteral("1991")},
        {ListEntry::Genre, QStringLiteral("Rock")},
        {ListEntry::Frequency, QStringLiteral("44100")},
        {ListEntry::Bitrate, QStringLiteral("192")},
        {ListEntry::ID, QStringLiteral("remote")},
        {ListEntry::Location, QStringLiteral("music.exampleR")},
        {ListEntry::Played, QStringLiteral("0")},
    };
    for (const auto& [sub, value] : expected)
        EXPECT_EQ(row.value(sub), value) << sub;
    EXPECT_TRUE(row.remote);
    // A download names the file as the server sent it, and goes to the row's server.
    EXPECT_EQ(SearchResults::remoteFileName(row), wireFile);
    EXPECT_EQ(SearchResults::serverOf(row), QStringLiteral("music.example"));
}

TEST(SearchResults, SortsByCaptionWhateverTheLetterCaseKeepingTies)
{
    std::vector<ListEntry> rows(4);
    const char* captions[] = {"queen", "Abba", "ABBA", "beatles"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].caption = QString::fromLatin1(captions[i]);
        rows[i].sub[ListEntry::Title] = QString::number(i);
    }
    SearchResults::sortByCaption(rows);
    QStringList order;
    for (const ListEntry& row : rows)
        order << row.caption + row.value(ListEntry::Title);
    EXPECT_EQ(order, (QStringList{"Abba1", "ABBA2", "beatles3", "queen0"}));
}

TEST(SearchResults, CaptionsNameTheServerAndQuoteTheSearch)
{
    EXPECT_EQ(SearchResults::caption(true, QStringLiteral("ignored"), QStringLiteral("Abba"),
                                     QStringLiteral("Water%1loo")),
              QStringLiteral("Internet Search Results from Central Tamboro Server for \"Abba\" "
                             "and \"Water%1loo\""));
    EXPECT_EQ(SearchResults::caption(false, QStringLiteral("10.0.0.5"), QString(),
                                     QStringLiteral("Waterloo")),
              QStringLiteral("Internet Search Results from 10.0.0.5 for \"\" and \"Waterloo\""));
}

} // namespace
