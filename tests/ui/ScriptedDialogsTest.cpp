#include "testsupport/ScriptedDialogs.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using Call = ScriptedDialogs::Call;
using Kind = Dialogs::Kind;
using Answer = Dialogs::Answer;

TEST(ScriptedDialogsTest, EachKindOfCallTakesFromItsOwnQueueInOrder)
{
    ScriptedDialogs dialogs;
    dialogs.queueAnswer(Answer::Yes);
    dialogs.queuePrompt(QStringLiteral("first"));
    dialogs.queueAnswer(Answer::No);
    dialogs.queueOpenFile(QStringLiteral("/tmp/a.tb3"));
    dialogs.queuePrompt(std::nullopt);

    EXPECT_EQ(dialogs.prompt(QStringLiteral("T"), QStringLiteral("L"), QStringLiteral("x")),
              std::optional<QString>(QStringLiteral("first")));
    EXPECT_EQ(dialogs.message(Kind::Confirmation, QStringLiteral("one?")), Answer::Yes);
    EXPECT_EQ(
        dialogs.openFile(QStringLiteral("Open"), QStringLiteral("/tmp"), QStringLiteral("*.tb3")),
        std::optional<QString>(QStringLiteral("/tmp/a.tb3")));
    EXPECT_EQ(dialogs.message(Kind::Confirmation, QStringLiteral("two?"), QStringLiteral("Cap")),
              Answer::No);
    EXPECT_EQ(dialogs.prompt(QStringLiteral("T"), QStringLiteral("L"), QString()), std::nullopt);
    EXPECT_EQ(dialogs.pendingAnswers(), 0);

    ASSERT_EQ(dialogs.records().size(), 5);
    EXPECT_EQ(dialogs.records().at(0).call, Call::Prompt);
    EXPECT_EQ(dialogs.records().at(0).text, "L");
    EXPECT_EQ(dialogs.records().at(0).detail, "x");
    EXPECT_EQ(dialogs.records().at(2).text, "/tmp");
    EXPECT_EQ(dialogs.records().at(2).detail, "*.tb3");
    ASSERT_EQ(dialogs.messages().size(), 2);
    EXPECT_EQ(dialogs.messages().at(1).text, "two?");
    EXPECT_EQ(dialogs.messages().at(1).title, "Cap");
    EXPECT_TRUE(dialogs.messages().at(1).scripted);
}

TEST(ScriptedDialogsTest, UnscriptedCallsAnswerAsClosingTheDialogWould)
{
    ScriptedDialogs dialogs;
    EXPECT_EQ(dialogs.message(Kind::Confirmation, QStringLiteral("Sure?")), Answer::No);
    EXPECT_EQ(dialogs.message(Kind::Error, QStringLiteral("Broken")), Answer::Ok);
    EXPECT_EQ(dialogs.pickColor(Qt::red), std::nullopt);
    QColor color(Qt::blue);
    EXPECT_EQ(dialogs.pickFont(QFont(), color), std::nullopt);
    EXPECT_EQ(color, QColor(Qt::blue));
    EXPECT_EQ(dialogs.pickFolder(QStringLiteral("Folder"), QString()), std::nullopt);
    ASSERT_EQ(dialogs.records().size(), 5);
    for (const ScriptedDialogs::Record& entry : dialogs.records())
        EXPECT_FALSE(entry.scripted) << toString(entry.call);
}

TEST(ScriptedDialogsTest, StrictModeFailsTheTestOnAnUnscriptedCall)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.setStrict(true);
            dialogs.message(Kind::Information, QStringLiteral("Unexpected"));
        },
        "Unexpected");
}

TEST(ScriptedDialogsTest, FontAnswerSetsTheColourOnlyWhenOneIsQueued)
{
    ScriptedDialogs dialogs;
    dialogs.queueFont(QFont(QStringLiteral("Serif")));
    dialogs.queueFont(QFont(QStringLiteral("Mono")), QColor(Qt::green));
    QColor color(Qt::blue);
    EXPECT_EQ(dialogs.pickFont(QFont(), color)->family(), "Serif");
    EXPECT_EQ(color, QColor(Qt::blue));
    EXPECT_EQ(dialogs.pickFont(QFont(), color)->family(), "Mono");
    EXPECT_EQ(color, QColor(Qt::green));
}

} // namespace

namespace {

TEST(ScriptedDialogsChooseTest, AnswersFromItsQueueAndRecordsTheButtons)
{
    ScriptedDialogs dialogs;
    dialogs.queueChoice(2);
    const QStringList buttons = {QStringLiteral("Replace"), QStringLiteral("Skip")};
    EXPECT_EQ(dialogs.choose(QStringLiteral("T"), QStringLiteral("Which?"), buttons),
              std::optional<int>(2));
    EXPECT_EQ(dialogs.choose(QStringLiteral("T"), QStringLiteral("Again?"), buttons), std::nullopt);
    ASSERT_EQ(dialogs.records(Call::Choose).size(), 2);
    EXPECT_EQ(dialogs.records(Call::Choose).at(0).text, "Which?");
    EXPECT_EQ(dialogs.records(Call::Choose).at(0).detail, "Replace|Skip");
    EXPECT_TRUE(dialogs.records(Call::Choose).at(0).scripted);
    EXPECT_FALSE(dialogs.records(Call::Choose).at(1).scripted);
}

} // namespace
