#include "platform/LegacyText.h"
#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Text through a code page and back, byte for byte.
struct CodePageCase
{
    const char* name;
    const char* codePage;
    QByteArray bytes;
    QString text;
};

const CodePageCase codePageCases[] = {
    // What Windows wrote for the typographic apostrophe; Latin-1 would show a control character.
    {"1252 right single quote", "Windows-1252", "Don\x92t", QString::fromUtf8("Don’t")},
    {"1252 euro sign", "Windows-1252", "5 \x80", QString::fromUtf8("5 €")},
    {"1252 letters of Latin-1", "Windows-1252", "Mot\xf6rhead", QString::fromUtf8("Motörhead")},
    {"1252 dashes and quotes", "Windows-1252",
     "\x93"
     "A\x94 \x96 \x97",
     QString::fromUtf8("“A” – —")},
    {"1251 Cyrillic", "Windows-1251", "\xc6\xe8\xe7\xed\xfc", QString::fromUtf8("Жизнь")},
    {"1250 Central European", "Windows-1250", "\x8a\xe8\xf8", QString::fromUtf8("Ščř")},
    {"ISO 8859-2", "ISO-8859-2", "\xa9\xe8\xf8", QString::fromUtf8("Ščř")},
};

class SingleByteCodePageTest : public ::testing::TestWithParam<CodePageCase>
{};

TEST_P(SingleByteCodePageTest, DecodesAndEncodesBackToTheSameBytes)
{
    const CodePageCase& c = GetParam();
    const std::optional<SingleByteCodePage> page =
        SingleByteCodePage::byName(QLatin1String(c.codePage));
    if (!page)
        GTEST_SKIP() << c.codePage << " is not offered by Qt on this system";
    EXPECT_EQ(page->decode(c.bytes), c.text);
    EXPECT_EQ(page->encode(c.text), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Pages, SingleByteCodePageTest, ::testing::ValuesIn(codePageCases),
                         RowName());

// A character the code page cannot hold is one "?", whatever its size in UTF-16.
TEST(SingleByteCodePage, CharactersOutsideThePageBecomeQuestionMarks)
{
    const SingleByteCodePage windows1252;
    EXPECT_EQ(windows1252.encode(QString::fromUtf8("Жа €\U0001F3B8!")), QByteArray("?? \x80?!"));
    EXPECT_EQ(LegacyText::toWindows1252(QString::fromUtf8("Ж’")), QByteArray("?\x92"));
    if (const auto latin2 = SingleByteCodePage::byName(QStringLiteral("ISO-8859-2"))) {
        EXPECT_EQ(latin2->encode(QString::fromUtf8("5 € Š")), QByteArray("5 ? \xa9"));
    }
}

// The five codes Windows-1252 leaves unused read as Latin-1 and write back as they were: a tag
// that holds them is not changed by reading and saving it.
TEST(SingleByteCodePage, Windows1252KeepsItsUnusedCodes)
{
    const QByteArray unused("\x81\x8d\x8f\x90\x9d");
    const SingleByteCodePage windows1252;
    EXPECT_EQ(windows1252.decode(unused), QString::fromLatin1(unused));
    EXPECT_EQ(windows1252.encode(windows1252.decode(unused)), unused);
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(char(byte));
    EXPECT_EQ(windows1252.encode(windows1252.decode(all)), all);
    EXPECT_EQ(windows1252.decode(all), LegacyText::fromWindows1252(all));
}

TEST(SingleByteCodePage, NamesAreLookedUpAtRunTime)
{
    EXPECT_EQ(SingleByteCodePage().name(), QStringLiteral("Windows-1252"));
    EXPECT_EQ(SingleByteCodePage::byName(QStringLiteral("windows-1252"))->name(),
              QStringLiteral("Windows-1252"));
    // Not a code page, or not one of one byte per character.
    for (const char* name : {"No-Such-Page", "", "UTF-8", "UTF-16", "Shift_JIS", "GB18030"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(SingleByteCodePage::byName(QLatin1String(name)).has_value());
    }

    const QStringList offered = SingleByteCodePage::offered();
    ASSERT_FALSE(offered.isEmpty());
    EXPECT_EQ(offered.first(), QStringLiteral("Windows-1252"));
    for (const QString& name : offered)
        EXPECT_TRUE(SingleByteCodePage::byName(name).has_value()) << name.toStdString();
}

TEST(SingleByteCodePage, AnUnavailablePageFallsBackToWindows1252WithANote)
{
    QString note = QStringLiteral("left over");
    const SingleByteCodePage page =
        SingleByteCodePage::byNameOrDefault(QStringLiteral("No-Such-Page"), &note);
    EXPECT_EQ(page.name(), QStringLiteral("Windows-1252"));
    EXPECT_TRUE(note.contains(QStringLiteral("No-Such-Page"))) << note.toStdString();
    EXPECT_TRUE(note.contains(QStringLiteral("Windows-1252"))) << note.toStdString();

    SingleByteCodePage::byNameOrDefault(QStringLiteral("Windows-1252"), &note);
    EXPECT_TRUE(note.isEmpty());
}

} // namespace
