#include "settings/ColorText.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace ColorText;

namespace {

struct NameCase
{
    const char* name;
    TColor color;
};

// Written out independently of the table in the code, so that a wrong entry there shows.
const NameCase kNames[] = {
    {"clBlack", 0x00000000},         {"clMaroon", 0x00000080},
    {"clGreen", 0x00008000},         {"clOlive", 0x00008080},
    {"clNavy", 0x00800000},          {"clPurple", 0x00800080},
    {"clTeal", 0x00808000},          {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0},        {"clRed", 0x000000FF},
    {"clLime", 0x0000FF00},          {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000},          {"clFuchsia", 0x00FF00FF},
    {"clAqua", 0x00FFFF00},          {"clWhite", 0x00FFFFFF},
    {"clScrollBar", 0x80000000},     {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002}, {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},          {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},   {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},  {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},  {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E}, {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},     {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},       {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},  {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},       {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
};

TEST(ColorText, EveryNameBothWaysInAnyLetterCase)
{
    ASSERT_EQ(std::size(kNames), namedColors().size());
    for (size_t i = 0; i < std::size(kNames); ++i) {
        const NameCase& c = kNames[i];
        const QString name = QString::fromLatin1(c.name);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(namedColors()[i].name, name);
        EXPECT_EQ(namedColors()[i].color, c.color);
        EXPECT_EQ(fromColor(c.color), name);
        EXPECT_EQ(toColor(name), c.color);
        EXPECT_EQ(toColor(name.toUpper()), c.color);
        EXPECT_EQ(toColor(name.toLower()), c.color);
    }
}

TEST(ColorText, NumbersWithoutANameAreWrittenInDollarForm)
{
    const struct
    {
        TColor color;
        const char* text;
    } cases[] = {
        {0x00FF8040, "$00FF8040"}, {0x00000001, "$00000001"}, {0x80000019, "$80000019"},
        {0xFFFFFFFF, "$FFFFFFFF"}, {0x1FFFFFFF, "$1FFFFFFF"}, {0x00ABCDEF, "$00ABCDEF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(fromColor(c.color), QString::fromLatin1(c.text));
        EXPECT_EQ(toColor(QString::fromLatin1(c.text)), c.color);
    }
}

TEST(ColorText, ReadsDecimalAndDollarNumbers)
{
    const struct
    {
        const char* text;
        TColor color;
    } cases[] = {
        {"0", 0},
        {"255", 0xFF},
        {"0016744512", 0x00FF8040},
        {"-2147483643", 0x80000005},
        {"-1", 0xFFFFFFFF},
        {"-2147483648", 0x80000000},
        {"2147483653", 0x80000005},
        {"4294967295", 0xFFFFFFFF},
        {"$0", 0},
        {"$F", 0x0F},
        {"$ff8040", 0x00FF8040},
        {"$80000005", 0x80000005},
        {"$aBcDeF12", 0xABCDEF12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(toColor(QString::fromLatin1(c.text)), c.color);
    }
}

TEST(ColorText, RejectsEverythingElseNamingTheText)
{
    const char16_t* cases[] = {
        u"",         u"clNope",     u"$",          u"$123456789",  u"12abc",
        u" clRed",   u"clRed ",     u"cl Red",     u"-",           u"+5",
        u" 5",       u"5 ",         u"4294967296", u"-2147483649", u"99999999999999999999",
        u"0x10",     u"$-1",        u"$ 1",        u"$G",          u"1.5",
        u"clſilver", u"ｃｌＲｅｄ", u"５",
    };
    for (const char16_t* raw : cases) {
        const QString text = QString::fromUtf16(raw);
        SCOPED_TRACE(text.toStdString());
        try {
            toColor(text);
            ADD_FAILURE() << "accepted";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid colour value").arg(text));
        }
    }
}

TEST(ColorText, SystemColorIndexCoversExactlyTheNamedOnes)
{
    EXPECT_EQ(systemColorIndex(0x80000000), 0);
    EXPECT_EQ(systemColorIndex(clWindow), 5);
    EXPECT_EQ(systemColorIndex(0x80000018), 24);
    for (TColor c : {TColor(0x7FFFFFFF), TColor(0x80000019), TColor(0xFFFFFFFF), TColor(0x00FFFFFF),
                     TColor(0)}) {
        SCOPED_TRACE(c);
        EXPECT_EQ(systemColorIndex(c), -1);
        EXPECT_FALSE(isSystemColor(c));
    }
    EXPECT_TRUE(isSystemColor(clInfoBk));
}

TEST(ColorText, RgbPartsUseBlueGreenRedLayout)
{
    const TColor c = toColor(QStringLiteral("$00FF8040"));
    EXPECT_EQ(redOf(c), 0x40);
    EXPECT_EQ(greenOf(c), 0x80);
    EXPECT_EQ(blueOf(c), 0xFF);
    EXPECT_EQ(rgbColor(0x40, 0x80, 0xFF), c);
    EXPECT_EQ(rgbColor(255, 0, 0), clRed);
    EXPECT_EQ(redOf(0x80000005), 0x05); // the high byte never leaks into a part
}

} // namespace
