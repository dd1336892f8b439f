#include "app/ui/MainWindow.h"

#include "app/ui/OptionsDialog.h"
#include "app/ui/TPhantom.h"
#include "container/TFileSource.h"
#include "intake/ui/AddFilesWindow.h"
#include "intake/ui/TagEditorWindow.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListWindow.h"
#include "player/TMPEGPlayer.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Gauge.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const windowCaption = "Tamboro 3";

} // namespace

MainWindow::MainWindow(const AppServices& services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_db(services.home)
    , m_rq(m_db)
    , m_uq(m_db)
    , m_listContext(std::make_unique<ListContext>())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QLatin1String(windowCaption));
    setMinimumSize(589, 434);

    createWidgets();
    createActions();
    createMenus();
    createToolBar();
    createTrayMenu();
    createTimers();
    applyIcons();

    m_listContext->db = &m_db;
    m_listContext->query = &m_rq;
    m_listContext->settings = m_services.settings;
    m_listContext->shared = &m_shared;
    m_listContext->tagEditor = m_tagEditor;
    m_listContext->gauge = m_gauge;
    m_listContext->roots = [this] { return m_drvs; };

    startUp();
}

MainWindow::~MainWindow()
{
    shutDown();
    // The list windows go while the state they report to still exists; those already closed
    // but not yet deleted must not report to a window that is no longer one.
    for (ListWindow* list : findChildren<ListWindow*>())
        disconnect(list, nullptr, this, nullptr);
    qDeleteAll(m_mdiArea->findChildren<QMdiSubWindow*>(Qt::FindDirectChildrenOnly));
    qDeleteAll(m_mdiArea->viewport()->findChildren<QMdiSubWindow*>(Qt::FindDirectChildrenOnly));
}

void MainWindow::createWidgets()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_mdiArea = new QMdiArea(central);
    m_mdiArea->setObjectName(QStringLiteral("MDIArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_gauge = new Gauge(central);
    layout->addWidget(m_mdiArea, 1);
    layout->addWidget(m_gauge);
    setCentralWidget(central);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        updateSaveUserList();
        adoptListWindow(sub);
    });

    m_tagEditor = new TagEditorWindow(this);
    connect(m_tagEditor, &TagEditorWindow::closedByUser, this,
            [this] { m_actions.value(QStringLiteral("ID3Tageditor1"))->setChecked(false); });

    m_options = new OptionsDialog(*m_services.settings, *m_services.dialogs, m_services.home, this);
    connect(m_options, &OptionsDialog::settingsApplied, this, [this] {
        m_colorTimer->start();
        m_columnTimer->start();
    });
    connect(m_options, &OptionsDialog::parameterCacheCleared, this,
            &MainWindow::clearParameterMenu);

    m_addFiles = new AddFilesWindow(m_services.home, *m_services.settings, *m_services.dialogs,
                                    *m_services.volumes, m_gauge, this);
    connect(m_addFiles, &AddFilesWindow::refreshListsRequested, this,
            [this] { m_refreshListTimer->start(); });
    connect(m_addFiles, &AddFilesWindow::userListOfAddedRequested, this,
            [this](const QStringList& names) {
                m_addedNames = names;
                m_customListFromAdditionTimer->start();
            });
}

QAction* MainWindow::action(const char* name, const QString& text)
{
    auto* act = new QAction(text, this);
    act->setObjectName(QLatin1String(name));
    m_actions.insert(act->objectName(), act);
    return act;
}

void MainWindow::createActions()
{
    auto guardedSlot = [this](void (MainWindow::*method)()) {
        return [this, method] { guarded([this, method] { (this->*method)(); }); };
    };

    // Database
    connect(action("Addsongstodatabase1", QStringLiteral("&Add songs to database")),
            &QAction::triggered, this, guardedSlot(&MainWindow::showAddFiles));
    action("OpenUserList1", QStringLiteral("&Open User List"));
    action("SaveUserList1", QStringLiteral("&Save User List"))->setEnabled(false);
    connect(action("Wholedatabase1", QStringLiteral("&Whole database")), &QAction::triggered, this,
            guardedSlot(&MainWindow::wholeDatabase));
    action("Databasebyparameters1", QStringLiteral("Database by &parameters"));
    action("FastSearchthedatabase1", QStringLiteral("FastSearch the database"));
    action("Userlistdatabase1", QStringLiteral("&User list/database"));
    connect(action("Exit1", QStringLiteral("&Exit")), &QAction::triggered, this, &QWidget::close);

    // View
    QAction* editor = action("ID3Tageditor1", QStringLiteral("&ID3 Tag editor"));
    editor->setCheckable(true);
    editor->setChecked(true);
    connect(editor, &QAction::triggered, this, [this] { toggleTagEditor(); });
    connect(action("Close1", QStringLiteral("C&lose")), &QAction::triggered, m_mdiArea,
            &QMdiArea::closeActiveSubWindow);
    connect(action("TileHorizontally1", QStringLiteral("Tile &Horizontally")), &QAction::triggered,
            this, [this] { tileWindows(Qt::Horizontal); });
    connect(action("TileVertically1", QStringLiteral("&Tile Vertically")), &QAction::triggered,
            this, [this] { tileWindows(Qt::Vertical); });
    connect(action("MinimizeAll1", QStringLiteral("&Minimize All")), &QAction::triggered, this,
            &MainWindow::minimizeAll);
    connect(action("Options1", QStringLiteral("&Options")), &QAction::triggered, this,
            guardedSlot(&MainWindow::showOptions));

    // Utility
    action("Checkforexistanceoffilesonharddrives1",
           QStringLiteral("&Check for existance of files on hard drives"));
    action("Databasetop10playedsongs1", QStringLiteral("&Database top 10 played songs"));
    action("ReIndexyourdatabase1", QStringLiteral("Re-Index your database"));
    action("Adddatafromanotherdatabase1", QStringLiteral("Add data from another database"));
    action("Massretagger1", QStringLiteral("Mass re-tagger"));

    // Internet and Help
    action("SearchanInternetbasedPersonalTamboroServer1",
           QStringLiteral("Search an Internet based Personal Tamboro Server and download files"));
    connect(action("Versioninfo1", QStringLiteral("&Version info")), &QAction::triggered, this,
            guardedSlot(&MainWindow::showAbout));
}

void MainWindow::createMenus()
{
    auto add = [this](QMenu* menu, const char* name) {
        menu->addAction(m_actions.value(QLatin1String(name)));
    };
    auto menu = [this](const char* name, const QString& title) {
        QMenu* m = menuBar()->addMenu(title);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };

    QMenu* database = menu("Database1", QStringLiteral("&Database"));
    add(database, "Addsongstodatabase1");
    database->addSeparator();
    add(database, "OpenUserList1");
    add(database, "SaveUserList1");
    database->addSeparator();
    add(database, "Wholedatabase1");
    add(database, "Databasebyparameters1");
    add(database, "FastSearchthedatabase1");
    add(database, "Userlistdatabase1");
    database->addSeparator();
    add(database, "Exit1");

    QMenu* view = menu("View1", QStringLiteral("&View"));
    add(view, "ID3Tageditor1");
    view->addSeparator();
    add(view, "Close1");
    add(view, "TileHorizontally1");
    add(view, "TileVertically1");
    add(view, "MinimizeAll1");
    view->addSeparator();
    add(view, "Options1");

    QMenu* utility = menu("Utility1", QStringLiteral("&Utility"));
    add(utility, "Checkforexistanceoffilesonharddrives1");
    add(utility, "Databasetop10playedsongs1");
    add(utility, "ReIndexyourdatabase1");
    add(utility, "Adddatafromanotherdatabase1");
    utility->addSeparator();
    add(utility, "Massretagger1");

    QMenu* internet = menu("Internet1", QStringLiteral("&Internet"));
    add(internet, "SearchanInternetbasedPersonalTamboroServer1");
    internet->menuAction()->setVisible(false);

    QMenu* help = menu("Help1", QStringLiteral("&Help"));
    add(help, "Versioninfo1");
}

void MainWindow::createToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(24, 24));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);

    int number = 0;
    auto button = [&](const QString& hint, QAction* same = nullptr) {
        ++number;
        QAction* act = nullptr;
        if (same) {
            // The button runs the same command as its menu item but carries its own hint.
            act = new QAction(same->text(), this);
            act->setCheckable(same->isCheckable());
            act->setChecked(same->isChecked());
            act->setEnabled(same->isEnabled());
            connect(act, &QAction::triggered, same, &QAction::trigger);
            connect(same, &QAction::changed, act, [act, same] {
                act->setChecked(same->isChecked());
                act->setEnabled(same->isEnabled());
            });
        } else {
            act = new QAction(this);
        }
        act->setObjectName(QStringLiteral("ToolButton%1").arg(number));
        act->setToolTip(hint);
        act->setStatusTip(hint);
        m_actions.insert(act->objectName(), act);
        bar->addAction(act);
        bar->widgetForAction(act)->setObjectName(act->objectName());
        return act;
    };
    auto divider = [&] { return bar->addSeparator(); };
    auto menuItem = [this](const char* name) { return m_actions.value(QLatin1String(name)); };

    button(QStringLiteral("Add files to database"), menuItem("Addsongstodatabase1"));
    divider();
    button(QStringLiteral("Request whole database"), menuItem("Wholedatabase1"));
    QAction* parameters =
        button(QStringLiteral("Request database parameters"), menuItem("Databasebyparameters1"));
    m_parameterMenu = new QMenu(this);
    m_parameterMenu->setObjectName(QStringLiteral("PopupMenu3"));
    parameters->setMenu(m_parameterMenu);
    if (auto* tool = qobject_cast<QToolButton*>(bar->widgetForAction(parameters)))
        tool->setPopupMode(QToolButton::MenuButtonPopup);
    divider();
    button(QStringLiteral("Search for possible matches by entering one of multiple keywords"),
           menuItem("FastSearchthedatabase1"));
    divider();
    button(QStringLiteral("Make a user list"), menuItem("Userlistdatabase1"));
    button(QStringLiteral("Load user list"), menuItem("OpenUserList1"));
    button(QStringLiteral("Save list"), menuItem("SaveUserList1"));
    divider();
    button(QStringLiteral("Toggle ID3 tag editor"), menuItem("ID3Tageditor1"));
    button(QStringLiteral("View Options"), menuItem("Options1"));
    divider();
    button(QStringLiteral("Check for existance of files on hard disks"),
           menuItem("Checkforexistanceoffilesonharddrives1"));
    button(QStringLiteral("Displays the top 10 played songs in you database"),
           menuItem("Databasetop10playedsongs1"));
    button(QStringLiteral("Re-index your database"), menuItem("ReIndexyourdatabase1"));
    button(QStringLiteral("Mass re-tagger (re-tag multiple files simultaniously)"),
           menuItem("Massretagger1"));
    button(
        QStringLiteral("Add information from another database about the changable/remote mediums"),
        menuItem("Adddatafromanotherdatabase1"));
    divider();
    // The Internet commands: part of the layout, hidden.
    button(QStringLiteral("Search an Internet based Personal Tamboro Server and download files"),
           menuItem("SearchanInternetbasedPersonalTamboroServer1"))
        ->setVisible(false);
    button(QString())->setVisible(false);
    divider()->setVisible(false);
    button(QStringLiteral("View version info"), menuItem("Versioninfo1"));
}

void MainWindow::createTrayMenu()
{
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("PopupMenu2"));
    auto item = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* act = menu->addAction(text);
        act->setObjectName(QLatin1String(name));
        m_actions.insert(act->objectName(), act);
        return act;
    };

    connect(item(m_trayMenu, "ShowTamboro31", QStringLiteral("Show Tamboro 3")),
            &QAction::triggered, this, &MainWindow::showFromTray);
    m_trayMenu->addSeparator();
    connect(item(m_trayMenu, "Wholedatabase2", QStringLiteral("Whole database")),
            &QAction::triggered, this, [this] { showFromTrayThen([this] { wholeDatabase(); }); });
    QMenu* byParameter = m_trayMenu->addMenu(QStringLiteral("Database by parameter"));
    byParameter->setObjectName(QStringLiteral("Databasebyparameter1"));
    byParameter->menuAction()->setObjectName(QStringLiteral("Databasebyparameter1"));
    m_actions.insert(byParameter->objectName(), byParameter->menuAction());
    connect(item(byParameter, "NewParameters1", QStringLiteral("New Parameters")),
            &QAction::triggered, this, [this] {
                showFromTrayThen([this] {
                    m_actions.value(QStringLiteral("Databasebyparameters1"))->trigger();
                });
            });
    connect(item(byParameter, "Existingparameters1", QStringLiteral("Existing parameters")),
            &QAction::triggered, this, &MainWindow::existingParametersFromTray);
    m_trayMenu->addSeparator();
    connect(item(m_trayMenu, "Fastsearch1", QStringLiteral("Fast search")), &QAction::triggered,
            this, [this] { m_actions.value(QStringLiteral("FastSearchthedatabase1"))->trigger(); });
    m_trayMenu->addSeparator();
    connect(item(m_trayMenu, "CloseTamboro31", QStringLiteral("&Close Tamboro 3")),
            &QAction::triggered, this, &MainWindow::closeTamboro);

    m_phantom = new TPhantom(this);
    m_phantom->setObjectName(QStringLiteral("Phantom1"));
    m_phantom->setOwner(this);
    m_phantom->setTip(QStringLiteral("Tamboro 3. Right click for options"));
    m_phantom->setPopupRight(m_trayMenu);
    connect(m_phantom, &TPhantom::Doublelick, this, &MainWindow::showFromTray);
}

void MainWindow::createTimers()
{
    auto timer = [this](const char* name, int interval, bool singleShot,
                        void (MainWindow::*tick)()) {
        auto* t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(interval);
        t->setSingleShot(singleShot);
        connect(t, &QTimer::timeout, this,
                [this, tick] { guarded([this, tick] { (this->*tick)(); }); });
        return t;
    };
    m_timer1 = timer("Timer1", 50, true, &MainWindow::timer1Tick);
    m_otherThingsTimer = timer("OtherThingsTimer", 500, true, &MainWindow::otherThingsTick);
    m_validator = timer("Validator", 1000, false, &MainWindow::validatorTick);
    m_timer2 = timer("Timer2", 5000, false, &MainWindow::drivePollTick);
    m_checkTimer = timer("CheckTimer", 333, false, &MainWindow::updateSaveUserList);
    m_refreshListTimer = timer("RefreshListTimer", 750, true, &MainWindow::refreshLists);
    m_colorTimer = timer("ColorTimer", 750, true, &MainWindow::recolorLists);
    m_columnTimer = timer("ColumnTimer", 750, true, &MainWindow::recolumnLists);
    m_customListFromAdditionTimer =
        timer("CustomListFromAdditionTimer", 1000, true, &MainWindow::customListFromAddition);
}

void MainWindow::adoptListWindow(QMdiSubWindow* sub)
{
    // A list window opens activated; it is activated many times, and one connection each is
    // enough.
    auto* list = sub ? qobject_cast<ListWindow*>(sub->widget()) : nullptr;
    if (!list)
        return;
    connect(list, &ListWindow::errorRaised, this, &MainWindow::showError, Qt::UniqueConnection);
    connect(list, &QObject::destroyed, this, &MainWindow::listWindowGone, Qt::UniqueConnection);
}

void MainWindow::listWindowGone()
{
    // Closing a list window decides "&Save User List" at once, not at the next check.
    if (!m_shutDown)
        QTimer::singleShot(0, this, &MainWindow::updateSaveUserList);
}

void MainWindow::showError(const QString& text)
{
    m_services.dialogs->message(Dialogs::Kind::Error, text);
}

void MainWindow::guarded(const std::function<void()>& work)
{
    ErrorBoundary::run(work, [this](const QString& text) { showError(text); });
}
