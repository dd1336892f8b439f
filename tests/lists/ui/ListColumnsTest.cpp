#include "lists/ui/ListWindowFixture.h"
#include "testsupport/CaseNames.h"

#include <ostream>

namespace {

const QString longText = QStringLiteral(
    "An Extremely Long Name That No Column Of The Usual Width Could Ever Show In Full");

class ColumnsTest : public ListWindowTest
{
protected:
    static int textWidth(const ListWindow* window, const QString& text)
    {
        return window->listView()->fontMetrics().horizontalAdvance(text);
    }
    // The columns none of the settings show are hidden and take no room.
    static void expectHiddenColumnsEmpty(const ListWindow* window)
    {
        for (int column : {8, 9, 10, 11}) {
            EXPECT_TRUE(window->listView()->isColumnHidden(column)) << column;
            EXPECT_EQ(window->listView()->columnWidth(column), 0) << column;
        }
    }
};

struct FitCase
{
    const char* name;
    TestSong song;
    int column;
    QString text; // the text that must show whole, empty when the column keeps its minimum
    int minimum;
};

void PrintTo(const FitCase& c, std::ostream* os)
{
    *os << c.name;
}

class ColumnFitTest : public ColumnsTest, public ::testing::WithParamInterface<FitCase>
{};

TEST_P(ColumnFitTest, ABuiltListShowsItsTextsWholeAndKeepsTheMinimums)
{
    const FitCase& fit = GetParam();
    addSong(fit.song);
    addSong({QStringLiteral("B"), QStringLiteral("Short"), QStringLiteral("X")});

    ListWindow* window = openWhole();

    const int width = window->listView()->columnWidth(fit.column);
    if (fit.text.isEmpty())
        EXPECT_EQ(width, fit.minimum);
    else {
        EXPECT_GE(width, textWidth(window, fit.text));
        EXPECT_GT(width, fit.minimum);
    }
    expectHiddenColumnsEmpty(window);
}

INSTANTIATE_TEST_SUITE_P(
    ListWindow, ColumnFitTest,
    ::testing::Values(
        FitCase{
            "long title", {QStringLiteral("A"), longText, QStringLiteral("X")}, 1, longText, 150},
        FitCase{"short title", {QStringLiteral("A"), QStringLiteral("Hey"), {}}, 1, {}, 150},
        FitCase{"long artist", {longText, QStringLiteral("T"), {}}, 0, longText, 170},
        FitCase{
            "long album", {QStringLiteral("A"), QStringLiteral("T"), longText}, 4, longText, 160},
        FitCase{"short album",
                {QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("X")},
                4,
                {},
                160}),
    RowName());

TEST_F(ColumnsTest, ColumnsChosenInOptionsFitTheRowsShown)
{
    const QString path = addSong({QStringLiteral("A"), longText, {}});
    ListWindow* window = openWhole();
    ASSERT_TRUE(window->listView()->isColumnHidden(3));

    settings.setText(QLatin1String(SettingsStore::ShowFilename), QStringLiteral("True"));
    window->makeColumns();

    EXPECT_FALSE(window->listView()->isColumnHidden(3));
    EXPECT_GE(window->listView()->columnWidth(3), textWidth(window, path));
    EXPECT_GE(window->listView()->columnWidth(1), textWidth(window, longText));
    expectHiddenColumnsEmpty(window);
}

TEST_F(ColumnsTest, AWidthTheUserDraggedLastsUntilTheNextBuild)
{
    addSong({QStringLiteral("A"), QStringLiteral("Hey"), {}});
    ListWindow* window = openWhole();
    QHeaderView* header = window->listView()->header();

    header->resizeSection(1, 400);
    window->windowActivated();
    window->applyColors();
    EXPECT_EQ(window->listView()->columnWidth(1), 400);

    window->refreshList();
    EXPECT_EQ(window->listView()->columnWidth(1), 150);
}

} // namespace
