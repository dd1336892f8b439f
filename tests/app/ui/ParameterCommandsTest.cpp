#include "app/ui/ParameterCommands.h"
#include "app/ui/AppHarness.h"
#include "app/ui/MainWindow.h"
#include "app/ui/OptionsDialog.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "lists/ListShared.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListOpeners.h"
#include "lists/ui/ListWindow.h"
#include "lists/ui/ParameterDialog.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "settings/SettingsStore.h"
#include "testsupport/CaseNames.h"
#include "testsupport/FakeShellVerbs.h"
#include "testsupport/FakeVolumes.h"
#include "testsupport/ScriptedDialogs.h"
#include "testsupport/TempHome.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Kind = ValueFiles::Kind;

// A main window on a temporary home whose song table holds the songs a test adds.
class ParameterCommandsTest : public ::testing::Test, protected AppHarness
{
protected:
    ParameterCommandsTest() { SongDatabase::createSongTable(home.file("tamboro.db")); }

    // A song as the add run stores it: artist and album encoded, the rest as it is.
    void add(const QString& artist, const QString& title, const QString& genre = "Pop",
             const QString& location = "Disk!", const QString& album = QString(),
             const QString& year = QString())
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = TextCodec::reFilter(title);
        song.filename = "/music/" + QString::number(++songs) + ".mp3";
        song.trackLength = QStringLiteral("0:03:00");
        song.genre = genre;
        song.location = location;
        song.album = TextCodec::reFilter(album);
        song.year = year;
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    std::unique_ptr<MainWindow> start()
    {
        auto window = std::make_unique<MainWindow>(services);
        window->show();
        return window;
    }

    static ParameterDialog& dialogOf(MainWindow& window)
    {
        return *window.parameterCommands()->dialog();
    }

    // Ticks the rows with these captions in the dialog (shown, not run modally) and presses
    // "&Load list"; then MakeTimer's tick, as it comes after the dialog has closed.
    void load(MainWindow& window, const QList<QPair<Kind, QString>>& ticks)
    {
        ParameterDialog& dialog = dialogOf(window);
        dialog.show();
        for (const auto& [kind, caption] : ticks) {
            const qsizetype row = dialog.captions(kind).indexOf(caption);
            ASSERT_GE(row, 0) << caption.toStdString();
            dialog.toggle(kind, int(row));
        }
        dialog.findChild<QPushButton*>("BitBtn1")->click();
        QTimer* timer = window.findChild<QTimer*>("MakeTimer");
        ASSERT_NE(timer, nullptr);
        if (ticks.isEmpty()) {
            EXPECT_FALSE(timer->isActive());
            return;
        }
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 50);
        QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
        EXPECT_FALSE(timer->isActive());
    }

    static QStringList menuItems(MainWindow& window)
    {
        QStringList items;
        for (QAction* a : window.parameterMenu()->actions())
            items << a->objectName() + '=' + a->text();
        return items;
    }

    static QStringList captions(MainWindow& window)
    {
        QStringList result;
        for (ListWindow* list : window.listWindows())
            result << list->caption();
        return result;
    }

    static QStringList titles(ListWindow* list)
    {
        QStringList result;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            result << list->model()->index(row, 1).data().toString();
        return result;
    }

    QByteArray cache() const
    {
        QFile file(home.file("reqs.dat"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    int songs = 0;
};

TEST_F(ParameterCommandsTest, LoadListOpensTheListCachesItOnceAndNumbersEachWindow)
{
    add("A", "One", "Pop");
    add("B", "Two", "Pop");
    add("B", "Three", "Rock");
    add("C", "Four", "Pop");
    auto window = start();
    const QList<QPair<Kind, QString>> ticks = {
        {Kind::Artist, "A"}, {Kind::Artist, "B"}, {Kind::Genre, "Pop"}};
    load(*window, ticks);

    ASSERT_EQ(window->listWindows().size(), 1);
    ListWindow* list = window->listWindows().first();
    EXPECT_EQ(list->caption(),
              QStringLiteral("List by parameter(1):  (artists: A, B) (genres: Pop)"));
    const QString base = QStringLiteral(
        "select * from tamboro where (artist=\"A\" or artist=\"B\") and (genre=\"Pop\")");
    EXPECT_EQ(list->qut(), base);
    EXPECT_EQ(titles(list), (QStringList{"One", "Two"}));
    EXPECT_EQ(cache(), " (artists: A, B) (genres: Pop)|" + base.toUtf8() + "\r\n");
    EXPECT_EQ(menuItems(*window), QStringList{"NItem1= (artists: A, B) (genres: Pop)"});

    // The same selection again: a second window, the next number, nothing new to remember.
    load(*window, ticks);
    EXPECT_EQ(captions(*window),
              (QStringList{"List by parameter(1):  (artists: A, B) (genres: Pop)",
                           "List by parameter(2):  (artists: A, B) (genres: Pop)"}));
    EXPECT_EQ(cache(), " (artists: A, B) (genres: Pop)|" + base.toUtf8() + "\r\n");
    EXPECT_EQ(menuItems(*window).size(), 1);
    EXPECT_EQ(window->itemCounter(), 1);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(ParameterCommandsTest, LoadListWithoutATickOpensNothing)
{
    add("A", "One");
    auto window = start();
    load(*window, {});
    EXPECT_TRUE(window->listWindows().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home.file("reqs.dat")));
}

// Reopening a cached request, user lists (and fast search, which opens its windows the same
// way) share the window and user-list counters; lists by parameters and reopened requests
// share theirs.
TEST_F(ParameterCommandsTest, AReopenedRequestTakesTheNextNumbersOfTheSharedCounters)
{
    add("A", "One");
    add("B", "Two");
    auto window = start();
    load(*window, {{Kind::Artist, "B"}});
    window->parameterMenu()->actions().first()->trigger();
    ListWindow* reopened = window->listWindows().last();
    EXPECT_EQ(reopened->caption(), QStringLiteral("List by parameter(2):  (artists: B)"));
    EXPECT_EQ(reopened->objectName(), QStringLiteral("Child2"));
    EXPECT_EQ(reopened->qut(), QStringLiteral("select * from tamboro where (artist=\"B\")"));
    EXPECT_EQ(reopened->sortKey(), 0);
    EXPECT_EQ(reopened->sortDirection(), 0);
    EXPECT_EQ(titles(reopened), QStringList{"Two"});
    EXPECT_FALSE(reopened->isUserList());
    EXPECT_EQ(window->listContext().shared->userListCounter, 1);

    // A user list made now is numbered as if the reopened request had been one.
    ListWindow* user = ListOpeners::openUserList(window->listContext(), window->mdiArea());
    EXPECT_EQ(user->caption(), QStringLiteral("User List (2)"));
    load(*window, {{Kind::Artist, "A"}});
    EXPECT_EQ(window->listWindows().last()->caption(),
              QStringLiteral("List by parameter(3):  (artists: A)"));
    EXPECT_EQ(window->listWindows().last()->objectName(), QStringLiteral("Child4"));
}

TEST_F(ParameterCommandsTest, CachedRequestsAreMenuItemsAtTheNextStartAndReopenTheirLists)
{
    add("A", "One", "Pop", "CD1@");
    add("B", "Two", "Rock", "Disk!");
    {
        auto window = start();
        load(*window, {{Kind::Medium, "CD1"}, {Kind::Medium, "Disk"}});
        load(*window, {{Kind::Artist, "A"}, {Kind::Genre, "Rock"}}); // finds nothing
        ASSERT_EQ(window->listWindows().size(), 2);
        EXPECT_EQ(window->listWindows().last()->model()->rowCount(), 0);
        EXPECT_EQ(menuItems(*window).size(), 2);
    }
    const QByteArray mediums = " (mediums: CD1, Disk)|select * from tamboro where (location "
                               "like \"CD1%\" or location like\"Disk%\")\r\n";
    EXPECT_EQ(cache(), mediums + " (artists: A) (genres: Rock)|select * from tamboro where "
                                 "(artist=\"A\") and (genre=\"Rock\")\r\n");

    // The start-up drops the request that finds nothing.
    auto window = start();
    EXPECT_EQ(cache(), mediums);
    EXPECT_EQ(menuItems(*window), QStringList{"NItem1= (mediums: CD1, Disk)"});
    window->findChild<QAction*>("NItem1")->trigger();
    ASSERT_EQ(window->listWindows().size(), 1);
    EXPECT_EQ(window->listWindows().first()->caption(),
              QStringLiteral("List by parameter(1):  (mediums: CD1, Disk)"));
    EXPECT_EQ(titles(window->listWindows().first()), (QStringList{"One", "Two"}));

    // Removing the cache in the Options dialog empties the menu.
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    window->optionsDialog()->formActivate();
    window->optionsDialog()->findChild<QPushButton*>("ClearCacheButton")->click();
    EXPECT_TRUE(window->parameterMenu()->actions().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home.file("reqs.dat")));
}

TEST_F(ParameterCommandsTest, ValuesWithEverySpecialCharacterFindTheirSongsAgainAndAgain)
{
    const QString specials = QStringLiteral("'\"#*:`|&");
    // Genre, year and medium are stored as the tag and the medium have them; no double quote
    // reaches them (the add run stores its stand-in).
    const QString plain = QStringLiteral("'#*:`|&");
    add("A" + specials, "Wanted", "G" + plain, "M" + plain + "@", "B" + specials, "1" + plain);
    add("A", "Decoy", "G", "M@", "B", "1");
    const QString caption = " (artists: A" + specials + ") (genres: G" + plain + ") (mediums: M" +
                            plain + ") (albums: B" + specials + ") (years: 1" + plain + ")";
    {
        auto window = start();
        load(*window, {{Kind::Artist, "A" + specials},
                       {Kind::Genre, "G" + plain},
                       {Kind::Medium, "M" + plain},
                       {Kind::Album, "B" + specials},
                       {Kind::Year, "1" + plain}});
        ASSERT_EQ(window->listWindows().size(), 1);
        EXPECT_EQ(window->listWindows().first()->caption(), "List by parameter(1): " + caption);
        EXPECT_EQ(titles(window->listWindows().first()), QStringList{"Wanted"});
        // The menu shows the caption as it is, an "&" included.
        QAction* item = window->parameterMenu()->actions().first();
        QString cached = caption;
        cached.replace('|', QChar(0x00A6));
        EXPECT_EQ(item->data().toString(), cached);
        EXPECT_EQ(item->text(), QString(cached).replace("&", "&&"));
    }
    auto window = start(); // the start-up check runs the cached query and keeps it
    ASSERT_EQ(window->parameterMenu()->actions().size(), 1);
    window->parameterMenu()->actions().first()->trigger();
    ASSERT_EQ(window->listWindows().size(), 1);
    EXPECT_EQ(titles(window->listWindows().first()), QStringList{"Wanted"});
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(ParameterCommandsTest, ACacheThatCannotBeWrittenIsReportedAndTheListStillOpens)
{
    add("A", "One");
    ASSERT_TRUE(QDir(home.path()).mkdir("reqs.dat"));
    auto window = start();
    dialogs.clear(); // the start-up has said that it cannot read the cache
    load(*window, {{Kind::Artist, "A"}});
    ASSERT_EQ(window->listWindows().size(), 1);
    EXPECT_EQ(titles(window->listWindows().first()), QStringList{"One"});
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().first().kind, Dialogs::Kind::Error);
    EXPECT_TRUE(window->parameterMenu()->actions().isEmpty());
}

TEST_F(ParameterCommandsTest, ACachedLineThatDoesNotReadIsNeverRun)
{
    add("A", "One");
    auto window = start();
    QFile file(home.file("reqs.dat"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(" (artists: A)|delete from tamboro\r\n");
    file.close();
    EXPECT_THROW(window->parameterCommands()->interpretItem(" (artists: A)"), EInOutError);
    EXPECT_TRUE(window->listWindows().isEmpty());
    window->findChild<QAction*>("Wholedatabase1")->trigger();
    EXPECT_EQ(titles(window->listWindows().first()), QStringList{"One"});
}

TEST_F(ParameterCommandsTest, TheTrayAndTheToolButtonShowTheDialogModally)
{
    add("A", "One");
    auto window = start();
    ParameterDialog& dialog = dialogOf(*window);
    for (const char* command : {"ToolButton3", "Databasebyparameters1", "NewParameters1"}) {
        window->hide();
        bool shownModally = false;
        QStringList artists;
        QTimer::singleShot(0, &dialog, [&] {
            shownModally = dialog.isVisible() && dialog.isModal();
            artists = dialog.captions(Kind::Artist);
            dialog.reject();
        });
        window->findChild<QAction*>(command)->trigger();
        EXPECT_TRUE(shownModally) << command;
        EXPECT_EQ(artists, QStringList{"A"}) << command;
        // From the tray the main window comes back as well.
        EXPECT_EQ(window->isVisible(), QLatin1String(command) == "NewParameters1") << command;
    }

    // "Existing parameters" drops the menu of cached requests down and brings the window back.
    load(*window, {{Kind::Artist, "A"}});
    window->hide();
    QSignalSpy dropped(window->parameterMenu(), &QMenu::aboutToShow);
    window->findChild<QAction*>("Existingparameters1")->trigger();
    EXPECT_EQ(dropped.count(), 1);
    EXPECT_TRUE(window->isVisible());
    window->parameterMenu()->hide();
}

} // namespace
