// Conditions of thousands of terms, as user lists, dropped songs and ticked parameters make
// them: the engine must answer them like short ones.
#include "db/SongTableFixture.h"
#include "db/SqlDialect.h"
#include "testsupport/CaseNames.h"

#include <functional>

namespace {

struct LongCase
{
    const char* name;
    std::function<QString()> statement;
    QStringList titles; // by ID order
};

class LongConditionsTest : public SongTableFixture, public ::testing::WithParamInterface<LongCase>
{};

QStringList numbers(int from, int to)
{
    QStringList ids;
    for (int i = from; i <= to; ++i)
        ids << QString::number(i);
    return ids;
}

TEST_P(LongConditionsTest, AreAnsweredLikeShortOnes)
{
    for (const char* title : {"One", "Two", "Three"})
        addSong(QStringLiteral("Artist"), QString::fromUtf8(title));
    const QString sql = GetParam().statement() + QStringLiteral(" order by ID");
    EXPECT_EQ(column(sql, SongColumn::Title), GetParam().titles);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, LongConditionsTest,
    ::testing::Values(LongCase{"FiveThousandIds",
                               [] { return Statements::selectByIds(numbers(2, 5001)); },
                               {"Two", "Three"}},
                      // More values than the engine binds at once.
                      LongCase{"FortyThousandIds",
                               [] { return Statements::selectByIds(numbers(3, 40002)); },
                               {"Three"}},
                      LongCase{"ThreeThousandFilePatterns",
                               [] {
                                   QStringList patterns;
                                   for (int i = 0; i < 3000; ++i)
                                       patterns << QStringLiteral("/%/nothing %1.mp3").arg(i);
                                   patterns << QStringLiteral("/%/Artist - One.mp3");
                                   return Statements::selectUserListFiles(patterns);
                               },
                               {"One"}},
                      LongCase{"TwoThousandTickedValuesInAGroup",
                               [] {
                                   QString group;
                                   for (int i = 0; i < 2000; ++i)
                                       group += Statements::parameterTerm(
                                           Statements::ParameterKind::Artist,
                                           QStringLiteral("x%1").arg(i), i == 0);
                                   group +=
                                       Statements::parameterTerm(Statements::ParameterKind::Artist,
                                                                 QStringLiteral("Artist"), false);
                                   const QString medium =
                                       Statements::parameterTerm(Statements::ParameterKind::Medium,
                                                                 QStringLiteral("Disk"), true);
                                   return Statements::parameterBaseQuery(
                                       Statements::parameterConditions({group, medium}));
                               },
                               {"One", "Two", "Three"}}),
    RowName());

// Regrouping keeps what each term says: literals holding " or " and parentheses are left whole.
TEST(LongConditionsDialectTest, LiteralsAndParenthesesStayWhole)
{
    QString sql = QStringLiteral("select * from tamboro where");
    for (int i = 0; i < 100; ++i)
        sql += (i ? QStringLiteral(" or") : QString()) +
               QStringLiteral(" (title=\"a or b\" and ID=\"%1\")").arg(i);
    const QString translated = SqlDialect::translate(sql).sql;
    EXPECT_EQ(translated.count(QStringLiteral("'a or b'")), 100);
    EXPECT_EQ(translated.count(QLatin1Char('(')), translated.count(QLatin1Char(')')));
    EXPECT_TRUE(translated.startsWith(QStringLiteral("select * from tamboro where(")));
}

} // namespace
