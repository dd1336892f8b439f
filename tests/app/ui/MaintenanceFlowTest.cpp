// The Utility menu's existence check, top 10 and re-indexing, and "&Delete" of the list
// windows, on a main window with scripted dialogs.
#include "app/ui/AppHarness.h"
#include "app/ui/MainWindow.h"
#include "app/ui/MaintenanceCommands.h"
#include "app/ui/MaintenanceDialogs.h"
#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "lists/ListEntry.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "testsupport/CaseNames.h"
#include "ui/Gauge.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

using Records = QList<ScriptedDialogs::Record>;

class MaintenanceFlowTest : public ::testing::Test, protected AppHarness
{
protected:
    MaintenanceFlowTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        // Deleted files go to a trash of this test's own.
        m_oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.file(QStringLiteral("data"))));
    }
    ~MaintenanceFlowTest() override { qputenv("XDG_DATA_HOME", m_oldData); }

    // Songs "Artist 01", "Artist 02", ... each with a file, song i played i times.
    void addSongs(int count)
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        for (int i = 1; i <= count; ++i) {
            const QString path = writeTestFile(
                home.file(QStringLiteral("songs/%1.mp3").arg(i, 2, 10, QLatin1Char('0'))), "ID3");
            paths << path;
            uq.setSql(Statements::insertCopiedRow(
                {.artist = QStringLiteral("Artist %1").arg(i, 2, 10, QLatin1Char('0')),
                 .title = QStringLiteral("Title"),
                 .filename = TextCodec::reFilter(path),
                 .trackLength = QStringLiteral("0:03:00"),
                 .location = QStringLiteral("Disk!"),
                 .played = QString::number(i)}));
            uq.execSQL();
        }
    }

    QStringList ids()
    {
        SongDatabase db(home.path());
        RQuery rq(db);
        rq.setSql(Statements::selectAllById());
        rq.open();
        QStringList result;
        for (rq.first(); !rq.eof(); rq.next())
            result << rq.field(SongColumn::ID);
        return result;
    }

    static QStringList column(ListWindow* list, ListEntry::Sub which)
    {
        QStringList values;
        for (const ListEntry& entry : list->model()->entries())
            values << entry.value(which);
        return values;
    }

    static void select(ListWindow* list, const std::vector<int>& rows) { selectRows(*list, rows); }

    static void requestDelete(ListWindow* list)
    {
        list->updateMenuEnabling();
        list->action(ListWindow::Command::Delete)->trigger();
    }

    ListWindow* wholeDatabase(MainWindow& window)
    {
        act(window, "Wholedatabase1")->trigger();
        return window.listWindows().value(0);
    }

    QStringList paths;
    QByteArray m_oldData;
};

// ---- Existence check ----

TEST_F(MaintenanceFlowTest, ExistenceCheckAsksShowsTheCountAndDeletesTheGoneSongs)
{
    addSongs(3);
    QFile::remove(paths[1]);
    auto window = start();
    ListWindow* list = wholeDatabase(*window);
    ASSERT_NE(list, nullptr);
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    writeTestFile(home.file(QStringLiteral("Artists.dat")), "Artist 01\r\n");

    act(*window, "Checkforexistanceoffilesonharddrives1")->trigger();

    const Records messages = dialogs.messages();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(messages[0].kind, Dialogs::Kind::Confirmation);
    EXPECT_EQ(messages[0].text,
              QStringLiteral("This function will check if files posted in database as files on "
                             "your hard drive still exist on ther original location. If this is "
                             "not the case, their records will be deleted! Are you sure you want "
                             "to proceed?"));
    EXPECT_EQ(messages[1].text, QStringLiteral("1 records belong to files that no longer exist "
                                               "and will be deleted! Are you sure you want to "
                                               "proceed?"));
    EXPECT_EQ(messages[2].kind, Dialogs::Kind::Information);
    EXPECT_EQ(messages[2].text, QStringLiteral("1 records have been deleted!"));
    EXPECT_EQ(ids(), (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_EQ(column(list, ListEntry::ID), (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("Artists.dat"))));
    EXPECT_TRUE(window->findChild<Gauge*>()->isHidden());
}

TEST_F(MaintenanceFlowTest, ExistenceCheckDeclinedAtTheCountDeletesNothing)
{
    addSongs(2);
    QFile::remove(paths[0]);
    auto window = start();
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    dialogs.queueAnswer(Dialogs::Answer::No);
    act(*window, "Checkforexistanceoffilesonharddrives1")->trigger();
    EXPECT_EQ(dialogs.messages().size(), 2);
    EXPECT_EQ(ids().size(), 2);
}

// ---- Top 10 ----

struct TopTenCase
{
    const char* name;
    int songs;
    bool opens;
};

class TopTenFlow : public MaintenanceFlowTest, public ::testing::WithParamInterface<TopTenCase>
{};

TEST_P(TopTenFlow, OpensTheMostPlayedOrSaysThereAreTooFew)
{
    addSongs(GetParam().songs);
    auto window = start();
    act(*window, "Databasetop10playedsongs1")->trigger();
    ListWindow* list = window->listWindows().value(0);
    if (!GetParam().opens) {
        EXPECT_EQ(list, nullptr);
        ASSERT_EQ(dialogs.messages().size(), 1);
        EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Error);
        EXPECT_EQ(dialogs.messages()[0].text,
                  QStringLiteral("Your database contains less than 10 songs! Top 10 is "
                                 "therefore impossible!"));
        return;
    }
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(list->caption(), QStringLiteral("*** Top 10 songs of your database ***"));
    QStringList expected;
    for (int id = GetParam().songs; expected.size() < 10; --id)
        expected << QString::number(id);
    EXPECT_EQ(list->usrHdrs(), expected);
    EXPECT_EQ(list->qut(), Statements::selectByIds(expected));
    EXPECT_EQ(column(list, ListEntry::ID), expected);
    EXPECT_EQ(list->model()->headerImage(12), ListModel::HeaderImage::Descending);
    EXPECT_EQ(list->model()->headerImage(0), ListModel::HeaderImage::None);
    EXPECT_FALSE(list->listView()->isColumnHidden(12));
    EXPECT_GT(list->listView()->columnWidth(12), 0);
}

INSTANTIATE_TEST_SUITE_P(Maintenance, TopTenFlow,
                         ::testing::Values(TopTenCase{"nine songs", 9, false},
                                           TopTenCase{"ten songs", 10, true},
                                           TopTenCase{"twelve songs", 12, true}),
                         RowName());

// ---- Re-indexing ----

TEST_F(MaintenanceFlowTest, ReindexDialogAdvisesThenSwapsTheTableUnderTheOpenLists)
{
    addSongs(4);
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        uq.setSql(Statements::deleteById(QStringLiteral("3")));
        uq.execSQL();
    }
    auto window = start();
    ListWindow* list = wholeDatabase(*window);
    ASSERT_NE(list, nullptr);

    act(*window, "ReIndexyourdatabase1")->trigger();
    ReindexDialog* dialog = window->findChild<ReindexDialog*>(QStringLiteral("TForm10"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Reindex database"));
    EXPECT_EQ(dialog->adviceLabel()->text(), QStringLiteral("Your database needs re-indexing!"));
    EXPECT_EQ(dialog->adviceLabel()->palette().color(QPalette::WindowText), QColor(Qt::red));

    dialog->reindexButton()->click();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].text, QStringLiteral("Database successfully re-indexed!"));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ids(), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_TRUE(timer(*window, "RefreshListTimer")->isActive());
    tick(*window, "RefreshListTimer");
    // The window's own connection reads the new table.
    EXPECT_EQ(column(list, ListEntry::ID),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(column(list, ListEntry::Played),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")}));

    act(*window, "ReIndexyourdatabase1")->trigger();
    dialog->reindexButton()->click();
    act(*window, "ReIndexyourdatabase1")->trigger();
    EXPECT_EQ(dialog->adviceLabel()->text(),
              QStringLiteral("Your database does not need to be re-indexed at this moment."));
    dialog->closeButton()->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(MaintenanceFlowTest, ReindexKeepsTheSongsOfListsMadeOfIds)
{
    addSongs(12);
    {
        // Gaps below the top songs, and artists in the reverse order of the IDs.
        SongDatabase db(home.path());
        UQuery uq(db);
        for (const char* id : {"1", "2"}) {
            uq.setSql(Statements::deleteById(QString::fromLatin1(id)));
            uq.execSQL();
        }
        uq.setSql(QStringLiteral("update tamboro set artist = \"Z\" || artist"));
        uq.execSQL();
        uq.setSql(QStringLiteral("update tamboro set artist = \"A\" where ID = 12"));
        uq.execSQL();
    }
    auto window = start();
    act(*window, "Databasetop10playedsongs1")->trigger();
    ListWindow* top = window->listWindows().value(0);
    ASSERT_NE(top, nullptr);
    QStringList before = column(top, ListEntry::Played);
    before.sort();

    act(*window, "ReIndexyourdatabase1")->trigger();
    window->maintenance()->reindexDialog()->reindexButton()->click();
    tick(*window, "RefreshListTimer");

    // The same ten songs, now in the window's own sort order.
    QStringList after = column(top, ListEntry::Played);
    after.sort();
    EXPECT_EQ(after, before);
    EXPECT_TRUE(top->usrHdrs().contains(QStringLiteral("1"))); // "A" comes first now
}

// ---- Deleting ----

TEST_F(MaintenanceFlowTest, DeletingInAUserListLeavesTheTableAlone)
{
    addSongs(3);
    auto window = start();
    act(*window, "Userlistdatabase1")->trigger();
    ListWindow* list = window->listWindows().value(0);
    ASSERT_NE(list, nullptr);
    list->dropSongs({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    ASSERT_EQ(list->model()->entries().size(), 3u);

    select(list, {1});
    requestDelete(list);
    EXPECT_EQ(column(list, ListEntry::ID), (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_FALSE(list->usrHdrs().contains(QStringLiteral("2")));
    EXPECT_EQ(ids().size(), 3);

    select(list, {0, 1});
    requestDelete(list);
    EXPECT_TRUE(list->model()->entries().empty());
    EXPECT_TRUE(list->usrHdrs().isEmpty());
    EXPECT_TRUE(list->qut().isEmpty());
    EXPECT_EQ(list->panelText(0), QStringLiteral("No songs in list."));
    EXPECT_EQ(list->panelText(1), QString());
    EXPECT_EQ(ids().size(), 3);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

struct DeleteCase
{
    const char* name;
    bool records;
    bool files;
    bool confirm;
    const char* report; // empty: none
    int rowsLeft;
    bool filesLeft;
};

class DeleteFlow : public MaintenanceFlowTest, public ::testing::WithParamInterface<DeleteCase>
{};

TEST_P(DeleteFlow, DialogThenTimerDeletesWhatIsTicked)
{
    addSongs(3);
    auto window = start();
    ListWindow* list = wholeDatabase(*window);
    ASSERT_NE(list, nullptr);
    select(list, {0, 2});
    requestDelete(list);

    DeleteDialog* dialog = window->maintenance()->deleteDialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Delete from database"));
    EXPECT_TRUE(dialog->recordsBox()->isChecked());
    EXPECT_FALSE(dialog->filesBox()->isChecked());
    dialog->recordsBox()->setChecked(GetParam().records);
    dialog->filesBox()->setChecked(GetParam().files);
    (GetParam().confirm ? dialog->deleteButton() : dialog->cancelButton())->click();
    EXPECT_FALSE(dialog->isVisible());

    QTimer* delShit = timer(*window, "DelShitTimer");
    ASSERT_NE(delShit, nullptr);
    EXPECT_EQ(delShit->interval(), 750);
    EXPECT_EQ(delShit->isActive(), GetParam().confirm);
    if (GetParam().confirm)
        tick(*window, "DelShitTimer");

    const Records messages = dialogs.messages();
    if (*GetParam().report) {
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].text, QString::fromUtf8(GetParam().report));
    } else {
        EXPECT_TRUE(messages.isEmpty());
    }
    EXPECT_EQ(ids().size(), GetParam().rowsLeft);
    EXPECT_EQ(int(list->model()->entries().size()), GetParam().rowsLeft);
    EXPECT_EQ(QFileInfo::exists(paths[0]), GetParam().filesLeft);
    EXPECT_EQ(QFileInfo::exists(paths[2]), GetParam().filesLeft);
    EXPECT_TRUE(QFileInfo::exists(paths[1]));
}

INSTANTIATE_TEST_SUITE_P(
    Maintenance, DeleteFlow,
    ::testing::Values(DeleteCase{"records only", true, false, true,
                                 "Records deleted: 2  Files deleted: 0", 1, true},
                      DeleteCase{"files only", false, true, true,
                                 "Records deleted: 0  Files deleted: 2", 3, false},
                      DeleteCase{"records and files", true, true, true,
                                 "Records deleted: 2  Files deleted: 2", 1, false},
                      DeleteCase{"cancelled", true, true, false, "", 3, true}),
    RowName());

} // namespace
