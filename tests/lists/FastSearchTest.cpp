// FastSearch: the keyword split, the case variants and the search over a real song table.
#include "lists/FastSearch.h"

#include "db/SongTableFixture.h"
#include "lists/ListOrder.h"
#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"

#include <algorithm>

namespace {

using FastSearch::Join;

// ---- Splitting and case variants ----

struct KeywordsCase
{
    const char* name;
    QString text;
    QStringList words;
};

const KeywordsCase keywordsCases[] = {
    {"one keyword", QStringLiteral("abba"), {QStringLiteral("abba")}},
    {"two keywords",
     QStringLiteral("abba queen"),
     {QStringLiteral("abba"), QStringLiteral("queen")}},
    {"a text ending in a blank is one keyword",
     QStringLiteral("abba queen "),
     {QStringLiteral("abba queen ")}},
    {"a leading blank gives an empty keyword",
     QStringLiteral(" abba"),
     {QString(), QStringLiteral("abba")}},
    {"two blanks in a row give an empty keyword",
     QStringLiteral("abba  queen"),
     {QStringLiteral("abba"), QString(), QStringLiteral("queen")}},
    {"only blanks", QStringLiteral("  "), {QStringLiteral("  ")}},
};

class KeywordsTable : public ::testing::TestWithParam<KeywordsCase>
{};

TEST_P(KeywordsTable, SplitsAtBlanks)
{
    EXPECT_EQ(FastSearch::keywords(GetParam().text), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(FastSearch, KeywordsTable, ::testing::ValuesIn(keywordsCases), RowName());

struct VariantsCase
{
    const char* name;
    QString keyword;
    QStringList variants;
};

const VariantsCase variantsCases[] = {
    {"lower case keeps its duplicate",
     QStringLiteral("abba"),
     {QStringLiteral("abba"), QStringLiteral("ABBA"), QStringLiteral("abba"),
      QStringLiteral("Abba")}},
    {"mixed case",
     QStringLiteral("aBbA"),
     {QStringLiteral("aBbA"), QStringLiteral("ABBA"), QStringLiteral("abba"),
      QStringLiteral("Abba")}},
    {"letters beyond A to Z",
     QStringLiteral("björk"),
     {QStringLiteral("björk"), QStringLiteral("BJÖRK"), QStringLiteral("björk"),
      QStringLiteral("Björk")}},
    {"upper case of a sharp s",
     QStringLiteral("straße"),
     {QStringLiteral("straße"), QStringLiteral("STRASSE"), QStringLiteral("straße"),
      QStringLiteral("Straße")}},
    {"first character no letter",
     QStringLiteral("'74 Live"),
     {QStringLiteral("'74 Live"), QStringLiteral("'74 LIVE"), QStringLiteral("'74 live"),
      QStringLiteral("'74 live")}},
};

class VariantsTable : public ::testing::TestWithParam<VariantsCase>
{};

TEST_P(VariantsTable, FourPerKeywordInOrder)
{
    EXPECT_EQ(FastSearch::caseVariants({GetParam().keyword}), GetParam().variants);
}

INSTANTIATE_TEST_SUITE_P(FastSearch, VariantsTable, ::testing::ValuesIn(variantsCases), RowName());

TEST(FastSearch, TwoKeywordsMakeEightGroupsOfTheFirstKeywordFirst)
{
    const QStringList search4 = FastSearch::caseVariants(FastSearch::keywords("abba queen"));
    QString expected = QStringLiteral("select * from tamboro where");
    const QStringList variants = {"abba",  "ABBA",  "abba",  "Abba",
                                  "queen", "QUEEN", "queen", "Queen"};
    QStringList groups;
    for (const QString& variant : variants)
        groups << QStringLiteral("(Artist like \"%%1%\" or title like \"%%1%\")").arg(variant);
    expected += groups.join(QStringLiteral(" or "));
    EXPECT_EQ(Statements::selectFastSearch(search4), expected);
}

// ---- The plan of a search ----

struct LengthCase
{
    const char* name;
    QString text;
    bool opens;
};

const LengthCase lengthCases[] = {
    {"nothing typed", QString(), false},
    {"one letter", QStringLiteral("a"), false},
    {"one blank", QStringLiteral(" "), false},
    {"one character of two UTF-16 units", QStringLiteral("😀"), false},
    {"two letters", QStringLiteral("ab"), true},
    {"a letter and a blank", QStringLiteral("a "), true},
    {"two characters beyond the basic plane", QStringLiteral("😀😀"), true},
};

class LengthTable : public ::testing::TestWithParam<LengthCase>
{};

TEST_P(LengthTable, TwoCharactersAtLeast)
{
    const std::optional<FastSearch::Plan> plan = FastSearch::plan(GetParam().text, Join::Any);
    ASSERT_EQ(plan.has_value(), GetParam().opens);
    if (plan) {
        EXPECT_EQ(plan->caption, QStringLiteral("Fast search: ") + GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(FastSearch, LengthTable, ::testing::ValuesIn(lengthCases), RowName());

TEST(FastSearch, PlanKeepsTheTextAsTypedAndSkipsEmptyKeywords)
{
    const auto plan = FastSearch::plan(QStringLiteral(" abba  Queen"), Join::Any);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->caption, QStringLiteral("Fast search:  abba  Queen"));
    EXPECT_EQ(plan->words,
              (QStringList{QString(), QStringLiteral("abba"), QString(), QStringLiteral("Queen")}));
    EXPECT_EQ(plan->search4, FastSearch::caseVariants({"abba", "Queen"}));
    EXPECT_EQ(plan->qut,
              Statements::selectFastSearchFolded({Statements::fastSearchKeywordGroup({"abba"}),
                                                  Statements::fastSearchKeywordGroup({"queen"})},
                                                 false));
}

TEST(FastSearch, PromptAndJoinComeFromTheSetting)
{
    EXPECT_EQ(FastSearch::promptTitle("or"), QStringLiteral("Fast Search (param: or)"));
    EXPECT_EQ(FastSearch::promptTitle("and"), QStringLiteral("Fast Search (param: and)"));
    EXPECT_EQ(FastSearch::promptLabel(), QStringLiteral("Enter your keyword(s)"));
    EXPECT_EQ(FastSearch::joinOf("or"), Join::Any);
    EXPECT_EQ(FastSearch::joinOf("and"), Join::Every);
    EXPECT_EQ(FastSearch::joinOf("AND"), Join::Every);
    EXPECT_EQ(FastSearch::joinOf(""), Join::Any);
    EXPECT_EQ(FastSearch::joinOf("nand"), Join::Any);
}

// ---- Searching a song table ----

// Artists and titles as the user sees them; stored encoded, as intake stores them.
const std::pair<const char*, const char*> tableSongs[] = {
    {"ABBA", "Waterloo"},
    {"Abba Tribute", "Mamma Mia"},
    {"Queen", "Bohemian Rhapsody"},
    {"BJÖRK", "Jóga"},
    {"Die Ärzte", "Schrei nach Liebe"},
    {"Kraftwerk", "Die STRASSE"},
    {"Prince", "Don't Stop"},
    {"Specials", "Say \"Hi\""},
    {"Specials", "Number #9"},
    {"Specials", "Star*"},
    {"Specials", "Live: Paris"},
    {"Specials", "Back`tick"},
    {"Specials", "Pipe|Dream"},
    {"Numbers", "100% Pure"},
    {"Numbers", "Song 2000"},
    {"Numbers", "a_b"},
    {"Specials", "All '\"#*:`| in one"},
};

class FastSearchTable : public SongTableFixture
{
protected:
    FastSearchTable()
    {
        for (const auto& [artist, title] : tableSongs)
            addSong(QString::fromUtf8(artist), QString::fromUtf8(title));
    }

    // The titles a new window would list, in its order (artist, then title), as shown.
    QStringList titles(const QString& statement)
    {
        QStringList shown;
        for (const QString& stored : column(
                 Statements::withOrder(statement, ListOrder::orderClause(0, 0)), SongColumn::Title))
            shown << TextCodec::filter(stored);
        return shown;
    }
    QStringList found(const QString& text, Join join)
    {
        const auto plan = FastSearch::plan(text, join);
        EXPECT_TRUE(plan) << text.toStdString();
        return plan ? titles(plan->qut) : QStringList();
    }
};

struct SearchCase
{
    const char* name;
    QString text;
    Join join;
    QStringList titles; // in the window's order
};

const SearchCase searchCases[] = {
    {"one keyword in artists",
     QStringLiteral("abba"),
     Join::Any,
     {QStringLiteral("Waterloo"), QStringLiteral("Mamma Mia")}},
    {"any of two keywords",
     QStringLiteral("abba queen"),
     Join::Any,
     {QStringLiteral("Waterloo"), QStringLiteral("Mamma Mia"),
      QStringLiteral("Bohemian Rhapsody")}},
    {"every keyword", QStringLiteral("abba mia"), Join::Every, {QStringLiteral("Mamma Mia")}},
    {"every keyword, none has both", QStringLiteral("abba queen"), Join::Every, {}},
    {"letter case beyond A to Z", QStringLiteral("björk"), Join::Any, {QStringLiteral("Jóga")}},
    {"upper case keyword finds lower case",
     QStringLiteral("ÄRZTE LIEBE"),
     Join::Every,
     {QStringLiteral("Schrei nach Liebe")}},
    {"sharp s finds its upper case",
     QStringLiteral("straße"),
     Join::Any,
     {QStringLiteral("Die STRASSE")}},
    {"trailing blank is part of the keyword",
     QStringLiteral("abba "),
     Join::Any,
     {QStringLiteral("Mamma Mia")}},
    {"leading blank matches no more",
     QStringLiteral(" queen"),
     Join::Any,
     {QStringLiteral("Bohemian Rhapsody")}},
    {"two blanks in a row match no more",
     QStringLiteral("queen  jóga"),
     Join::Any,
     {QStringLiteral("Jóga"), QStringLiteral("Bohemian Rhapsody")}},
    {"empty keywords do not count for every",
     QStringLiteral(" abba  mia"),
     Join::Every,
     {QStringLiteral("Mamma Mia")}},
    {"apostrophe", QStringLiteral("don't"), Join::Any, {QStringLiteral("Don't Stop")}},
    {"double quote", QStringLiteral("\"hi\""), Join::Any, {QStringLiteral("Say \"Hi\"")}},
    {"number sign", QStringLiteral("#9"), Join::Any, {QStringLiteral("Number #9")}},
    {"asterisk", QStringLiteral("r*"), Join::Any, {QStringLiteral("Star*")}},
    {"colon", QStringLiteral("live:"), Join::Any, {QStringLiteral("Live: Paris")}},
    {"back-quote", QStringLiteral("k`t"), Join::Any, {QStringLiteral("Back`tick")}},
    {"bar", QStringLiteral("e|d"), Join::Any, {QStringLiteral("Pipe|Dream")}},
    {"every special character at once",
     QStringLiteral("'\"#*:`|"),
     Join::Any,
     {QStringLiteral("All '\"#*:`| in one")}},
    {"percent sign is a character", QStringLiteral("0%"), Join::Any, {QStringLiteral("100% Pure")}},
    {"underscore is a character", QStringLiteral("a_"), Join::Any, {QStringLiteral("a_b")}},
    {"a quote that would end the literal", QStringLiteral("x\" or \"1\"=\"1"), Join::Any, {}},
    {"a quote of SQLite's own", QStringLiteral("') or 1=1 --"), Join::Any, {}},
    {"a second statement", QStringLiteral("a\"; delete from tamboro; --"), Join::Any, {}},
};

class SearchTable : public FastSearchTable, public ::testing::WithParamInterface<SearchCase>
{};

TEST_P(SearchTable, FindsTheSongsWhoseArtistOrTitleHoldTheKeywords)
{
    const SearchCase& c = GetParam();
    EXPECT_EQ(found(c.text, c.join), c.titles);
    // Nothing a keyword holds changes the table.
    EXPECT_EQ(column(Statements::selectAll()).size(), qsizetype(std::size(tableSongs)));
}

INSTANTIATE_TEST_SUITE_P(FastSearch, SearchTable, ::testing::ValuesIn(searchCases), RowName());

// A long text pasted into the prompt: thousands of keywords, any or all of them.
TEST_F(FastSearchTable, ThousandsOfKeywordsRun)
{
    QStringList words;
    for (int i = 0; i < 3000; ++i)
        words << QStringLiteral("w%1").arg(i);
    words << QStringLiteral("queen");
    const QString text = words.join(QLatin1Char(' '));
    EXPECT_EQ(found(text, Join::Any), QStringList{"Bohemian Rhapsody"});
    EXPECT_EQ(found(text, Join::Every), QStringList());
    EXPECT_EQ(found(QStringLiteral("queen ") + QStringList(1000, QStringLiteral("HEMI")).join(' '),
                    Join::Every),
              QStringList{"Bohemian Rhapsody"});
}

// Every song the one-group-per-case-variant LIKE search lists is found, and only songs whose
// stored artist or title holds a keyword in stored form but for the letter case come in
// addition. (Stored text is compared, so "1" also finds the "|1" that stands for an apostrophe,
// as the LIKE search does.)
TEST_F(FastSearchTable, ListsEverySongTheCaseVariantSearchLists)
{
    const char* const texts[] = {"abba",      "abba queen", "ab qu", "WATER", "oo",  "ie",
                                 "Die Liebe", "rt",         "abba ", "PIPE",  "1 9", "Mamma Mia"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        const auto plan = FastSearch::plan(QString::fromUtf8(text), Join::Any);
        ASSERT_TRUE(plan);
        QStringList byVariants = titles(Statements::selectFastSearch(plan->search4));
        QStringList folded = titles(plan->qut);
        std::sort(byVariants.begin(), byVariants.end());
        std::sort(folded.begin(), folded.end());
        EXPECT_TRUE(
            std::includes(folded.begin(), folded.end(), byVariants.begin(), byVariants.end()))
            << folded.join('/').toStdString() << " lacks some of "
            << byVariants.join('/').toStdString();
        for (const QString& title : folded) {
            const auto it =
                std::find_if(std::begin(tableSongs), std::end(tableSongs), [&](const auto& song) {
                    return QString::fromUtf8(song.second) == title;
                });
            ASSERT_NE(it, std::end(tableSongs));
            const QString both = TextCodec::reFilter(QString::fromUtf8(it->first)) +
                                 QLatin1Char('\n') + TextCodec::reFilter(title);
            bool holds = false;
            for (const QString& word : plan->words)
                holds = holds || (!word.isEmpty() &&
                                  both.contains(TextCodec::reFilter(word), Qt::CaseInsensitive));
            EXPECT_TRUE(holds) << title.toStdString();
        }
    }
}

} // namespace
