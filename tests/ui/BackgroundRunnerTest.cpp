#include "ui/BackgroundRunner.h"
#include "testsupport/ExceptionCases.h"
#include "testsupport/QtPrinters.h"

#include <QCoreApplication>
#include <QList>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>

namespace {

// One progress call as the GUI thread received it.
struct Arrival
{
    int position = 0;
    int maximum = 0;
    QString text;
    bool onGuiThread = false;
    bool windowEnabled = true;

    bool operator==(const Arrival&) const = default;
};

void PrintTo(const Arrival& arrival, std::ostream* os)
{
    *os << arrival.position << '/' << arrival.maximum << ' ' << arrival.text.toStdString()
        << (arrival.onGuiThread ? "" : " off the GUI thread")
        << (arrival.windowEnabled ? " window enabled" : "");
}

class BackgroundRunnerTest : public ::testing::Test
{
protected:
    // Records every progress call that reaches this thread.
    BackgroundRunner::Progress recorder()
    {
        return [this](int position, int maximum, const QString& text) {
            arrivals.append({position, maximum, text, QThread::currentThread() == qApp->thread(),
                             window.isEnabled()});
        };
    }

    QWidget window;
    QList<Arrival> arrivals;
};

TEST_F(BackgroundRunnerTest, JobRunsOnAThreadOfItsOwnAndEveryProgressCallArrivesHereInOrder)
{
    window.show();
    // Many calls in a burst at the very end of the job: they are still queued when it ends.
    constexpr int steps = 2000;
    std::atomic<QThread*> jobThread = nullptr;
    int result = 0;
    const std::optional<QString> error = BackgroundRunner::run(
        &window,
        [&](const BackgroundRunner::Progress& progress) {
            jobThread = QThread::currentThread();
            for (int step = 1; step <= steps; ++step)
                progress(step, steps, QStringLiteral("Step %1").arg(step));
            result = 42;
        },
        recorder());

    EXPECT_EQ(error, std::nullopt);
    EXPECT_EQ(result, 42);
    EXPECT_NE(jobThread.load(), nullptr);
    EXPECT_NE(jobThread.load(), QThread::currentThread());
    QList<Arrival> expected;
    for (int step = 1; step <= steps; ++step)
        expected.append({step, steps, QStringLiteral("Step %1").arg(step), true, false});
    EXPECT_EQ(arrivals, expected);
    EXPECT_TRUE(window.isEnabled());

    // Nothing was left queued to arrive after the run.
    QCoreApplication::processEvents();
    EXPECT_EQ(arrivals.size(), steps);
}

TEST_F(BackgroundRunnerTest, ThisThreadHandlesEventsWhileTheJobRuns)
{
    // The job goes on only once its first progress call has been handled here: a runner that
    // just waited for the job would never let it. The wait's limit only keeps such a runner
    // from hanging the test.
    QSemaphore handled;
    bool sawItHandled = false;
    const std::optional<QString> error = BackgroundRunner::run(
        &window,
        [&](const BackgroundRunner::Progress& progress) {
            progress(1, 2, QStringLiteral("first"));
            sawItHandled = handled.tryAcquire(1, 60000);
            progress(2, 2, QStringLiteral("second"));
        },
        [&](int position, int maximum, const QString& text) {
            recorder()(position, maximum, text);
            if (position == 1)
                handled.release();
        });
    EXPECT_EQ(error, std::nullopt);
    EXPECT_TRUE(sawItHandled);
    EXPECT_EQ(arrivals.size(), 2);
}

TEST_F(BackgroundRunnerTest, AQuitOfTheApplicationWaitsForTheJobAndLosesNoProgress)
{
    // The application quits while the job is in the middle of its work; the job goes on only
    // once the quit has happened. The wait's limit only keeps a broken runner from hanging.
    QSemaphore quitDone;
    bool sawTheQuit = false;
    bool finished = false;
    std::optional<std::optional<QString>> outcome;
    QTimer::singleShot(0, [&] {
        outcome = BackgroundRunner::run(
            &window,
            [&](const BackgroundRunner::Progress& progress) {
                progress(1, 3, QStringLiteral("Adding"));
                sawTheQuit = quitDone.tryAcquire(1, 60000);
                progress(2, 3, QStringLiteral("Adding"));
                progress(3, 3, QStringLiteral("Adding"));
                finished = true;
            },
            [&](int position, int maximum, const QString& text) {
                recorder()(position, maximum, text);
                if (position == 1) {
                    QCoreApplication::exit(0);
                    quitDone.release();
                }
            });
    });
    QCoreApplication::exec();

    EXPECT_TRUE(sawTheQuit);
    ASSERT_TRUE(outcome.has_value()) << "the run was over before the application's loop ended";
    EXPECT_EQ(*outcome, std::nullopt);
    EXPECT_TRUE(finished);
    EXPECT_EQ(arrivals, (QList<Arrival>{{1, 3, QStringLiteral("Adding"), true, false},
                                        {2, 3, QStringLiteral("Adding"), true, false},
                                        {3, 3, QStringLiteral("Adding"), true, false}}));
    EXPECT_TRUE(window.isEnabled());
}

TEST_F(BackgroundRunnerTest, AWindowDisabledBeforeTheRunStaysDisabled)
{
    window.setEnabled(false);
    BackgroundRunner::run(
        &window, [](const BackgroundRunner::Progress&) {}, recorder());
    EXPECT_FALSE(window.isEnabled());
}

class BackgroundRunnerFailureTest : public BackgroundRunnerTest,
                                    public ::testing::WithParamInterface<ExceptionCase>
{};

TEST_P(BackgroundRunnerFailureTest, ExceptionOfTheJobComesBackAsItsText)
{
    const QString unknown = QStringLiteral("The copy stopped because of an unknown error.");
    const std::optional<QString> error = BackgroundRunner::run(
        &window,
        [](const BackgroundRunner::Progress& progress) {
            progress(1, 3, QStringLiteral("Copying..."));
            GetParam().raise();
            progress(2, 3, QStringLiteral("Copying..."));
        },
        recorder(), unknown);

    EXPECT_EQ(error, GetParam().carriesText ? GetParam().text : unknown);
    // What the job reported before it stopped still arrived; the window takes input again.
    EXPECT_EQ(arrivals, (QList<Arrival>{{1, 3, QStringLiteral("Copying..."), true, false}}));
    EXPECT_TRUE(window.isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Kinds, BackgroundRunnerFailureTest, ::testing::ValuesIn(exceptionCases()),
                         exceptionCaseName);

} // namespace
