#include "intake/GenreLists.h"

#include <gtest/gtest.h>

namespace {

TEST(GenreLists, Sizes)
{
    EXPECT_EQ(GenreLists::intake().size(), 126);
    EXPECT_EQ(GenreLists::pick().size(), 115);
    EXPECT_EQ(GenreLists::component().size(), 115);
}

// The pick and component lists are derived from the intake list; checking every index against
// the rule catches a name lost or doubled anywhere in the long literal list.
TEST(GenreLists, PickAndComponentFollowTheIntakeList)
{
    const QStringList& intake = GenreLists::intake();
    for (int i = 0; i < 115; ++i) {
        SCOPED_TRACE(i);
        if (i != 81 && i != 84) {
            EXPECT_EQ(GenreLists::pick().at(i), intake.at(i));
        }
        if (i != 81) {
            EXPECT_EQ(GenreLists::component().at(i), intake.at(i < 84 ? i : i + 1));
        }
    }
}

TEST(GenreLists, SpotNames)
{
    struct Case
    {
        const QStringList& list;
        const char* listName;
        int index;
        const char* name;
    };
    const Case cases[] = {
        {GenreLists::intake(), "intake", 0, "Blues"},
        {GenreLists::intake(), "intake", 12, "Other"},
        {GenreLists::intake(), "intake", 14, "R&B"},
        {GenreLists::intake(), "intake", 67, "Psychadelic"},
        {GenreLists::intake(), "intake", 79, "Hard Rock"},
        {GenreLists::intake(), "intake", 81, "Folk-Rock"},
        {GenreLists::intake(), "intake", 84, "Fast Fusion"},
        {GenreLists::intake(), "intake", 85, "Bebob"},
        {GenreLists::intake(), "intake", 115, "Folklore"},
        {GenreLists::intake(), "intake", 125, "Dance Hall"},
        {GenreLists::pick(), "pick", 81, "Folk/Rock"},
        {GenreLists::pick(), "pick", 84, "Fast-Fusion"},
        {GenreLists::pick(), "pick", 114, "Samba"},
        {GenreLists::component(), "component", 81, "Folk/Rock"},
        {GenreLists::component(), "component", 83, "Swing"},
        {GenreLists::component(), "component", 84, "Bebob"},
        {GenreLists::component(), "component", 114, "Folklore"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.listName) + " " + std::to_string(c.index));
        EXPECT_EQ(c.list.at(c.index), QString::fromUtf8(c.name));
    }
}

} // namespace
