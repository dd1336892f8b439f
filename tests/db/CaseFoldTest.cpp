// casefold() inside the engine must fold exactly as CaseFold::fold does in C++: FastSearch folds
// its keywords in C++ and the stored text in the engine, and a difference would lose songs.
#include "db/CaseFold.h"

#include "db/SongTableFixture.h"
#include "testsupport/CaseNames.h"

#include <QSqlQuery>

namespace {

struct FoldCase
{
    const char* name;
    QString text;
    QString folded;
};

void PrintTo(const FoldCase& c, std::ostream* os)
{
    *os << c.name;
}

const FoldCase foldCases[] = {
    {"empty", QString(), QString()},
    {"ascii lower case", QStringLiteral("abba"), QStringLiteral("abba")},
    {"ascii mixed case", QStringLiteral("AbBa 1974 - Waterloo!"),
     QStringLiteral("abba 1974 - waterloo!")},
    {"codec escapes stay", QStringLiteral("DON|1T |2STOP|2 |7"),
     QStringLiteral("don|1t |2stop|2 |7")},
    {"latin letters", QStringLiteral("BJÖRK Motörhead CAFÉ"),
     QStringLiteral("björk motörhead café")},
    {"greek final sigma", QStringLiteral("ΣΟΦΊΑ σοφίας"), QStringLiteral("σοφία σοφίασ")},
    {"cyrillic", QStringLiteral("КИНО Кино"), QStringLiteral("кино кино")},
    {"capital sharp s", QStringLiteral("STRAẞE"), QStringLiteral("straße")},
    {"letters beyond the basic plane", QStringLiteral("𐐀𐐨"), QStringLiteral("𐐨𐐨")},
    {"long ascii", QString(300, QLatin1Char('A')), QString(300, QLatin1Char('a'))},
    {"long with accents", QString(300, QChar(u'Ä')), QString(300, QChar(u'ä'))},
};

class CaseFoldTable : public SongTableFixture, public ::testing::WithParamInterface<FoldCase>
{};

TEST_P(CaseFoldTable, EngineAndProgramFoldAlike)
{
    const FoldCase& c = GetParam();
    EXPECT_EQ(CaseFold::fold(c.text), c.folded);
    QSqlQuery query =
        db.execute(QStringLiteral("select casefold(\"") + c.text + QStringLiteral("\")"));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toString(), c.folded);
}

INSTANTIATE_TEST_SUITE_P(CaseFold, CaseFoldTable, ::testing::ValuesIn(foldCases), RowName());

TEST_F(SongTableFixture, CaseFoldOfNullAndNumbers)
{
    QSqlQuery query = db.execute(QStringLiteral("select casefold(null), casefold(42)"));
    ASSERT_TRUE(query.next());
    EXPECT_TRUE(query.value(0).isNull());
    EXPECT_EQ(query.value(1).toString(), QStringLiteral("42"));
}

} // namespace
