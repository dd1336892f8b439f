#include "ui/ErrorBoundary.h"
#include "testsupport/ExceptionCases.h"
#include "testsupport/QtPrinters.h"
#include "testsupport/ScriptedDialogs.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

class ErrorBoundaryTest : public ::testing::TestWithParam<ExceptionCase>
{};

TEST_P(ErrorBoundaryTest, StopsTheExceptionAndReportsItsTextOnce)
{
    QStringList reported;
    bool finished = true;
    EXPECT_NO_THROW(finished = ErrorBoundary::run(
                        GetParam().raise, [&](const QString& text) { reported.append(text); }));
    EXPECT_FALSE(finished);
    EXPECT_EQ(reported, QStringList{GetParam().text});
}

TEST_P(ErrorBoundaryTest, ShowsTheTextInTheErrorBox)
{
    ScriptedDialogs dialogs;
    EXPECT_FALSE(ErrorBoundary::run(GetParam().raise, dialogs));
    ASSERT_EQ(dialogs.records().size(), 1);
    const ScriptedDialogs::Record box = dialogs.messages().value(0);
    EXPECT_EQ(box.kind, Dialogs::Kind::Error);
    EXPECT_EQ(box.text, GetParam().text);
    EXPECT_TRUE(box.title.isEmpty()); // the program's own caption
}

INSTANTIATE_TEST_SUITE_P(Kinds, ErrorBoundaryTest, ::testing::ValuesIn(exceptionCases()),
                         exceptionCaseName);

TEST(ErrorBoundary, WorkThatFinishesReportsNothing)
{
    ScriptedDialogs dialogs;
    dialogs.setStrict(true);
    int runs = 0;
    EXPECT_TRUE(ErrorBoundary::run([&] { ++runs; }, dialogs));
    EXPECT_TRUE(ErrorBoundary::run(
        [&] { ++runs; }, [](const QString& text) { ADD_FAILURE() << text.toStdString(); }));
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(dialogs.records().isEmpty());
}

} // namespace
