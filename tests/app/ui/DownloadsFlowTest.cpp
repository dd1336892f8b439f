// The downloads window and "Download" on a row, in the running main window.

#include "app/ui/AppHarness.h"
#include "app/ui/MainWindow.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "lists/ui/ListWindow.h"
#include "net/DownloadQueue.h"
#include "net/ui/DownloadsCommand.h"
#include "net/ui/DownloadsWindow.h"
#include "testsupport/Loopback.h"

#include <QLabel>
#include <QProgressBar>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class DownloadsFlowTest : public ::testing::Test, protected AppHarness
{
protected:
    DownloadsFlowTest()
    {
        // The client's servers keep to an address of this test's own.
        settings.setText(QLatin1String(SettingsStore::SharingAddress), uniqueLoopback().toString());
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        Song song{.artist = QStringLiteral("Abba"),
                  .title = QStringLiteral("Waterloo"),
                  .filename = QStringLiteral("/music/Don't stop.mp3"),
                  .location = QStringLiteral("127.0.0.9R")};
        uq.setSql(Statements::insertSong(song.storedForm()));
        uq.execSQL();
    }

    static QString text(QWidget& window, const char* name)
    {
        auto* label = window.findChild<QLabel*>(QLatin1String(name));
        EXPECT_NE(label, nullptr) << name;
        return label ? label->text() : QString();
    }
};

} // namespace

TEST_F(DownloadsFlowTest, TheWindowShowsNothingYetAndIsReachedFromTheViewMenu)
{
    auto window = start();
    tick(*window, "OtherThingsTimer");
    DownloadsWindow* downloads = window->downloads()->window();
    EXPECT_FALSE(downloads->isVisible());
    act(*window, "Downloadswindow1")->trigger();
    EXPECT_TRUE(downloads->isVisible());
    EXPECT_EQ(downloads->windowTitle(), QStringLiteral("Downloads window"));
    EXPECT_EQ(downloads->size(), QSize(340, 193));
    EXPECT_TRUE(downloads->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // Always on top, so it keeps clear of the menus and the tool bar.
    EXPECT_TRUE(window->frameGeometry().contains(downloads->frameGeometry()));
    auto* toolBar = window->findChild<QToolBar*>();
    ASSERT_NE(toolBar, nullptr);
    EXPECT_GT(downloads->frameGeometry().top(),
              toolBar->mapToGlobal(QPoint(0, toolBar->height())).y());
    for (const char* value : {"Label4", "Label5", "Label6", "Label7"})
        EXPECT_EQ(text(*downloads, value), QStringLiteral("n/a")) << value;
    auto* gauge = downloads->findChild<QProgressBar*>(QStringLiteral("Gauge1"));
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->text(), QStringLiteral("0%"));
    QTreeWidget* queue = downloads->queueView();
    EXPECT_EQ(queue->headerItem()->text(0), QStringLiteral("Download"));
    EXPECT_EQ(queue->headerItem()->text(1), QStringLiteral("From"));
    EXPECT_EQ(queue->headerItem()->text(2), QStringLiteral("To file"));
    EXPECT_EQ(queue->columnWidth(0), 125);
    EXPECT_EQ(queue->columnWidth(1), 75);
    EXPECT_EQ(queue->columnWidth(2), 175);
    // The carried animation is loaded and stands still until a file arrives.
    auto* animation = downloads->findChild<QLabel*>(QStringLiteral("Animate1"));
    ASSERT_NE(animation, nullptr);
    EXPECT_NE(animation->movie(), nullptr);
    EXPECT_FALSE(downloads->animationRunning());
}

TEST_F(DownloadsFlowTest, DownloadQueuesTheServersNameForTheFileAndItsHost)
{
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {0});
    dialogs.queueSaveFile(home.file(QStringLiteral("Waterloo")));
    list->findChild<QAction*>(QStringLiteral("Download1"))->trigger();

    DownloadQueue& queue = window->downloads()->queue();
    const QList<DownloadEntry> expected{{QStringLiteral("/music/Don`1t stop.mp3"),
                                         QStringLiteral("127.0.0.9"),
                                         home.file(QStringLiteral("Waterloo.mp3"))}};
    EXPECT_EQ(queue.entries(), expected);
    EXPECT_TRUE(queue.RequestDl()->isActive());
    EXPECT_TRUE(window->sharing()->isListening());
    // The queue shows the name as the user reads it.
    EXPECT_EQ(window->downloads()->window()->queueView()->topLevelItem(0)->text(0),
              QStringLiteral("/music/Don't stop.mp3"));
}

TEST_F(DownloadsFlowTest, ACancelledSaveDialogAddsNothingButTheWaitingGoOn)
{
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {0});
    DownloadQueue& queue = window->downloads()->queue();
    dialogs.queueSaveFile(std::nullopt);
    list->findChild<QAction*>(QStringLiteral("Download1"))->trigger();
    EXPECT_TRUE(queue.entries().isEmpty());
    EXPECT_FALSE(queue.RequestDl()->isActive());

    dialogs.queueSaveFile(home.file(QStringLiteral("a.mp3")));
    list->findChild<QAction*>(QStringLiteral("Download1"))->trigger();
    queue.RequestDl()->stop();
    dialogs.queueSaveFile(std::nullopt);
    list->findChild<QAction*>(QStringLiteral("Download1"))->trigger();
    EXPECT_EQ(queue.entries().size(), 1);
    EXPECT_TRUE(queue.RequestDl()->isActive());
}
