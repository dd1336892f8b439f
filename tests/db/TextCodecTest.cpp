#include "db/TextCodec.h"

#include "testsupport/CaseNames.h"

#include <gtest/gtest.h>

namespace {

struct CodecCase
{
    const char* name;
    const char16_t* plain;
    const char16_t* stored;
    const char16_t* shown; // what decoding the stored text gives back
};

void PrintTo(const CodecCase& c, std::ostream* os)
{
    *os << c.name;
}

const CodecCase codecCases[] = {
    {"Empty", u"", u"", u""},
    {"PlainText", u"Plain text", u"Plain text", u"Plain text"},
    {"DoubleQuotes", u"He said \"Hi\"", u"He said |2Hi|2", u"He said \"Hi\""},
    {"EveryCodedCharacter", u"'\"#*:`", u"|1|2|3|4|5|6", u"'\"#*:`"},
    {"SeveralCodes", u"Rock'n'Roll: #1 *live*", u"Rock|1n|1Roll|5 |31 |4live|4",
     u"Rock'n'Roll: #1 *live*"},
    // "|" is a code of its own, so a bar of the plain text survives whatever follows it.
    {"BarBeforeALetter", u"a|b", u"a|7b", u"a|b"},
    {"BarAtTheEnd", u"end|", u"end|7", u"end|"},
    {"BarsBeforeACode", u"a||\"", u"a|7|7|2", u"a||\""},
    {"BarBeforeADigit", u"|7 and |0", u"|77 and |70", u"|7 and |0"},
    {"BarAndDigitThatLookLikeACode", u"x|1", u"x|71", u"x|1"},
    {"TitleWithABar", u"T|1x", u"T|71x", u"T|1x"},
    {"FileNameWithABar", u"/music/pipe|x.mp3", u"/music/pipe|7x.mp3", u"/music/pipe|x.mp3"},
    {"NonLatinLetters", u"Motörhead – Ünïcødé ♫", u"Motörhead – Ünïcødé ♫",
     u"Motörhead – Ünïcødé ♫"},
};

class CodecTable : public ::testing::TestWithParam<CodecCase>
{};

TEST_P(CodecTable, EncodesAndDecodes)
{
    const CodecCase& c = GetParam();
    const QString plain = QString::fromUtf16(c.plain);
    const QString stored = TextCodec::reFilter(plain);
    EXPECT_EQ(stored, QString::fromUtf16(c.stored));
    EXPECT_EQ(TextCodec::filter(stored), QString::fromUtf16(c.shown));
}

INSTANTIATE_TEST_SUITE_P(TextCodec, CodecTable, ::testing::ValuesIn(codecCases), RowName());

// Texts stored before "|" had a code of its own: a bare "|" reads as I, as it always did.
struct StoredCase
{
    const char* name;
    const char16_t* stored;
    const char16_t* shown;
};

void PrintTo(const StoredCase& c, std::ostream* os)
{
    *os << c.name;
}

const StoredCase oldStoredCases[] = {
    {"BarBeforeALetter", u"a|b", u"aIb"},    {"BarAtTheEnd", u"end|", u"endI"},
    {"BarsBeforeACode", u"a|||2", u"aII\""}, {"BarBeforeZero", u"|0", u"I0"},
    {"BarBeforeEight", u"|8", u"I8"},        {"EveryOldCode", u"|1|2|3|4|5|6", u"'\"#*:`"},
};

class OldStoredText : public ::testing::TestWithParam<StoredCase>
{};

TEST_P(OldStoredText, DecodesAsBefore)
{
    const StoredCase& c = GetParam();
    EXPECT_EQ(TextCodec::filter(QString::fromUtf16(c.stored)), QString::fromUtf16(c.shown));
}

INSTANTIATE_TEST_SUITE_P(TextCodec, OldStoredText, ::testing::ValuesIn(oldStoredCases), RowName());

// Every UTF-16 code unit, alone, before a "|", after one and before each code digit, comes back
// from the table as it went in.
TEST(TextCodec, EveryCharacterSurvivesTheRoundTrip)
{
    const QString bar = QStringLiteral("|");
    for (char32_t code = 0; code <= 0xFFFF; ++code) {
        const QString c{QChar(char16_t(code))};
        for (const QString& text :
             {c, bar + c, c + bar, c + QStringLiteral("1"), c + QStringLiteral("7"), c + c}) {
            const QString back = TextCodec::filter(TextCodec::reFilter(text));
            if (back != text) {
                ADD_FAILURE() << "code unit " << int(code);
                return;
            }
        }
    }
    QString all;
    for (char16_t c = 0x20; c < 0x180; ++c)
        all += QChar(c);
    EXPECT_EQ(TextCodec::filter(TextCodec::reFilter(all)), all);
}

TEST(TextCodec, EncodedTextNeverHoldsACodedCharacter)
{
    QString all;
    for (char16_t c = 0x20; c < 0x180; ++c)
        all += QChar(c);
    const QString stored = TextCodec::reFilter(all);
    for (QChar c : QStringLiteral("'\"#*:`"))
        EXPECT_FALSE(stored.contains(c)) << int(c.unicode());
}

} // namespace
