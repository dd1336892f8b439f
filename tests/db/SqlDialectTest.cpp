#include "db/SqlDialect.h"
#include "platform/Errors.h"

#include "testsupport/CaseNames.h"

#include <gtest/gtest.h>

namespace {

struct DialectCase
{
    const char* name;
    const char* dialect;
    const char* sqlite;
    const char* tables; // comma-separated
};

void PrintTo(const DialectCase& c, std::ostream* os)
{
    *os << c.name;
}

const DialectCase dialectCases[] = {
    {"DoubleQuotedLiteral", "select * from tamboro where artist=\"title\"",
     "select * from tamboro where artist='title'", ""},
    {"SingleQuoteInsideLiteral", "select * from tamboro where title=\"Rock'n'Roll\"",
     "select * from tamboro where title='Rock''n''Roll'", ""},
    {"LineBreaksBetweenWords", "update tamboro\nset artist=\"a\",\r\ntitle=\"b\"\nwhere ID=3",
     "update tamboro set artist='a',  title='b' where ID=3", ""},
    {"LiteralRightAfterKeyword", "select * from tamboro where location like\"CD%\"",
     "select * from tamboro where location like'CD%'", ""},
    // A line break inside a literal belongs to the value.
    {"LineBreakInsideLiteral", "select * from tamboro where comment=\"two\nlines\"",
     "select * from tamboro where comment='two\nlines'", ""},
    {"InsertIntoConverted", "insert into converted (artist)values\n(\"x\")",
     "insert into converted.tamboro (artist)values ('x')", "converted"},
    {"SelectFromConvertedAnyCase", "select * from Converted where location like \"%@\"",
     "select * from converted.tamboro where location like '%@'", "converted"},
    {"InsertIntoTamboroAnyCase", "insert into Tamboro (artist)values (\"x\")",
     "insert into Tamboro (artist)values ('x')", ""},
    {"OrderByTextColumnsIgnoresCase",
     "select * from tamboro order by played desc, artist asc, title asc",
     "select * from tamboro order by played desc, artist COLLATE NOCASE asc, title COLLATE "
     "NOCASE asc",
     ""},
    {"OrderByInsideLiteral", "select * from tamboro where artist=\"order by\" order by ID",
     "select * from tamboro where artist='order by' order by ID", ""},
    {"TrailingSemicolon", "select * from tamboro where ID=\"17\";",
     "select * from tamboro where ID='17'", ""},
    {"SqliteLiteralKept", "select * from tamboro where title='It''s'",
     "select * from tamboro where title='It''s'", ""},
};

class DialectTable : public ::testing::TestWithParam<DialectCase>
{};

TEST_P(DialectTable, Translates)
{
    const DialectCase& c = GetParam();
    const DialectStatement statement = SqlDialect::translate(QString::fromUtf8(c.dialect));
    EXPECT_EQ(statement.sql, QString::fromUtf8(c.sqlite));
    const QString tables = QString::fromLatin1(c.tables);
    EXPECT_EQ(statement.tables, tables.isEmpty() ? QStringList() : tables.split(QLatin1Char(',')));
}

INSTANTIATE_TEST_SUITE_P(SqlDialect, DialectTable, ::testing::ValuesIn(dialectCases), RowName());

TEST(SqlDialect, RefusesWhatWouldChangeTheStatementsMeaning)
{
    const char* refused[] = {
        "select * from tamboro where title=\"He said \"Hi\"\"", // a value's own double quote
        "select * from tamboro where location=\"CD\"\"@\"",
        "select * from tamboro where title=\"open",
        "select * from tamboro where title='open",
        "select * from tamboro; delete from tamboro",
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        EXPECT_THROW(SqlDialect::translate(QString::fromUtf8(text)), EDatabaseError);
    }
}

} // namespace

namespace {

// Statements that differ only in their values share one compiled form: the parameterised text
// must say the same as the literal one, value for value.
TEST(SqlDialect, ParameterisedFormTakesTheDoubleQuotedValuesOut)
{
    const DialectStatement statement = SqlDialect::translate(
        "insert into converted (artist, title)values\n(\"Rock'n'Roll\", \"a\nb\") -- 'kept'");
    EXPECT_EQ(statement.parameterizedSql.toStdString(),
              "insert into converted.tamboro (artist, title)values (?, ?) -- 'kept'");
    EXPECT_EQ(statement.values,
              (QStringList{QStringLiteral("Rock'n'Roll"), QStringLiteral("a\nb")}));

    // A row's ID is a value too; other numbers are part of the statement's shape.
    const DialectStatement byId = SqlDialect::translate(
        "update tamboro\nset \nsyear=\"1999\"\nwhere ID = 17 or id=\"18\" or ID=19a or Played=4");
    EXPECT_EQ(byId.parameterizedSql.toStdString(),
              "update tamboro set  syear=? where ID = ? or id=? or ID=19a or Played=4");
    EXPECT_EQ(byId.sql.toStdString(),
              "update tamboro set  syear='1999' where ID = 17 or id='18' or ID=19a or Played=4");
    EXPECT_EQ(byId.values,
              (QStringList{QStringLiteral("1999"), QStringLiteral("17"), QStringLiteral("18")}));

    const DialectStatement none = SqlDialect::translate("select * from tamboro order by artist");
    EXPECT_EQ(none.parameterizedSql, none.sql);
    EXPECT_TRUE(none.values.isEmpty());
}

} // namespace
