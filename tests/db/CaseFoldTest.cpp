// The engine's folding must be the program's: FastSearch folds its keywords in C++ and the
// stored text inside the engine, and any difference would lose songs.
#include "db/CaseFold.h"

#include "db/SongTableFixture.h"
#include "platform/Errors.h"
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
    {"kelvin sign folds to an ascii letter", QStringLiteral("\u212A"), QStringLiteral("k")},
    {"letters beyond the basic plane", QStringLiteral("𐐀𐐨"), QStringLiteral("𐐨𐐨")},
    {"long ascii", QString(300, QLatin1Char('A')), QString(300, QLatin1Char('a'))},
};

class CaseFoldTable : public ::testing::TestWithParam<FoldCase>
{};

TEST_P(CaseFoldTable, ProgramAndEngineFoldAlike)
{
    const FoldCase& c = GetParam();
    EXPECT_EQ(CaseFold::fold(c.text), c.folded);
    const QByteArray utf8 = c.text.toUtf8();
    std::string buffer;
    EXPECT_EQ(CaseFold::foldUtf8(std::string_view(utf8.constData(), size_t(utf8.size())), buffer),
              c.folded.toStdString());
}

INSTANTIATE_TEST_SUITE_P(CaseFold, CaseFoldTable, ::testing::ValuesIn(foldCases), RowName());

TEST(CaseFold, EveryCharacterFoldsAlikeInProgramAndEngine)
{
    std::string buffer;
    int differences = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString text = QString::fromUcs4(&c, 1);
        const QByteArray utf8 = text.toUtf8();
        const QByteArray expected = CaseFold::fold(text).toUtf8();
        const std::string_view folded =
            CaseFold::foldUtf8(std::string_view(utf8.constData(), size_t(utf8.size())), buffer);
        if (folded != std::string_view(expected.constData(), size_t(expected.size())) &&
            ++differences <= 5)
            ADD_FAILURE() << "U+" << std::hex << unsigned(c);
    }
    EXPECT_EQ(differences, 0);
}

TEST(CaseFold, TextThatIsNotUtf8FoldsAsTheProgramReadsIt)
{
    for (const QByteArray& bytes :
         {QByteArray("AB\xC3"), QByteArray("\xC3\x28X"), QByteArray("\xE0\x80\xAFZ"),
          QByteArray("\xED\xA0\x80Q"), QByteArray("\xF4\x90\x80\x80W"), QByteArray("\xFFY")}) {
        std::string buffer;
        const QByteArray expected = CaseFold::fold(QString::fromUtf8(bytes)).toUtf8();
        EXPECT_EQ(
            CaseFold::foldUtf8(std::string_view(bytes.constData(), size_t(bytes.size())), buffer),
            expected.toStdString())
            << bytes.toHex().toStdString();
    }
}

struct ContainsCase
{
    const char* name;
    const char* arguments; // of foldcontains(), as a statement writes them
    int result;            // -1 for NULL
};

void PrintTo(const ContainsCase& c, std::ostream* os)
{
    *os << c.name;
}

const ContainsCase containsCases[] = {
    {"in the first text", "\"björk\", \"BJÖRK\", \"Jóga\"", 1},
    {"in a later text", "\"jóga\", \"BJÖRK\", \"JÓGA\"", 1},
    {"in none", "\"abba\", \"BJÖRK\", \"Jóga\"", 0},
    {"no wildcards", "\"a%\", \"abba\", \"ABBA_\"", 0},
    {"needles are not folded", "\"ABBA\", \"abba\"", 0},
    {"a null text holds nothing", "\"abba\", null, \"ABBA\"", 1},
    {"only null texts", "\"abba\", null", 0},
    {"a null needle", "null, \"abba\"", -1},
    {"numbers as text", "\"75\", 1974", 0},
    {"numbers as text found", "\"97\", 1974", 1},
};

class FoldContainsTable : public SongTableFixture,
                          public ::testing::WithParamInterface<ContainsCase>
{};

TEST_P(FoldContainsTable, SqlFunction)
{
    QSqlQuery query = db.execute(
        QStringLiteral("select foldcontains(%1)").arg(QString::fromUtf8(GetParam().arguments)));
    ASSERT_TRUE(query.next());
    if (GetParam().result < 0)
        EXPECT_TRUE(query.value(0).isNull());
    else
        EXPECT_EQ(query.value(0).toInt(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(CaseFold, FoldContainsTable, ::testing::ValuesIn(containsCases),
                         RowName());

TEST_F(SongTableFixture, FoldContainsWithoutATextIsAnError)
{
    EXPECT_THROW(db.execute(QStringLiteral("select foldcontains(\"abba\")")), EDatabaseError);
}

} // namespace
