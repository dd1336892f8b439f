#include "app/ui/MainWindow.h"
#include "app/ui/AppHarness.h"
#include "app/ui/OptionsDialog.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "intake/ui/AddFilesWindow.h"
#include "intake/ui/TagEditorWindow.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "net/SharingClient.h"
#include "platform/Clock.h"
#include "player/TMPEGPlayer.h"
#include "settings/SettingsStore.h"
#include "testsupport/CaseNames.h"
#include "testsupport/FakeShellVerbs.h"
#include "testsupport/FakeVolumes.h"
#include "testsupport/ScriptedDialogs.h"
#include "testsupport/TempHome.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A main window on a temporary home, with scripted dialogs, folders as media and a desktop
// whose MP3 player is known. Nothing of it touches the user's own files or settings.
class MainWindowTest : public ::testing::Test, protected AppHarness
{
protected:
    MainWindowTest()
    {
        shellVerbs.set(QStringLiteral("\"/usr/bin/player\" \"%1\""),
                       QStringLiteral("\"/usr/bin/player\" -e \"%1\""));
    }

    // A song table in the home with the given songs; their files are made on `root` when given.
    void makeSongTable(const QStringList& artists, const QString& root = QString())
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        int n = 0;
        for (const QString& artist : artists) {
            Song song;
            song.artist = TextCodec::reFilter(artist);
            song.title = QStringLiteral("Song %1").arg(++n);
            // Files are stored under the mount point the medium had when it was added; they
            // are found again under whichever root holds the medium now.
            const QString name = QStringLiteral("/%1.mp3").arg(n);
            if (!root.isEmpty()) {
                QFile f(root + name);
                f.open(QIODevice::WriteOnly);
            }
            song.filename = QStringLiteral("/media/nobody/OLDCD") + name;
            song.trackLength = QStringLiteral("0:02:30");
            song.location = QStringLiteral("Disk!");
            song.genre = QStringLiteral("Rock");
            uq.setSql(Statements::insertSong(song));
            uq.execSQL();
        }
    }
};

TEST_F(MainWindowTest, FirstStartWritesLibraryAndSongTableOnceAndSecondStartKeepsThem)
{
    {
        auto window = start();
        EXPECT_TRUE(timer(*window, "Validator")->isActive());
        tick(*window, "Validator");
        tick(*window, "Validator");
        EXPECT_TRUE(QFileInfo::exists(home.file(QStringLiteral("mpegdll.so"))));
        EXPECT_TRUE(QFileInfo::exists(home.file(QStringLiteral("tamboro.db"))));
        EXPECT_FALSE(timer(*window, "Validator")->isActive());

        // A song arrives in the table written out.
        UQuery uq(window->database());
        Song song;
        song.artist = QStringLiteral("Kept");
        song.title = QStringLiteral("Song");
        song.filename = QStringLiteral("/x.mp3");
        song.trackLength = QStringLiteral("0:01:00");
        song.location = QStringLiteral("Disk!");
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
        window->database().closeConnection();
    }
    const QDateTime libraryTime = QFileInfo(home.file(QStringLiteral("mpegdll.so"))).lastModified();
    {
        auto window = start();
        tick(*window, "Validator");
        EXPECT_FALSE(timer(*window, "Validator")->isActive());
        RQuery rq(window->database());
        rq.setSql(Statements::selectAll());
        rq.open();
        EXPECT_EQ(rq.recordCount(), 1);
        EXPECT_EQ(rq.field(SongColumn::Artist), QStringLiteral("Kept"));
    }
    EXPECT_EQ(QFileInfo(home.file(QStringLiteral("mpegdll.so"))).lastModified(), libraryTime);
}

TEST_F(MainWindowTest, StartUpState)
{
    const QString medium = volumes.addMedium(QStringLiteral("CD1"), QLatin1Char('@'));
    auto window = start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tamboro 3"));
    EXPECT_EQ(window->minimumSize(), QSize(589, 434));
    EXPECT_EQ(window->drvs(), QStringList{medium});
    EXPECT_EQ(window->playStr(), QStringLiteral("/usr/bin/player \"%1\""));
    EXPECT_EQ(window->enqStr(), QStringLiteral("/usr/bin/player -e \"%1\""));
    EXPECT_FALSE(window->quitRequested());
    EXPECT_EQ(window->itemCounter(), 0);
    struct Expected
    {
        const char* name;
        int interval;
        bool singleShot;
        bool active;
    };
    const Expected timers[] = {
        {"Timer1", 50, true, true},          {"OtherThingsTimer", 500, true, true},
        {"Validator", 1000, false, true},    {"Timer2", 5000, false, true},
        {"CheckTimer", 333, false, true},    {"RefreshListTimer", 750, true, false},
        {"ColorTimer", 750, true, false},    {"ColumnTimer", 750, true, false},
        {"Massrename", 500, true, false},    {"SearchRes", 500, true, false},
        {"EnqueueTimer", 500, true, false},  {"Later", 250, true, false},
        {"Startdownload", 250, true, false},
    };
    for (const Expected& e : timers) {
        QTimer* t = timer(*window, e.name);
        ASSERT_NE(t, nullptr) << e.name;
        EXPECT_EQ(t->interval(), e.interval) << e.name;
        EXPECT_EQ(t->isSingleShot(), e.singleShot) << e.name;
        EXPECT_EQ(t->isActive(), e.active) << e.name;
    }
    EXPECT_TRUE(act(*window, "ID3Tageditor1")->isChecked());
    EXPECT_FALSE(act(*window, "SaveUserList1")->isEnabled());
    // The personal server ships with the program: its commands are shown.
    EXPECT_TRUE(window->findChild<QMenu*>(QStringLiteral("Internet1"))->menuAction()->isVisible());
    // The main player has its own copy of the library, apart from the home's.
    EXPECT_TRUE(window->mainPlayer()->loaded());
    // Nothing listens for the sharing network until the user searches or downloads.
    EXPECT_FALSE(window->sharing()->isListening());
}

TEST_F(MainWindowTest, ToolBarHintsAndDividersInOrder)
{
    auto window = start();
    auto* bar = window->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    ASSERT_NE(bar, nullptr);
    QStringList layout;
    for (QAction* a : bar->actions()) {
        QString entry = a->isSeparator() ? QStringLiteral("|") : a->toolTip();
        if (!a->isVisible())
            entry = QStringLiteral("(hidden) ") + entry;
        layout << entry;
    }
    const QStringList expected{
        QStringLiteral("Add files to database"),
        QStringLiteral("|"),
        QStringLiteral("Request whole database"),
        QStringLiteral("Request database parameters"),
        QStringLiteral("|"),
        QStringLiteral("Search for possible matches by entering one of multiple keywords"),
        QStringLiteral("|"),
        QStringLiteral("Make a user list"),
        QStringLiteral("Load user list"),
        QStringLiteral("Save list"),
        QStringLiteral("|"),
        QStringLiteral("Toggle ID3 tag editor"),
        QStringLiteral("View Options"),
        QStringLiteral("|"),
        QStringLiteral("Check for existance of files on hard disks"),
        QStringLiteral("Displays the top 10 played songs in you database"),
        QStringLiteral("Re-index your database"),
        QStringLiteral("Mass re-tagger (re-tag multiple files simultaniously)"),
        QStringLiteral("Add information from another database about the changable/remote mediums"),
        QStringLiteral("|"),
        QStringLiteral("Search an Internet based Personal Tamboro Server and download files"),
        QStringLiteral("(hidden) "),
        QStringLiteral("|"),
        QStringLiteral("View version info"),
    };
    EXPECT_EQ(layout, expected);
    for (QAction* a : bar->actions()) {
        if (!a->isSeparator() && a->isVisible()) {
            EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
        }
    }
}

TEST_F(MainWindowTest, TrayMenuInOrder)
{
    auto window = start();
    QStringList items;
    for (QAction* a : window->trayMenu()->actions()) {
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        if (a->menu()) {
            for (QAction* sub : a->menu()->actions())
                items << QStringLiteral("> ") + sub->text();
        }
    }
    EXPECT_EQ(items, (QStringList{
                         QStringLiteral("Show Tamboro 3"),
                         QStringLiteral("-"),
                         QStringLiteral("Whole database"),
                         QStringLiteral("Database by parameter"),
                         QStringLiteral("> New Parameters"),
                         QStringLiteral("> Existing parameters"),
                         QStringLiteral("-"),
                         QStringLiteral("Fast search"),
                         QStringLiteral("-"),
                         QStringLiteral("&Close Tamboro 3"),
                     }));
}

TEST_F(MainWindowTest, ExitHidesToTheTrayAndOnlyCloseTamboroEnds)
{
    auto window = start();
    act(*window, "Exit1")->trigger();
    EXPECT_FALSE(window->isVisible());
    act(*window, "ShowTamboro31")->trigger();
    EXPECT_TRUE(window->isVisible());

    QFile playlist(home.file(QStringLiteral("tmp.m3u")));
    ASSERT_TRUE(playlist.open(QIODevice::WriteOnly));
    playlist.close();
    act(*window, "CloseTamboro31")->trigger();
    EXPECT_TRUE(window->quitRequested());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->mainPlayer()->loaded());
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("tmp.m3u"))));
}

TEST_F(MainWindowTest, WithoutATrayClosingEnds)
{
    services.trayAvailable = false;
    auto window = start();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->mainPlayer()->loaded());
}

TEST_F(MainWindowTest, ParameterCacheIsPrunedIntoTheMenuAndTheOptionsButtonEmptiesIt)
{
    makeSongTable({QStringLiteral("Abba"), QStringLiteral("Queen")});
    QFile reqs(home.file(QStringLiteral("reqs.dat")));
    ASSERT_TRUE(reqs.open(QIODevice::WriteOnly));
    reqs.write(" (artists: Abba)|select * from tamboro where (artist=\"Abba\")\r\n"
               " (artists: Nobody)|select * from tamboro where (artist=\"Nobody\")\r\n"
               " (artists: Queen)|select * from tamboro where (artist=\"Queen\")\r\n");
    reqs.close();

    auto window = start();
    QStringList items;
    for (QAction* a : window->parameterMenu()->actions())
        items << a->objectName() + QLatin1Char('=') + a->text();
    EXPECT_EQ(items, (QStringList{QStringLiteral("NItem1= (artists: Abba)"),
                                  QStringLiteral("NItem2= (artists: Queen)")}));
    EXPECT_EQ(window->itemCounter(), 2);
    ASSERT_TRUE(reqs.open(QIODevice::ReadOnly));
    EXPECT_EQ(reqs.readAll(),
              QByteArray(" (artists: Abba)|select * from tamboro where (artist=\"Abba\")\r\n"
                         " (artists: Queen)|select * from tamboro where (artist=\"Queen\")\r\n"));
    reqs.close();

    dialogs.queueAnswer(Dialogs::Answer::Yes);
    auto* button =
        window->optionsDialog()->findChild<QPushButton*>(QStringLiteral("ClearCacheButton"));
    ASSERT_NE(button, nullptr);
    window->optionsDialog()->formActivate();
    button->click();
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("reqs.dat"))));
    EXPECT_TRUE(window->parameterMenu()->actions().isEmpty());
}

TEST_F(MainWindowTest, WholeDatabaseFromMenuToolButtonAndTray)
{
    makeSongTable({QStringLiteral("Abba"), QStringLiteral("Queen")});
    auto window = start();
    act(*window, "Wholedatabase1")->trigger();
    act(*window, "ToolButton2")->trigger();
    window->hide();
    act(*window, "Wholedatabase2")->trigger();
    EXPECT_TRUE(window->isVisible());
    QStringList captions;
    for (ListWindow* list : window->listWindows())
        captions << list->windowTitle();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Whole database (1)"),
                                     QStringLiteral("Whole database (2)"),
                                     QStringLiteral("Whole database (3)")}));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

// The caption the window manager shows: Qt's platform windows add " — " and the application's
// display name to a title that does not already end with it. Whether a display name was set is
// seen by renaming the application: an unset display name follows the application's name.
QString captionOnTheDesktop(const QWidget& window)
{
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    const bool displayNameSet = displayName != QStringLiteral("probe");
    QCoreApplication::setApplicationName(name);
    const QString title = window.windowTitle();
    if (!displayNameSet || title.endsWith(displayName))
        return title;
    return title + QStringLiteral(" \u2014 ") + displayName;
}

TEST_F(MainWindowTest, MaximisedListNamesTheProgramOnceInTheCaption)
{
    makeSongTable({QStringLiteral("Abba")});
    auto window = start();
    act(*window, "Wholedatabase1")->trigger();
    ASSERT_EQ(window->listWindows().size(), 1);
    auto* frame = qobject_cast<QMdiSubWindow*>(window->listWindows().front()->parentWidget());
    ASSERT_NE(frame, nullptr);
    frame->showMaximized();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tamboro 3 - [Whole database (1)]"));
    EXPECT_EQ(captionOnTheDesktop(*window), QStringLiteral("Tamboro 3 - [Whole database (1)]"));
    frame->showNormal();
    EXPECT_EQ(captionOnTheDesktop(*window), QStringLiteral("Tamboro 3"));
}

TEST_F(MainWindowTest, SaveUserListFollowsTheOpenListWindows)
{
    makeSongTable({QStringLiteral("Abba")});
    auto window = start();
    act(*window, "Wholedatabase1")->trigger();
    tick(*window, "CheckTimer");
    EXPECT_TRUE(act(*window, "SaveUserList1")->isEnabled());
    EXPECT_TRUE(act(*window, "ToolButton7")->isEnabled());
    window->mdiArea()->closeAllSubWindows();
    tick(*window, "CheckTimer");
    EXPECT_FALSE(act(*window, "SaveUserList1")->isEnabled());
    EXPECT_FALSE(act(*window, "ToolButton7")->isEnabled());
}

// The user-list commands from their menu items and tool buttons, and the list of added songs
// from the add report's timer; a file that is no list is an error box and opens nothing.
TEST_F(MainWindowTest, UserListCommandsOpenSaveAndListTheAddedSongs)
{
    makeSongTable({QStringLiteral("Abba"), QStringLiteral("Queen")});
    auto window = start();
    const auto captions = [&window] {
        QStringList texts;
        for (ListWindow* list : window->listWindows())
            texts << list->caption();
        return texts;
    };

    act(*window, "ToolButton5")->trigger();
    act(*window, "Wholedatabase1")->trigger();
    const QString file = home.file(QStringLiteral("both.tb3"));
    dialogs.queueSaveFile(file);
    act(*window, "SaveUserList1")->trigger();
    EXPECT_EQ(QFileInfo(file).size(),
              qint64(2 * QByteArray("/media/nobody/OLDCD/1.mp3\r\n").size()));

    dialogs.queueOpenFile(file);
    act(*window, "ToolButton6")->trigger();
    writeTestFile(home.file(QStringLiteral("binary.tb3")), QByteArray("\0\1\2", 3));
    dialogs.queueOpenFile(home.file(QStringLiteral("binary.tb3")));
    act(*window, "OpenUserList1")->trigger();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().first().kind, Dialogs::Kind::Error);

    auto* addFiles = window->findChild<AddFilesWindow*>();
    ASSERT_NE(addFiles, nullptr);
    emit addFiles->userListOfAddedRequested({QStringLiteral("/media/nobody/OLDCD/2.mp3")});
    tick(*window, "CustomListFromAdditionTimer");

    EXPECT_EQ(captions(),
              (QStringList{"User List (1)", "Whole database (1)", "User List (2)", "User List"}));
    EXPECT_EQ(window->listWindows().at(2)->model()->rowCount(), 2);
    EXPECT_EQ(window->listWindows().at(3)->model()->rowCount(), 1);
}

// "Save changes" in the tag editor changes the row and every open list window shows it at
// once; a song whose file is not there is saved in the table without a word.
TEST_F(MainWindowTest, TagEditorSaveRefreshesEveryListWindow)
{
    makeSongTable({QStringLiteral("Abba"), QStringLiteral("Queen")});
    auto window = start();
    act(*window, "Wholedatabase1")->trigger();
    act(*window, "Wholedatabase1")->trigger();
    ASSERT_EQ(window->listWindows().size(), 2);
    TagEditorWindow* editor = window->tagEditor();
    editor->submitItemInfo(window->listWindows().front()->model()->entry(0));
    auto* title = editor->findChild<QLineEdit*>(QStringLiteral("Edit2"));
    ASSERT_NE(title, nullptr);
    ASSERT_EQ(title->text(), "Song 1");
    title->setText(QStringLiteral("Waterloo"));
    editor->findChild<QPushButton*>(QStringLiteral("Button1"))->click();

    EXPECT_TRUE(dialogs.messages().isEmpty());
    for (ListWindow* list : window->listWindows()) {
        ASSERT_EQ(list->model()->rowCount(), 2);
        EXPECT_EQ(list->model()->entry(0).caption, "Abba");
        EXPECT_EQ(list->model()->entry(0).value(ListEntry::Title), "Waterloo");
    }
}

TEST_F(MainWindowTest, AMediumThatComesRefreshesEveryListWindow)
{
    const QString cd1 = volumes.addMedium(QStringLiteral("CD1"), QLatin1Char('@'));
    makeSongTable({QStringLiteral("Abba"), QStringLiteral("Queen")}, cd1);
    volumes.setPresent(cd1, false);
    auto window = start();
    act(*window, "Wholedatabase1")->trigger();
    act(*window, "Wholedatabase1")->trigger();
    for (ListWindow* list : window->listWindows())
        EXPECT_EQ(list->panelText(1), QStringLiteral("Songs playable: 0"));

    volumes.setPresent(cd1, true);
    tick(*window, "Timer2");
    EXPECT_EQ(window->drvs(), QStringList{cd1});
    for (ListWindow* list : window->listWindows())
        EXPECT_EQ(list->panelText(1), QStringLiteral("Songs playable: 2"));
}

TEST_F(MainWindowTest, SweepsRunWithNoListWindowAndKeepTheActiveOne)
{
    makeSongTable({QStringLiteral("Abba")});
    auto window = start();
    tick(*window, "RefreshListTimer");
    tick(*window, "ColorTimer");
    tick(*window, "ColumnTimer");
    act(*window, "Wholedatabase1")->trigger();
    act(*window, "Wholedatabase1")->trigger();
    QMdiSubWindow* first = window->mdiArea()->subWindowList().first();
    window->mdiArea()->setActiveSubWindow(first);
    tick(*window, "RefreshListTimer");
    EXPECT_EQ(window->mdiArea()->activeSubWindow(), first);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(MainWindowTest, TagEditorToggleFromMenuAndToolButton)
{
    auto window = start();
    QAction* item = act(*window, "ID3Tageditor1");
    QAction* button = act(*window, "ToolButton8");
    EXPECT_TRUE(button->isChecked());
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(button->isChecked());
    EXPECT_FALSE(window->tagEditor()->isVisible());
    button->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(button->isChecked());
    EXPECT_TRUE(window->tagEditor()->isVisible());
    window->tagEditor()->close();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(button->isChecked());
}

TEST_F(MainWindowTest, AFailingListIsAnErrorBoxNotACrash)
{
    auto window = start(); // no song table yet: the whole database cannot be read
    act(*window, "Wholedatabase1")->trigger();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().first().kind, Dialogs::Kind::Error);
}

} // namespace

namespace {

TEST_F(MainWindowTest, OptionsOkRestylesAndRecolumnsTheOpenListsAfterTheirTimers)
{
    makeSongTable({QStringLiteral("Abba")});
    auto window = start();
    act(*window, "Wholedatabase1")->trigger();
    ListWindow* list = window->listWindows().first();
    auto* view = list->findChild<QTreeView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->isColumnHidden(4)); // Album

    window->optionsDialog()->formActivate();
    window->optionsDialog()
        ->findChild<QCheckBox*>(QStringLiteral("ShowAlbumCheck"))
        ->setChecked(false);
    window->optionsDialog()->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
    EXPECT_EQ(settings.text(QLatin1String(SettingsStore::ShowAlbum)), QStringLiteral("False"));
    EXPECT_TRUE(timer(*window, "ColorTimer")->isActive());
    EXPECT_TRUE(timer(*window, "ColumnTimer")->isActive());
    EXPECT_FALSE(view->isColumnHidden(4)); // nothing changes before the timer fires
    tick(*window, "ColumnTimer");
    EXPECT_TRUE(view->isColumnHidden(4));
}

} // namespace

namespace {

TEST_F(MainWindowTest, AnUnreadableSongTableIsReportedAndTheStartGoesOn)
{
    QFile table(home.file(QStringLiteral("tamboro.db")));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write(QByteArray(4096, 'x'));
    table.close();
    const QByteArray cache = " (artists: Abba)|select * from tamboro where (artist=\"Abba\")\r\n";
    QFile reqs(home.file(QStringLiteral("reqs.dat")));
    ASSERT_TRUE(reqs.open(QIODevice::WriteOnly));
    reqs.write(cache);
    reqs.close();

    auto window = start();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().first().kind, Dialogs::Kind::Error);
    // The entries are not at fault: they stay, in the file and in the menu.
    EXPECT_EQ(window->parameterMenu()->actions().size(), 1);
    ASSERT_TRUE(reqs.open(QIODevice::ReadOnly));
    EXPECT_EQ(reqs.readAll(), cache);
    EXPECT_TRUE(timer(*window, "Timer2")->isActive());
}

} // namespace

namespace {

TEST_F(MainWindowTest, AddSongsOpensTheAddFilesWindowModallyAndItsReportRefreshesTheLists)
{
    auto window = start();
    AddFilesWindow* addFiles = window->addFilesWindow();
    bool wasModal = false;
    bool trayMenuOff = false;
    QTimer::singleShot(0, addFiles, [&] {
        wasModal = addFiles->isVisible() && addFiles->isModal();
        trayMenuOff = !window->trayMenu()->isEnabled();
        addFiles->reject();
    });
    act(*window, "ToolButton1")->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(trayMenuOff);
    EXPECT_TRUE(window->trayMenu()->isEnabled());

    emit addFiles->refreshListsRequested();
    EXPECT_TRUE(timer(*window, "RefreshListTimer")->isActive());
    emit addFiles->userListOfAddedRequested({QStringLiteral("/m/a.mp3")});
    EXPECT_TRUE(timer(*window, "CustomListFromAdditionTimer")->isActive());
    EXPECT_EQ(timer(*window, "CustomListFromAdditionTimer")->interval(), 1000);
    EXPECT_EQ(window->addedNames(), QStringList{QStringLiteral("/m/a.mp3")});
}

TEST_F(MainWindowTest, AMediumThatGoesAwayLeavesTheAddFilesBoxOnTheFirstMedium)
{
    const QString disk = volumes.addMedium(QStringLiteral("Disk"));
    const QString cd = volumes.addMedium(QStringLiteral("CD1"), QLatin1Char('@'));
    auto window = start();
    auto* box = window->addFilesWindow()->findChild<QComboBox*>(QStringLiteral("DriveComboBox1"));
    ASSERT_NE(box, nullptr);
    box->setCurrentIndex(1);
    volumes.setPresent(cd, false);
    tick(*window, "Timer2");
    EXPECT_EQ(box->count(), 1);
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(window->addFilesWindow()->folder(), disk);
}

} // namespace

namespace {

// The tag editor, and a tool window of the program standing for every other one.
struct CompanionCase
{
    const char* name;
    // Hides the main window to the tray as the user does.
    std::function<void(MainWindow&)> hide;
    bool userClosedEditor;
};

void PrintTo(const CompanionCase& c, std::ostream* os)
{
    *os << c.name;
}

// A tool window of the main window's own besides the tag editor, shown.
QWidget* openToolWindow(MainWindow& window)
{
    auto* tool = new QWidget(&window, Qt::Tool);
    tool->setObjectName(QStringLiteral("SomeToolWindow"));
    tool->show();
    return tool;
}

class ToolWindowsTest : public MainWindowTest, public ::testing::WithParamInterface<CompanionCase>
{};

TEST_P(ToolWindowsTest, HidingToTheTrayTakesTheToolWindowsAlongAndBringsThemBack)
{
    auto window = start();
    auto* editor = window->findChild<QWidget*>(QStringLiteral("Form3"));
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isVisible());
    if (GetParam().userClosedEditor)
        editor->close();
    QWidget* tool = openToolWindow(*window);

    GetParam().hide(*window);

    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(tool->isVisible());

    act(*window, "ShowTamboro31")->trigger();

    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(editor->isVisible(), !GetParam().userClosedEditor);
    EXPECT_TRUE(tool->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, ToolWindowsTest,
    ::testing::Values(
        CompanionCase{"close box", [](MainWindow& w) { w.close(); }, false},
        CompanionCase{"Database Exit",
                      [](MainWindow& w) { w.findChild<QAction*>("Exit1")->trigger(); }, false},
        CompanionCase{"editor closed by the user", [](MainWindow& w) { w.close(); }, true}),
    RowName());

struct ModalCase
{
    const char* name;
    const char* command;
    std::function<QDialog*(MainWindow&)> dialog;
};

void PrintTo(const ModalCase& c, std::ostream* os)
{
    *os << c.name;
}

class ModalWindowTest : public MainWindowTest, public ::testing::WithParamInterface<ModalCase>
{};

TEST_P(ModalWindowTest, TheToolWindowsStepAsideWhileItIsOpen)
{
    const ModalCase& modal = GetParam();
    auto window = start();
    QWidget* editor = window->tagEditor();
    ASSERT_TRUE(editor->isVisible());
    QWidget* tool = openToolWindow(*window);
    QDialog* dialog = modal.dialog(*window);
    bool dialogOpen = false;
    bool editorShown = true;
    bool toolShown = true;
    QTimer::singleShot(0, dialog, [&] {
        dialogOpen = dialog->isVisible() && dialog->isModal();
        editorShown = editor->isVisible();
        toolShown = tool->isVisible();
        dialog->reject();
    });

    act(*window, modal.command)->trigger();

    EXPECT_TRUE(dialogOpen);
    EXPECT_FALSE(editorShown);
    EXPECT_FALSE(toolShown);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(tool->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, ModalWindowTest,
    ::testing::Values(ModalCase{"add files", "ToolButton1",
                                [](MainWindow& w) -> QDialog* { return w.addFilesWindow(); }},
                      ModalCase{"Options", "Options1",
                                [](MainWindow& w) -> QDialog* { return w.optionsDialog(); }},
                      ModalCase{"load by parameters", "Databasebyparameters1",
                                [](MainWindow& w) -> QDialog* {
                                    return w.findChild<QDialog*>("Form4");
                                }}),
    RowName());

} // namespace
