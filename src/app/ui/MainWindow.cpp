#include "app/ui/MainWindow.h"

#include "app/ui/MainWindowMenus.h"
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
#include "ui/Icons.h"

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
    m_menus = std::make_unique<MainWindowMenus>(*this);
    connectCommands();
    createTrayIcon();
    createTimers();

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

QMenu* MainWindow::parameterMenu() const
{
    return m_menus->parameterMenu();
}

QMenu* MainWindow::trayMenu() const
{
    return m_menus->trayMenu();
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
            [this] { m_menus->action("ID3Tageditor1")->setChecked(false); });

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

void MainWindow::connectCommands()
{
    auto command = [this](const char* name, auto&& handler) {
        connect(m_menus->action(name), &QAction::triggered, this,
                [this, handler] { guarded(handler); });
    };

    // Database
    command("Addsongstodatabase1", [this] { showAddFiles(); });
    command("Wholedatabase1", [this] { wholeDatabase(); });
    connect(m_menus->action("Exit1"), &QAction::triggered, this, &QWidget::close);

    // View
    connect(m_menus->action("ID3Tageditor1"), &QAction::triggered, this,
            [this] { toggleTagEditor(); });
    connect(m_menus->action("Close1"), &QAction::triggered, m_mdiArea,
            &QMdiArea::closeActiveSubWindow);
    connect(m_menus->action("TileHorizontally1"), &QAction::triggered, this,
            [this] { tileWindows(Qt::Horizontal); });
    connect(m_menus->action("TileVertically1"), &QAction::triggered, this,
            [this] { tileWindows(Qt::Vertical); });
    connect(m_menus->action("MinimizeAll1"), &QAction::triggered, this, &MainWindow::minimizeAll);
    command("Options1", [this] { showOptions(); });

    // Help
    command("Versioninfo1", [this] { showAbout(); });

    // The tray menu
    connect(m_menus->action("ShowTamboro31"), &QAction::triggered, this, &MainWindow::showFromTray);
    connect(m_menus->action("Wholedatabase2"), &QAction::triggered, this,
            [this] { showFromTrayThen([this] { wholeDatabase(); }); });
    connect(m_menus->action("NewParameters1"), &QAction::triggered, this, [this] {
        showFromTrayThen([this] { m_menus->action("Databasebyparameters1")->trigger(); });
    });
    connect(m_menus->action("Existingparameters1"), &QAction::triggered, this,
            &MainWindow::existingParametersFromTray);
    connect(m_menus->action("Fastsearch1"), &QAction::triggered, this,
            [this] { m_menus->action("FastSearchthedatabase1")->trigger(); });
    connect(m_menus->action("CloseTamboro31"), &QAction::triggered, this,
            &MainWindow::closeTamboro);
}

void MainWindow::createTrayIcon()
{
    m_phantom = new TPhantom(this);
    m_phantom->setObjectName(QStringLiteral("Phantom1"));
    m_phantom->setOwner(this);
    m_phantom->setTip(QStringLiteral("Tamboro 3. Right click for options"));
    m_phantom->setPopupRight(m_menus->trayMenu());
    connect(m_phantom, &TPhantom::Doublelick, this, &MainWindow::showFromTray);
    m_phantom->setIconfile(Icons::own(Icons::Id::Program));
    // The icon stays in the tray for the whole run, so the hidden window can always come back.
    m_phantom->setIconvisibility(m_services.trayAvailable);
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
