#include "lists/ui/ListWindowFixture.h"

#include <QApplication>

namespace {

// A filter box is typed in while the list behind it re-queries.
class FilterTypingTest : public ListWindowTest
{
protected:
    // The area on screen and active, so that clicks and keys reach the boxes as a user's do.
    void showArea()
    {
        area.resize(900, 600);
        area.show();
        area.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&area));
    }
    static QWidget* focused() { return QApplication::focusWidget(); }
};

TEST_F(FilterTypingTest, TheRefreshLeavesTheKeyboardAndTheCursorInTheBox)
{
    addSong({QStringLiteral("A"), QStringLiteral("Beat It"), {}});
    addSong({QStringLiteral("B"), QStringLiteral("Better Days"), {}});
    addSong({QStringLiteral("C"), QStringLiteral("Help"), {}});
    ListWindow* window = openWhole();
    showArea();
    QLineEdit* title = edit(window, "Edit2");

    QTest::mouseClick(title, Qt::LeftButton);
    ASSERT_EQ(focused(), title);
    QTest::keyClicks(focused(), QStringLiteral("bt"));
    QTest::keyClick(focused(), Qt::Key_Left);
    QTest::keyClicks(focused(), QStringLiteral("e"));
    fire(timer1(window));

    EXPECT_EQ(column(window, 1), QStringList{"Better Days"});
    EXPECT_EQ(focused(), title);
    EXPECT_EQ(title->cursorPosition(), 2);

    QTest::keyClicks(focused(), QStringLiteral("a"));
    fire(timer1(window));

    EXPECT_EQ(title->text(), QStringLiteral("beat"));
    EXPECT_EQ(column(window, 1), QStringList{"Beat It"});
    EXPECT_EQ(focused(), title);
    EXPECT_EQ(title->cursorPosition(), 3);

    // Ctrl+A and Backspace empty the box; the list keeps its selected row until it refreshes.
    QTest::keyClick(focused(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(focused(), Qt::Key_Backspace);

    EXPECT_TRUE(title->text().isEmpty());
    EXPECT_EQ(window->selectedRows(), std::vector<int>{0});
    fire(timer1(window));
    EXPECT_EQ(window->model()->rowCount(), 3);
    EXPECT_EQ(focused(), title);
}

TEST_F(FilterTypingTest, ANewListTakesTheKeyboardInItsRows)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}});
    showArea();

    ListWindow* window = openWhole();

    EXPECT_EQ(window->focusWidget(), window->listView());
}

} // namespace
