#include "lists/PlayDrop.h"

#include "testsupport/CaseNames.h"

#include <gtest/gtest.h>

namespace {

struct DropRow
{
    const char* name;
    int openWindows;
    const char* active;
    QStringList nowSelected;
    bool accepted;
};

class PlayDropTest : public ::testing::TestWithParam<DropRow>
{};

TEST_P(PlayDropTest, TakesRowsOnlyForTheActiveWindowsSelection)
{
    const DropRow& row = GetParam();
    EXPECT_EQ(PlayDrop::accepts(row.openWindows, QString::fromLatin1(row.active), row.nowSelected),
              row.accepted);
}

const QStringList selectedInChild2 = {QStringLiteral("12"), QStringLiteral("40"),
                                      QStringLiteral("Child2")};

INSTANTIATE_TEST_SUITE_P(
    Drops, PlayDropTest,
    ::testing::Values(
        DropRow{"active window published last", 2, "Child2", selectedInChild2, true},
        DropRow{"only the window name left", 1, "Child2", {QStringLiteral("Child2")}, true},
        DropRow{"another window is active", 2, "Child3", selectedInChild2, false},
        DropRow{"no list window open", 0, "Child2", selectedInChild2, false},
        DropRow{"no active window", 2, "", selectedInChild2, false},
        DropRow{"NowSelected empty", 1, "Child2", {}, false},
        DropRow{"empty name against an empty last line", 1, "", {QString()}, false},
        DropRow{"name only inside the list",
                2,
                "Child2",
                {QStringLiteral("Child2"), QStringLiteral("7"), QStringLiteral("Child1")},
                false}),
    RowName());

} // namespace
