#include "app/ui/AppHarness.h"
#include "app/ui/MainWindow.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "intake/ui/MassRetagWindow.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "testsupport/TempHome.h"
#include "ui/Gauge.h"

#include <QCheckBox>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// The mass re-tagger from the main window: opened from the menu or a list window's context
// menu, run by the Massrename timer on songs whose files are copies of the tagged fixture
// (title "Silent Night", artist "The Testers", year "1999").
class MassRetagFlowTest : public ::testing::Test, protected AppHarness
{
protected:
    MassRetagFlowTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        const QByteArray tagged = bytesOf(testDataPath(QStringLiteral("id3v1/tagged.mp3")));
        for (const char* artist : {"Abba", "Beatles", "Queen"}) {
            const QString path = files.filePath(QString::fromLatin1(artist) + ".mp3");
            writeTestFile(path, tagged);
            paths << path;
            Song song;
            song.artist = QString::fromLatin1(artist);
            song.title = QStringLiteral("Silent Night");
            song.filename = path;
            song.trackLength = QStringLiteral("0:00:01");
            song.location = QStringLiteral("Disk!");
            song.genre = QStringLiteral("Rock");
            song.year = QStringLiteral("1999");
            uq.setSql(Statements::insertSong(song.storedForm()));
            uq.execSQL();
        }
    }

    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Answers the window once it is open: `fill` acts on it, then "Mass re-tag!" is clicked
    // (or "Exit" when `exit`).
    void whenOpen(MainWindow& window, std::function<void(MassRetagWindow&)> fill, bool exit = false)
    {
        QTimer::singleShot(0, &window, [&window, fill, exit, this] {
            auto* retag = window.findChild<MassRetagWindow*>(QStringLiteral("Form13"));
            ASSERT_NE(retag, nullptr);
            wasModal = retag->isVisible() && retag->isModal();
            fill(*retag);
            retag->findChild<QPushButton*>(QLatin1String(exit ? "BitBtn2" : "BitBtn1"))->click();
            stillOpen = retag->isVisible();
            if (stillOpen)
                retag->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        });
    }

    static QString listYear(ListWindow* list, int row)
    {
        return list->model()->entry(row).value(ListEntry::Year);
    }

    QTemporaryDir filesDir;
    QDir files{filesDir.path()};
    QStringList paths;
    bool wasModal = false;
    bool stillOpen = false;
};

TEST_F(MassRetagFlowTest, SelectedSongsChangeInTableTagsAndEveryListAfterTheTimer)
{
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {0, 2});
    ASSERT_NE(list, nullptr);
    writeTestFile(home.file(QStringLiteral("Artists.dat")), "Abba\r\n");
    whenOpen(*window, [](MassRetagWindow& retag) {
        retag.findChild<QLineEdit*>(QStringLiteral("Edit4"))->setText(QStringLiteral("2024"));
        // Prefilled from the first selected row: its artist ticks the artist row; untick it.
        retag.checkBox(0)->setChecked(false);
    });
    list->action(ListWindow::Command::MassRetag)->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(stillOpen);

    QTimer* massrename = timer(*window, "Massrename");
    ASSERT_TRUE(massrename->isActive()) << "the run waits for the timer";
    EXPECT_EQ(listYear(list, 0), "1999");
    tick(*window, "Massrename");
    EXPECT_FALSE(massrename->isActive());

    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(listYear(list, 0), "2024");
    EXPECT_EQ(listYear(list, 1), "1999");
    EXPECT_EQ(listYear(list, 2), "2024");
    EXPECT_EQ(list->model()->entry(0).caption, "Abba");
    EXPECT_EQ(bytesOf(paths[0]).right(128).mid(93, 4), "2024");
    EXPECT_EQ(bytesOf(paths[1]).right(128).mid(93, 4), "1999");
    EXPECT_EQ(bytesOf(paths[2]).right(128).mid(93, 4), "2024");
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("Artists.dat"))));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(window->trayMenu()->isEnabled());
    EXPECT_TRUE(window->findChild<Gauge*>()->isHidden());
}

TEST_F(MassRetagFlowTest, OneSelectedSongGetsTheDohMessageAndNoWindow)
{
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {1});
    ASSERT_NE(list, nullptr);
    list->action(ListWindow::Command::MassRetag)->trigger();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Information);
    EXPECT_EQ(dialogs.messages()[0].text,
              "You need to have more than one song selected to mass rename! DOH!!!");
    EXPECT_FALSE(timer(*window, "Massrename")->isActive());
}

TEST_F(MassRetagFlowTest, MenuItemWithoutAListWindowDoesNothing)
{
    auto window = start();
    act(*window, "Massretagger1")->trigger();
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_FALSE(timer(*window, "Massrename")->isActive());
}

TEST_F(MassRetagFlowTest, NothingTickedKeepsTheWindowOpenWithTheMessage)
{
    auto window = start();
    ASSERT_NE(openWholeDatabase(*window, {0, 1}), nullptr);
    whenOpen(*window, [](MassRetagWindow& retag) {
        for (int row = 0; row < 5; ++row)
            retag.checkBox(row)->setChecked(false);
    });
    act(*window, "Massretagger1")->trigger();
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Error);
    EXPECT_EQ(dialogs.messages()[0].text,
              "You must have at least one parameter selected to change!");
    EXPECT_FALSE(timer(*window, "Massrename")->isActive());
}

TEST_F(MassRetagFlowTest, ExitStartsNothing)
{
    auto window = start();
    ASSERT_NE(openWholeDatabase(*window, {0, 1}), nullptr);
    whenOpen(
        *window, [](MassRetagWindow&) {}, true);
    act(*window, "Massretagger1")->trigger();
    EXPECT_FALSE(stillOpen);
    EXPECT_FALSE(timer(*window, "Massrename")->isActive());
}

TEST_F(MassRetagFlowTest, AStoppedRunSaysWhereAndTheSongsAfterItStayAsTheyWere)
{
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {0, 1, 2});
    ASSERT_NE(list, nullptr);
    // The second song's file was cut short (a copy that failed): shorter than a tag, its tag
    // cannot be read.
    writeTestFile(paths[1], "TAG cut");
    whenOpen(*window, [](MassRetagWindow& retag) {
        retag.checkBox(0)->setChecked(false);
        retag.findChild<QLineEdit*>(QStringLiteral("Edit4"))->setText(QStringLiteral("2024"));
    });
    act(*window, "Massretagger1")->trigger();
    tick(*window, "Massrename");

    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Error);
    EXPECT_NE(dialogs.messages()[0].text.indexOf(paths[1]), -1)
        << dialogs.messages()[0].text.toStdString();
    EXPECT_EQ(listYear(list, 0), "2024");
    EXPECT_EQ(listYear(list, 1), "1999");
    EXPECT_EQ(listYear(list, 2), "1999");
    EXPECT_EQ(bytesOf(paths[1]), "TAG cut");
    EXPECT_EQ(bytesOf(paths[2]).right(128).mid(93, 4), "1999");
    EXPECT_TRUE(window->isEnabled());
}

} // namespace
