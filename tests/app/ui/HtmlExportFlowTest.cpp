#include "app/ui/AppHarness.h"
#include "app/ui/MainWindow.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "lists/ui/ListWindow.h"
#include "ui/Gauge.h"

#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The HTML export from the main window: a list window's "Export list as > HTML Page" shows
// the options window, "Generate" asks for the file and starts MakeHTMLTimer, whose run writes
// the page of the active list.
class HtmlExportFlowTest : public ::testing::Test, protected AppHarness
{
protected:
    HtmlExportFlowTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        for (const char* artist : {"Abba", "Tom & Jerry", "<script>"}) {
            Song song;
            song.artist = QString::fromLatin1(artist);
            song.title = QStringLiteral("Song");
            song.filename = QStringLiteral("/nowhere/") + song.artist + QStringLiteral(".mp3");
            song.trackLength = QStringLiteral("0:00:01");
            song.location = QStringLiteral("Disk!");
            uq.setSql(Statements::insertSong(song.storedForm()));
            uq.execSQL();
        }
    }

    // The whole database in a list window, then its "HTML Page" and the window's "Generate".
    QDialog* generate(MainWindow& window)
    {
        act(window, "Wholedatabase1")->trigger();
        ListWindow* list = window.listWindows().value(0);
        EXPECT_NE(list, nullptr);
        if (!list)
            return nullptr;
        list->action(ListWindow::Command::HtmlPage)->trigger();
        auto* options = window.findChild<QDialog*>(QStringLiteral("Form7"));
        EXPECT_NE(options, nullptr);
        if (!options)
            return nullptr;
        EXPECT_TRUE(options->isVisible());
        EXPECT_FALSE(options->isModal());
        options->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        return options;
    }

    QTemporaryDir out;
    const QString page = out.filePath(QStringLiteral("list.htm"));
};

TEST_F(HtmlExportFlowTest, GenerateWritesThePageOfTheActiveListWhenTheTimerRuns)
{
    dialogs.setStrict(true);
    auto window = start();
    dialogs.queueSaveFile(page);
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    QDialog* options = generate(*window);
    ASSERT_NE(options, nullptr);
    EXPECT_FALSE(options->isVisible());

    QTimer* timer = AppHarness::timer(*window, "MakeHTMLTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 250);
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(QFile::exists(page)); // written by the timer's run, not by the button
    tick(*window, "MakeHTMLTimer");
    EXPECT_FALSE(timer->isActive());

    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(
        text.contains(QStringLiteral("<CENTER>1. &lt;script&gt; - Song, 0:00:01</CENTER>\r\n")));
    EXPECT_TRUE(
        text.contains(QStringLiteral("<CENTER>3. Tom &amp; Jerry - Song, 0:00:01</CENTER>\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("<B>Songs in list: 3</B><BR>\r\n")));
    EXPECT_TRUE(window->findChild<Gauge*>(QStringLiteral("Gauge1"))->isHidden());
    // The run ends by naming the page; this desktop has no browser to open it with.
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Information);
    EXPECT_TRUE(dialogs.messages()[0].text.contains(QStringLiteral("\"%1\"").arg(page)))
        << dialogs.messages()[0].text.toStdString();
}

TEST_F(HtmlExportFlowTest, CancelledDialogWritesNothing)
{
    auto window = start();
    dialogs.queueSaveFile(std::nullopt);
    QDialog* options = generate(*window);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->isVisible());
    EXPECT_FALSE(AppHarness::timer(*window, "MakeHTMLTimer")->isActive());
    EXPECT_TRUE(out.isValid());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(HtmlExportFlowTest, UnwritableFileIsReportedAndLeavesNothing)
{
    auto window = start();
    const QString missing = out.filePath(QStringLiteral("gone/list.htm"));
    dialogs.queueSaveFile(missing);
    ASSERT_NE(generate(*window), nullptr);
    tick(*window, "MakeHTMLTimer");
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Error);
    EXPECT_TRUE(dialogs.messages()[0].text.contains(missing))
        << dialogs.messages()[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(missing));
}

} // namespace
