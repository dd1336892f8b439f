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
    // A "|" of the plain text is kept on the way in and comes back as I, unless a digit 1 to
    // 6 follows it, which reads as a code.
    {"BarBeforeALetter", u"a|b", u"a|b", u"aIb"},
    {"BarAtTheEnd", u"end|", u"end|", u"endI"},
    {"BarsBeforeACode", u"a||\"", u"a|||2", u"aII\""},
    {"BarBeforeAnOtherDigit", u"|7 and |0", u"|7 and |0", u"I7 and I0"},
    {"BarAndDigitReadAsACode", u"x|1", u"x|1", u"x'"},
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
