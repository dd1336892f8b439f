#include "lists/ui/ListWindow.h"
#include "lists/ui/ListWindowFixture.h"

namespace {

TEST_F(ListWindowTest, WholeDatabaseOpensMaximisedInArtistOrderWithTheFirstRowLoaded)
{
    addSong({QStringLiteral("Queen"), QStringLiteral("Bohemian Rhapsody"), {}});
    addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
    addSong({QStringLiteral("Abba"), QStringLiteral("Chiquitita"), {}});

    ListWindow* window = openWhole();

    EXPECT_EQ(window->objectName(), QStringLiteral("Child1"));
    EXPECT_EQ(window->caption(), QStringLiteral("Whole database (1)"));
    EXPECT_EQ(window->qut(), QStringLiteral("select * from tamboro"));
    EXPECT_EQ(db.monitor().text(), QStringLiteral("select * from tamboro order by artist, title"));
    EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(window->parentWidget())->isMaximized());
    EXPECT_EQ(column(window, 0), (QStringList{"Abba", "Abba", "Queen"}));
    EXPECT_EQ(column(window, 1), (QStringList{"Chiquitita", "Waterloo", "Bohemian Rhapsody"}));
    EXPECT_EQ(window->selectedRows(), std::vector<int>{0});
    EXPECT_EQ(editor.submitted, QStringList{"Abba"});
    EXPECT_EQ(shared.lastClickedColumn, QStringLiteral("Artist"));
    EXPECT_EQ(window->model()->headerImage(0), ListModel::HeaderImage::Ascending);
    EXPECT_TRUE(gauge.isHidden());
    EXPECT_TRUE(gauge.gaugeText().isEmpty());

    ListWindow* second = openWhole();
    EXPECT_EQ(second->objectName(), QStringLiteral("Child2"));
    EXPECT_EQ(second->caption(), QStringLiteral("Whole database (2)"));
    EXPECT_EQ(area.subWindowList().size(), 2);
}

TEST_F(ListWindowTest, PanelsCountSongsAndSumTimesWithoutLeadingZeros)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}, QStringLiteral("0:02:30")});
    addSong({QStringLiteral("B"), QStringLiteral("2"), {}, QStringLiteral("0:02:30"), false});
    addSong({QStringLiteral("C"), QStringLiteral("3"), {}, QStringLiteral("1:02:30")});

    ListWindow* window = openWhole();

    EXPECT_EQ(panels(window), (QStringList{"Songs in list: 3", "Songs playable: 2",
                                           "List Time: 1:7:30", "Play Time: 1:5:0"}));
}

TEST_F(ListWindowTest, EmptyDatabaseGivesZeroPanelsAndNoSelection)
{
    ListWindow* window = openWhole();

    EXPECT_EQ(window->model()->rowCount(), 0);
    EXPECT_EQ(panels(window), (QStringList{"Songs in list: 0", "Songs playable: 0",
                                           "List Time: 0:0:0", "Play Time: 0:0:0"}));
    EXPECT_TRUE(window->selectedRows().empty());
    EXPECT_TRUE(editor.submitted.isEmpty());
}

TEST_F(ListWindowTest, FailingQueryClosesTheNewWindowAndReportsToTheCaller)
{
    QFile::remove(home.file(QStringLiteral("tamboro.db")));

    EXPECT_ANY_THROW(openWhole());

    EXPECT_TRUE(area.subWindowList().isEmpty());
    EXPECT_TRUE(gauge.isHidden());
}

TEST_F(ListWindowTest, TwoQuickFilterEditsRequeryOnceWithThePrefixFilter)
{
    addSong({QStringLiteral("Beatles"), QStringLiteral("Help"), {}});
    addSong({QStringLiteral("Bee Gees"), QStringLiteral("Stayin Alive"), {}});
    addSong({QStringLiteral("The Beat"), QStringLiteral("Mirror in the Bathroom"), {}});
    ListWindow* window = openWhole();
    db.monitor().record(QStringLiteral("nothing sent"));

    edit(window, "Edit1")->setText(QStringLiteral("b"));
    edit(window, "Edit1")->setText(QStringLiteral("beat"));

    // Nothing runs before the timer fires, and one firing is all there is.
    EXPECT_EQ(db.monitor().text(), QStringLiteral("nothing sent"));
    fire(timer1(window));
    EXPECT_FALSE(timer1(window)->isActive());
    EXPECT_EQ(db.monitor().text(),
              QStringLiteral("select * from tamboro order by artist asc, title asc"));
    EXPECT_EQ(window->recordFilter(), QStringLiteral("artist = 'beat*'"));
    EXPECT_EQ(column(window, 0), QStringList{"Beatles"});
    // The rows live in the list only: the shared query keeps no second copy of a catalogue.
    EXPECT_FALSE(rq.isOpen());
    EXPECT_EQ(window->panelText(0), QStringLiteral("Songs in list: 1"));
}

TEST_F(ListWindowTest, FilterEditsOfAWindowWithoutBaseQueryStartNothing)
{
    ListWindow* window = ListOpeners::createListWindow(ctx, &area, ListIcons::Kind::UserList);

    edit(window, "Edit2")->setText(QStringLiteral("love"));

    EXPECT_FALSE(timer1(window)->isActive());
}

TEST_F(ListWindowTest, HiddenUnavailableRowsStillCountInTheStatusLine)
{
    addSong({QStringLiteral("A"), QStringLiteral("here"), {}});
    addSong({QStringLiteral("B"), QStringLiteral("gone"), {}, QStringLiteral("0:03:00"), false});
    addSong(
        {QStringLiteral("C"), QStringLiteral("gone too"), {}, QStringLiteral("0:03:00"), false});
    ListWindow* window = openWhole();
    ASSERT_EQ(window->model()->rowCount(), 3);

    window->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
    fire(timer1(window));

    EXPECT_EQ(column(window, 0), QStringList{"A"});
    EXPECT_EQ(panels(window), (QStringList{"Songs in list: 3", "Songs playable: 1",
                                           "List Time: 0:9:0", "Play Time: 0:3:0"}));
}

TEST_F(ListWindowTest, HeaderClicksSortByTheColumnAndFlipOnTheSecondClick)
{
    addSong({QStringLiteral("A"), QStringLiteral("x"), {}});
    addSong({QStringLiteral("B"), QStringLiteral("y"), {}});
    ListWindow* window = openWhole();
    QHeaderView* header = window->listView()->header();

    emit header->sectionClicked(1); // "Title"
    EXPECT_EQ(orderOfLastQuery(), QStringLiteral(" order by title asc, artist asc"));
    EXPECT_EQ(column(window, 1), (QStringList{"x", "y"}));
    emit header->sectionClicked(1);
    EXPECT_EQ(orderOfLastQuery(), QStringLiteral(" order by title desc, artist desc"));
    EXPECT_EQ(column(window, 1), (QStringList{"y", "x"}));
    EXPECT_EQ(window->model()->headerImage(1), ListModel::HeaderImage::Descending);
    emit header->sectionClicked(6); // "Year"
    EXPECT_EQ(orderOfLastQuery(), QStringLiteral(" order by sYear asc"));

    EXPECT_EQ(window->sortKey(), 6);
    EXPECT_EQ(window->sortDirection(), 0);
    EXPECT_EQ(window->lastClickedCaption(), QStringLiteral("Year"));
    EXPECT_EQ(window->tag(), 6);
    for (int column = 0; column < ListModel::columns; ++column)
        EXPECT_EQ(window->model()->headerImage(column),
                  column == 6 ? ListModel::HeaderImage::Ascending : ListModel::HeaderImage::None)
            << column;
}

TEST_F(ListWindowTest, TheSameHeaderInAnotherWindowFlipsTheDirectionThere)
{
    addSong({QStringLiteral("A"), QStringLiteral("x"), {}});
    ListWindow* first = openWhole();
    ListWindow* second = openWhole();

    first->headerClicked(1);
    second->headerClicked(1);

    EXPECT_EQ(first->sortDirection(), 0);
    EXPECT_EQ(second->sortDirection(), 1);
    EXPECT_EQ(orderOfLastQuery(), QStringLiteral(" order by title desc, artist desc"));
    EXPECT_EQ(shared.lastClickedColumn, QStringLiteral("Title"));
}

TEST_F(ListWindowTest, HeaderClickWithoutBaseQueryOnlyChangesTheSortState)
{
    ListWindow* window = ListOpeners::createListWindow(ctx, &area, ListIcons::Kind::UserList);
    db.monitor().record(QStringLiteral("nothing sent"));

    window->headerClicked(4); // "Album"

    EXPECT_EQ(window->sortKey(), 4);
    EXPECT_EQ(window->model()->headerImage(4), ListModel::HeaderImage::Ascending);
    EXPECT_EQ(window->model()->headerImage(0), ListModel::HeaderImage::None);
    EXPECT_EQ(db.monitor().text(), QStringLiteral("nothing sent"));
}

TEST_F(ListWindowTest, OneAlbumListSwitchesToFilenameOrderAndBackAfterAFilterChange)
{
    addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), QStringLiteral("Gold")});
    addSong({QStringLiteral("Abba"), QStringLiteral("Chiquitita"), QStringLiteral("Gold")});
    addSong({QStringLiteral("Queen"), QStringLiteral("Innuendo"), QStringLiteral("Innuendo")});
    ListWindow* window = openWhole();
    ASSERT_EQ(window->lastClickedCaption(), QString()); // two albums: left alone

    edit(window, "Edit1")->setText(QStringLiteral("abba"));
    fire(timer1(window));

    EXPECT_EQ(window->lastClickedCaption(), QStringLiteral("Filename"));
    EXPECT_EQ(window->savedColumnIndex(), 1);
    EXPECT_EQ(window->sortKey(), 3);
    EXPECT_EQ(orderOfLastQuery(), QStringLiteral(" order by Filename asc"));
    EXPECT_EQ(column(window, 1), (QStringList{"Chiquitita", "Waterloo"}));
    EXPECT_EQ(window->model()->headerImage(3), ListModel::HeaderImage::Ascending);

    edit(window, "Edit1")->clear();
    fire(timer1(window));

    EXPECT_EQ(window->lastClickedCaption(), QStringLiteral("Artist"));
    EXPECT_EQ(window->savedColumnIndex(), 0);
    EXPECT_EQ(window->sortKey(), 0);
    EXPECT_EQ(orderOfLastQuery(), QStringLiteral(" order by artist asc, title asc"));
    EXPECT_EQ(column(window, 0), (QStringList{"Abba", "Abba", "Queen"}));
}

struct AlbumSwitchCase
{
    const char* name;
    QString album;
    QString sortAlbums;
    bool switched;
};

void PrintTo(const AlbumSwitchCase& c, std::ostream* os)
{
    *os << c.name;
}

class AlbumSwitchTest : public ListWindowTest, public ::testing::WithParamInterface<AlbumSwitchCase>
{};

TEST_P(AlbumSwitchTest, OneAlbumWholeDatabase)
{
    const AlbumSwitchCase& c = GetParam();
    settings.setText(QLatin1String(SettingsStore::SortAlbums), c.sortAlbums);
    addSong({QStringLiteral("B"), QStringLiteral("1"), c.album});
    addSong({QStringLiteral("A"), QStringLiteral("2"), c.album});

    ListWindow* window = openWhole();

    EXPECT_EQ(window->lastClickedCaption(), c.switched ? QStringLiteral("Filename") : QString());
    EXPECT_EQ(orderOfLastQuery(), c.switched ? QStringLiteral(" order by Filename asc")
                                             : QStringLiteral(" order by artist, title"));
}

INSTANTIATE_TEST_SUITE_P(
    ListWindow, AlbumSwitchTest,
    ::testing::Values(AlbumSwitchCase{"SameAlbum", QStringLiteral("X"), "True", true},
                      AlbumSwitchCase{"EmptyAlbum", QString(), "True", false},
                      AlbumSwitchCase{"SwitchOff", QStringLiteral("X"), "False", false},
                      AlbumSwitchCase{"LowerCaseTrueIsOff", QStringLiteral("X"), "true", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListWindowTest, ClickPublishesSelectedIdsInRowOrderThenTheWindowName)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}});
    addSong({QStringLiteral("B"), QStringLiteral("2"), {}});
    addSong({QStringLiteral("C"), QStringLiteral("3"), {}});
    ListWindow* window = openWhole();
    const QStringList ids = column(window, 10);

    select(window, {2, 0});
    emit window->listView()->clicked(window->model()->index(2, 0));

    EXPECT_EQ(shared.nowSelected, (QStringList{ids[0], ids[2], QStringLiteral("Child1")}));
    EXPECT_EQ(editor.submitted.last(), QStringLiteral("A"));
    EXPECT_TRUE(editor.saveEnabled);
}

TEST_F(ListWindowTest, KeysPublishTheNewSelectionAndSearchWindowsDisableSavingOnClick)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}});
    addSong({QStringLiteral("B"), QStringLiteral("2"), {}});
    ListWindow* window = openWhole();
    const QStringList ids = column(window, 10);
    window->setCaption(QStringLiteral("Internet Search Results from Central Tamboro Server"));

    QTest::keyClick(window->listView(), Qt::Key_Down);
    EXPECT_EQ(shared.nowSelected, (QStringList{ids[1], QStringLiteral("Child1")}));
    EXPECT_EQ(editor.submitted.last(), QStringLiteral("B"));
    EXPECT_TRUE(editor.saveEnabled); // keys make no "Search " test

    emit window->listView()->clicked(window->model()->index(1, 0));
    EXPECT_FALSE(editor.saveEnabled);
}

TEST_F(ListWindowTest, NoSelectionPublishesNothing)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}});
    ListWindow* window = openWhole();
    shared.nowSelected = QStringList{QStringLiteral("7"), QStringLiteral("Child9")};
    const int loaded = int(editor.submitted.size());

    select(window, {});
    emit window->listView()->clicked(QModelIndex());
    window->windowActivated();

    EXPECT_EQ(shared.nowSelected, (QStringList{"7", "Child9"}));
    EXPECT_EQ(editor.submitted.size(), loaded);
}

TEST_F(ListWindowTest, ActivatingTheSubWindowPublishesItsSelection)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}});
    ListWindow* first = openWhole();
    openWhole();
    ASSERT_NE(area.activeSubWindow(), first->parentWidget());

    area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));

    EXPECT_EQ(shared.nowSelected.last(), QStringLiteral("Child1"));
}

enum class MenuCase { FileExists, FileMissing, EmptyList, NoSelection };

void PrintTo(MenuCase c, std::ostream* os)
{
    static const char* const names[] = {"FileExists", "FileMissing", "EmptyList", "NoSelection"};
    *os << names[int(c)];
}

class MenuEnablingTest : public ListWindowTest, public ::testing::WithParamInterface<MenuCase>
{};

TEST_P(MenuEnablingTest, ItemsFollowTheFirstSelectedFile)
{
    const MenuCase c = GetParam();
    if (c != MenuCase::EmptyList)
        addSong({QStringLiteral("A"),
                 QStringLiteral("1"),
                 {},
                 QStringLiteral("0:03:00"),
                 c != MenuCase::FileMissing});
    ListWindow* window = openWhole();
    if (c == MenuCase::NoSelection)
        select(window, {});
    // Every item off beforehand, so that what the rule leaves alone stays visibly off.
    for (QAction* act : window->findChild<QMenu*>(QStringLiteral("PopupMenu1"))->actions())
        act->setEnabled(false);
    auto enabled = [window](const char* name) {
        return window->findChild<QAction*>(QLatin1String(name))->isEnabled();
    };

    emit window->findChild<QMenu*>(QStringLiteral("PopupMenu1"))->aboutToShow();

    const bool rows = c != MenuCase::EmptyList;
    EXPECT_EQ(enabled("Play1"), c == MenuCase::FileExists);
    EXPECT_EQ(enabled("Enqueue1"), c == MenuCase::FileExists);
    EXPECT_EQ(enabled("PlayList1"), rows);
    EXPECT_EQ(enabled("EnqueueList1"), rows);
    EXPECT_EQ(enabled("Delete1"), c == MenuCase::FileExists);
    EXPECT_FALSE(enabled("Massretag1"));
    EXPECT_EQ(enabled("Exportlistas1"), rows);
    EXPECT_EQ(enabled("Filefunctions1"), rows);
    if (c == MenuCase::FileExists || c == MenuCase::FileMissing) {
        EXPECT_EQ(shared.nowSelected.last(), QStringLiteral("Child1"));
    }
}

INSTANTIATE_TEST_SUITE_P(ListWindow, MenuEnablingTest,
                         ::testing::Values(MenuCase::FileExists, MenuCase::FileMissing,
                                           MenuCase::EmptyList, MenuCase::NoSelection),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

TEST_F(ListWindowTest, MenuCommandsEmitTheirSignalAndCarryTheShortcuts)
{
    ListWindow* window = ListOpeners::createListWindow(ctx, &area, ListIcons::Kind::UserList);
    QSignalSpy play(window, &ListWindow::playRequested);
    QSignalSpy copy(window, &ListWindow::copyFilesRequested);

    window->findChild<QAction*>(QStringLiteral("Play1"))->trigger();
    window->findChild<QAction*>(QStringLiteral("Copyselectedfilesto1"))->trigger();

    ASSERT_EQ(play.size(), 1);
    EXPECT_EQ(play.at(0).at(0).value<ListWindow*>(), window);
    EXPECT_EQ(copy.size(), 1);
    const std::pair<const char*, QKeySequence> shortcuts[] = {
        {"Play1", QKeySequence(Qt::Key_F1)},
        {"Enqueue1", QKeySequence(Qt::Key_F2)},
        {"PlayList1", QKeySequence(Qt::Key_F3)},
        {"EnqueueList1", QKeySequence(Qt::Key_F4)},
        {"Delete1", QKeySequence(Qt::Key_Delete)},
        {"Massretag1", QKeySequence(Qt::CTRL | Qt::Key_T)},
        {"HTMLPage1", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"Copyselectedfilesto1", QKeySequence(Qt::CTRL | Qt::Key_F)},
    };
    for (const auto& [name, keys] : shortcuts)
        EXPECT_EQ(window->findChild<QAction*>(QLatin1String(name))->shortcut(), keys) << name;
}

struct ColumnCase
{
    const char* name;
    QString showAlbum;
    bool albumShown;
};

void PrintTo(const ColumnCase& c, std::ostream* os)
{
    *os << c.name;
}

class MakeColumnsTest : public ListWindowTest, public ::testing::WithParamInterface<ColumnCase>
{};

TEST_P(MakeColumnsTest, ShowAlbumMustBeExactlyTrue)
{
    settings.setText(QLatin1String(SettingsStore::ShowAlbum), GetParam().showAlbum);
    settings.setText(QLatin1String(SettingsStore::ShowYear), QStringLiteral("True"));
    ListWindow* window = ListOpeners::createListWindow(ctx, &area, ListIcons::Kind::UserList);
    QTreeView* view = window->listView();

    window->makeColumns();

    EXPECT_EQ(view->isColumnHidden(4), !GetParam().albumShown);
    if (GetParam().albumShown) {
        EXPECT_EQ(view->columnWidth(4), 160);
    }
    EXPECT_FALSE(view->isColumnHidden(6));
    EXPECT_EQ(view->columnWidth(6), 60);
    for (int never : {8, 9, 10, 11})
        EXPECT_TRUE(view->isColumnHidden(never)) << never;
}

INSTANTIATE_TEST_SUITE_P(ListWindow, MakeColumnsTest,
                         ::testing::Values(ColumnCase{"True", QStringLiteral("True"), true},
                                           ColumnCase{"LowerCase", QStringLiteral("true"), false},
                                           ColumnCase{"False", QStringLiteral("False"), false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListWindowTest, ColoursAndFontComeFromTheSettings)
{
    settings.setText(QLatin1String(SettingsStore::BackColor), QStringLiteral("$00FF8000"));
    settings.setText(QLatin1String(SettingsStore::FontColor), QStringLiteral("clRed"));
    settings.setText(QLatin1String(SettingsStore::Font), QStringLiteral("DejaVu Sans Mono"));

    ListWindow* window = ListOpeners::createListWindow(ctx, &area, ListIcons::Kind::UserList);

    const QPalette palette = window->listView()->palette();
    EXPECT_EQ(palette.color(QPalette::Base), QColor(0x00, 0x80, 0xFF)); // 00BBGGRR
    EXPECT_EQ(palette.color(QPalette::Text), QColor(0xFF, 0x00, 0x00));
    EXPECT_EQ(window->listView()->font().family(), QStringLiteral("DejaVu Sans Mono"));
}

TEST_F(ListWindowTest, SystemColoursAndBrokenValuesFollowThePalette)
{
    settings.setText(QLatin1String(SettingsStore::BackColor), QStringLiteral("clWindow"));
    settings.setText(QLatin1String(SettingsStore::FontColor), QStringLiteral("not a colour"));

    ListWindow* window = ListOpeners::createListWindow(ctx, &area, ListIcons::Kind::UserList);

    const QPalette palette = window->listView()->palette();
    EXPECT_EQ(palette.color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(palette.color(QPalette::Text), QApplication::palette().color(QPalette::Text));
}

TEST_F(ListWindowTest, RequeryErrorsBecomeASignalAndKeepTheRows)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}});
    ListWindow* window = openWhole();
    QSignalSpy errors(window, &ListWindow::errorRaised);

    // A text that would read as a second condition is refused, not run.
    edit(window, "Edit1")->setText(QStringLiteral("x' and title = 'y"));
    fire(timer1(window));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(window->model()->rowCount(), 1);

    edit(window, "Edit1")->clear();
    fire(timer1(window));
    window->setQut(QStringLiteral("select * from nowhere"));
    emit window->listView()->header()->sectionClicked(1);
    EXPECT_EQ(errors.size(), 2);
    EXPECT_EQ(window->model()->rowCount(), 1);
    EXPECT_TRUE(gauge.isHidden());
}

TEST_F(ListWindowTest, QuoteInAFilterTextIsMatchedLiterally)
{
    addSong({QStringLiteral("O'Connor"), QStringLiteral("1"), {}});
    addSong({QStringLiteral("Oasis"), QStringLiteral("2"), {}});
    ListWindow* window = openWhole();
    QSignalSpy errors(window, &ListWindow::errorRaised);

    edit(window, "Edit1")->setText(QStringLiteral("o'c"));
    fire(timer1(window));

    EXPECT_EQ(errors.size(), 0);
    EXPECT_EQ(column(window, 0), QStringList{"O'Connor"});
}

TEST_F(ListWindowTest, LoadingUserListTakesTheIdsFoundAsItsQuery)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}});
    addSong({QStringLiteral("B"), QStringLiteral("2"), {}});
    shared.userListCounter = 4;
    ListWindow* window = ListOpeners::createListWindow(ctx, &area, ListIcons::Kind::UserList);
    window->setCaption(QStringLiteral("Loading list, please wait..."));
    rq.close();
    rq.setSql(
        Statements::withOrder(Statements::selectAll(), QStringLiteral(" order by artist, title")));
    rq.open();

    window->makeList();

    const QStringList ids = column(window, 10);
    EXPECT_EQ(window->caption(), QStringLiteral("User List (4)"));
    EXPECT_EQ(window->usrHdrs(), ids);
    EXPECT_EQ(window->qut(), Statements::selectByIds(ids));
    EXPECT_TRUE(window->isUserList());
}

TEST_F(ListWindowTest, LoadingUserListThatFoundNothingCannotBeRequeried)
{
    ListWindow* window = ListOpeners::createListWindow(ctx, &area, ListIcons::Kind::UserList);
    window->setCaption(QStringLiteral("Loading list, please wait..."));
    rq.close();
    rq.setSql(Statements::selectAll());
    rq.open();

    window->makeList();

    EXPECT_EQ(window->caption(), QStringLiteral("User List (0)"));
    EXPECT_TRUE(window->qut().isEmpty());
}

TEST_F(ListWindowTest, RequeryKeepsOnlyTheLatestIdsOfAnOrdinaryWindow)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}});
    addSong({QStringLiteral("B"), QStringLiteral("2"), {}});
    ListWindow* window = openWhole();

    window->refreshList();
    window->refreshList();

    EXPECT_EQ(window->usrHdrs(), column(window, 10));
}

TEST_F(ListWindowTest, DoubleClickOnTheTopPanelRestoresTheMaximisedWindow)
{
    ListWindow* window = ListOpeners::createListWindow(ctx, &area, ListIcons::Kind::UserList);
    auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    ASSERT_TRUE(frame->isMaximized());

    QTest::mouseDClick(window->findChild<QWidget*>(QStringLiteral("Panel1")), Qt::LeftButton);

    EXPECT_FALSE(frame->isMaximized());
}

TEST_F(ListWindowTest, RowsShowTheFilePathAndTheirAvailabilityImage)
{
    addSong({QStringLiteral("A"), QStringLiteral("1"), {}});
    addSong({QStringLiteral("B"), QStringLiteral("2"), {}, QStringLiteral("0:03:00"), false});
    ListWindow* window = openWhole();
    const ListModel* model = window->model();

    EXPECT_EQ(model->data(model->index(0, 3)).toString(), medium + QStringLiteral("/A - 1.mp3"));
    EXPECT_FALSE(model->data(model->index(0, 0), Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(model->entry(0).available);
    EXPECT_FALSE(model->entry(1).available);
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Filename"));
}

} // namespace
