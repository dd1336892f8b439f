// The sharing network as a user meets it in the main window, against running share and central
// processes: searches from the search window, "Download" on rows of the results, and the files
// arriving at the chosen targets.

#include "app/ui/AppHarness.h"
#include "app/ui/SearchWindowDriver.h"
#include "net/DownloadQueue.h"
#include "net/SharingClient.h"
#include "net/ui/DownloadsCommand.h"
#include "net/ui/DownloadsWindow.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/ServerProcess.h"
#include "testsupport/ShareHome.h"
#include "testsupport/SharingProcesses.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>

using namespace std::chrono_literals;

namespace {

// What happened to the downloads, in order: "start <server>" when a file begins to arrive,
// "end <server>" or "fail <server>" when its download ends; and the downloads window's status
// at each failure.
class DownloadLog
{
public:
    explicit DownloadLog(MainWindow& window)
    {
        QObject::connect(window.sharing(), &SharingClient::streamStarted, &context,
                         [this](const QString& peer, const QString&) {
                             events << QStringLiteral("start ") + peer;
                             if (onStart)
                                 onStart(peer);
                         });
        auto* status = window.downloads()->window()->findChild<QLabel*>(QStringLiteral("Label7"));
        QObject::connect(&window.downloads()->queue(), &DownloadQueue::downloadEnded, &context,
                         [this, status](const DownloadEntry& entry, const QString& reason) {
                             events << (reason.isEmpty() ? QStringLiteral("end ")
                                                         : QStringLiteral("fail ")) +
                                           entry.from;
                             if (!reason.isEmpty() && status)
                                 failureStatus << status->text();
                         });
    }
    QStringList events;
    QStringList failureStatus;
    std::function<void(const QString& peer)> onStart;

private:
    QObject context;
};

class SharingWindowEndToEndTest : public ::testing::Test, protected AppHarness
{
protected:
    SharingWindowEndToEndTest()
    {
        settings.setText(QLatin1String(SettingsStore::SharingAddress), uniqueLoopback().toString());
        settings.setText(QLatin1String(SettingsStore::CentralServer), centralAddress.toString());
    }

    // "Download" on row `row` of `list`, the save dialog answered with `target`.
    void download(ListWindow& list, int row, const QString& target)
    {
        selectRows(list, {row});
        dialogs.queueSaveFile(target);
        list.findChild<QAction*>(QStringLiteral("Download1"))->trigger();
    }

    bool queueEmptied(MainWindow& window, std::chrono::milliseconds limit)
    {
        DownloadQueue& queue = window.downloads()->queue();
        return eventually([&] { return queue.entries().isEmpty() && !queue.transferRunning(); },
                          limit);
    }

    QStringList filesIn(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QHostAddress centralAddress = uniqueLoopback();
    QTemporaryDir targetDir;
    QString target(const QString& name) const { return targetDir.filePath(name); }
};

} // namespace

TEST_F(SharingWindowEndToEndTest, RowsFoundDirectlyAndThroughTheCentralDownloadOneAfterTheOther)
{
    RunningCentral central(centralAddress);
    ASSERT_TRUE(central.server.started()) << failureText(central.server).toStdString();
    RunningShare share({QStringLiteral("--central"), central.name()});
    const QByteArray waterloo = patternBytes(3 * 1024 * 1024 + 11);
    const QByteArray fernando = patternBytes(5 * 1024 * 1024 + 3).mid(17);
    share.home.addSong(QStringLiteral("Abba"), QStringLiteral("Waterloo"),
                       share.home.music(QStringLiteral("Waterloo.mp3")), waterloo);
    share.home.addSong(QStringLiteral("Abba"), QStringLiteral("Fernando"),
                       share.home.music(QStringLiteral("Fernando's.mp3")), fernando);
    share.home.addSong(QStringLiteral("Blondie"), QStringLiteral("Atomic"),
                       share.home.music(QStringLiteral("Atomic.mp3")));
    ASSERT_TRUE(share.server->started()) << failureText(*share.server).toStdString();
    ASSERT_TRUE(central.registered(1)) << central.server.err().toStdString();

    auto window = start();
    DownloadLog log(*window);
    ListWindow* direct =
        searchThroughWindow(*window, {false, share.name(), QStringLiteral("abba"), QString()});
    ASSERT_NE(direct, nullptr);
    ASSERT_EQ(direct->model()->rowCount(), 2);
    EXPECT_EQ(direct->model()->entry(0).sub[ListEntry::Title], QStringLiteral("Fernando"));
    EXPECT_EQ(direct->model()->entry(1).sub[ListEntry::Title], QStringLiteral("Waterloo"));

    ListWindow* viaCentral = searchThroughWindow(
        *window, {true, QString(), QStringLiteral("ABBA"), QStringLiteral("water")});
    ASSERT_NE(viaCentral, nullptr);
    ASSERT_EQ(viaCentral->model()->rowCount(), 1);
    EXPECT_EQ(viaCentral->model()->entry(0).value(ListEntry::Location), share.name() + "R");

    // One row from each results window; the save dialog's answers are the targets.
    download(*direct, 0, target(QStringLiteral("Fernando.mp3")));
    download(*viaCentral, 0, target(QStringLiteral("Waterloo.mp3")));
    ASSERT_TRUE(queueEmptied(*window, 30s)) << failureText(*share.server).toStdString();

    EXPECT_TRUE(fileContents(target(QStringLiteral("Fernando.mp3"))) == fernando);
    EXPECT_TRUE(fileContents(target(QStringLiteral("Waterloo.mp3"))) == waterloo);
    EXPECT_EQ(filesIn(targetDir.path()),
              (QStringList{QStringLiteral("Fernando.mp3"), QStringLiteral("Waterloo.mp3")}));
    // Never two at once: each file ended before the next began.
    const QString from = share.name();
    EXPECT_EQ(log.events,
              (QStringList{"start " + from, "end " + from, "start " + from, "end " + from}));
}

TEST_F(SharingWindowEndToEndTest, AServerKilledInTheMiddleLeavesNoPartOfItsFileAndTheNextGoesOn)
{
    // Larger than the socket buffers can hold, so that the server stopped when the file begins
    // to arrive cannot have sent it all.
    RunningShare dying;
    const QByteArray big = patternBytes(40 * 1024 * 1024);
    dying.home.addSong(QStringLiteral("Abba"), QStringLiteral("Waterloo"),
                       dying.home.music(QStringLiteral("Waterloo.mp3")), big);
    ASSERT_TRUE(dying.server->started()) << failureText(*dying.server).toStdString();
    RunningShare next;
    const QByteArray small = patternBytes(2 * 1024 * 1024 + 5);
    next.home.addSong(QStringLiteral("Abba"), QStringLiteral("Fernando"),
                      next.home.music(QStringLiteral("Fernando.mp3")), small);
    ASSERT_TRUE(next.server->started()) << failureText(*next.server).toStdString();

    auto window = start();
    DownloadLog log(*window);
    ListWindow* fromDying =
        searchThroughWindow(*window, {false, dying.name(), QStringLiteral("abba"), QString()});
    ListWindow* fromNext =
        searchThroughWindow(*window, {false, next.name(), QStringLiteral("abba"), QString()});
    ASSERT_NE(fromDying, nullptr);
    ASSERT_NE(fromNext, nullptr);
    ASSERT_EQ(fromDying->model()->rowCount(), 1);
    ASSERT_EQ(fromNext->model()->rowCount(), 1);

    bool stopped = false;
    log.onStart = [&](const QString& peer) {
        if (peer == dying.name() && !stopped)
            stopped = ::kill(static_cast<pid_t>(dying.pid()), SIGSTOP) == 0;
    };
    download(*fromDying, 0, target(QStringLiteral("Waterloo.mp3")));
    download(*fromNext, 0, target(QStringLiteral("Fernando.mp3")));
    ASSERT_TRUE(eventually([&] { return stopped; }, 20s)) << log.events.join(", ").toStdString();
    // Some of the file may have come; then the server dies.
    spinFor(300ms);
    const DownloadQueue& queue = window->downloads()->queue();
    EXPECT_TRUE(queue.transferRunning());
    // The other server's queue message, come meanwhile, leaves the current download shown.
    EXPECT_EQ(queue.current().status, QStringLiteral("Downloading..."));
    EXPECT_EQ(queue.current().fromIp, dying.name());
    EXPECT_LT(queue.current().percent, 100);
    ASSERT_EQ(::kill(static_cast<pid_t>(dying.pid()), SIGKILL), 0);

    ASSERT_TRUE(queueEmptied(*window, 30s)) << log.events.join(", ").toStdString();
    EXPECT_EQ(log.events.filter(QStringLiteral("fail ")),
              QStringList{QStringLiteral("fail ") + dying.name()});
    EXPECT_EQ(log.events.last(), QStringLiteral("end ") + next.name());
    EXPECT_TRUE(fileContents(target(QStringLiteral("Fernando.mp3"))) == small);
    // Neither the target nor a temporary file of the broken download is left.
    EXPECT_EQ(filesIn(targetDir.path()), QStringList{QStringLiteral("Fernando.mp3")});
}

TEST_F(SharingWindowEndToEndTest, ATargetThatCannotBeMadeIsReportedAndTheNextGoesOn)
{
    RunningShare share;
    ASSERT_TRUE(share.server->started()) << failureText(*share.server).toStdString();
    const QByteArray fernando = patternBytes(1024 * 1024 + 9);
    share.home.addSong(QStringLiteral("Abba"), QStringLiteral("Fernando"),
                       share.home.music(QStringLiteral("Fernando.mp3")), fernando);
    share.home.addSong(QStringLiteral("Abba"), QStringLiteral("Waterloo"),
                       share.home.music(QStringLiteral("Waterloo.mp3")));

    auto window = start();
    DownloadLog log(*window);
    ListWindow* list =
        searchThroughWindow(*window, {false, share.name(), QStringLiteral("abba"), QString()});
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->model()->rowCount(), 2);
    // A folder in the target's path that is a file: the target cannot be made, even by root.
    writeTestFile(target(QStringLiteral("blocker")), "not a folder");
    download(*list, 1, target(QStringLiteral("blocker/Waterloo.mp3")));
    download(*list, 0, target(QStringLiteral("Fernando.mp3")));
    ASSERT_TRUE(queueEmptied(*window, 30s)) << log.events.join(", ").toStdString();

    const QString from = share.name();
    EXPECT_EQ(log.events,
              (QStringList{"start " + from, "fail " + from, "start " + from, "end " + from}));
    ASSERT_EQ(log.failureStatus.size(), 1);
    EXPECT_TRUE(log.failureStatus[0].contains(QStringLiteral("blocker/Waterloo.mp3")))
        << log.failureStatus[0].toStdString();
    EXPECT_TRUE(fileContents(target(QStringLiteral("Fernando.mp3"))) == fernando);
    EXPECT_EQ(filesIn(targetDir.path()),
              (QStringList{QStringLiteral("Fernando.mp3"), QStringLiteral("blocker")}));
}
