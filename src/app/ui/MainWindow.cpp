// The main window: its widgets and the connections of its commands, the start-up steps and the
// timers that finish and keep it going, hiding to the tray and coming back, the list windows it
// sweeps, the menu commands, and the shutdown. The commands' layout is MainWindowMenus.

#include "app/ui/MainWindow.h"

#include "app/ui/FastSearchCommand.h"
#include "app/ui/LocationImportCommand.h"
#include "app/ui/MainWindowMenus.h"
#include "app/ui/MaintenanceCommands.h"
#include "app/ui/OptionsDialog.h"
#include "app/ui/ParameterCommands.h"
#include "app/ui/PlayCommands.h"
#include "app/ui/PlayerBar.h"
#include "app/ui/TPhantom.h"
#include "app/ui/ToolWindows.h"
#include "container/EmbeddedFiles.h"
#include "container/StartupFiles.h"
#include "container/TFileSource.h"
#include "export/ui/CopyFilesCommand.h"
#include "export/ui/HtmlExportCommand.h"
#include "intake/ui/AddFilesWindow.h"
#include "intake/ui/MassRetagCommand.h"
#include "intake/ui/TagEditorWindow.h"
#include "lists/ReqsCache.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListOpeners.h"
#include "lists/ui/ListWindow.h"
#include "lists/ui/UserListCommands.h"
#include "net/SharingClient.h"
#include "net/ui/DownloadsCommand.h"
#include "net/ui/DownloadsWindow.h"
#include "net/ui/InternetSearchCommand.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "platform/ShellVerbs.h"
#include "platform/Volumes.h"
#include "player/MprisService.h"
#include "player/PlayerTransport.h"
#include "player/TMPEGPlayer.h"
#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Gauge.h"
#include "ui/Icons.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char* const windowCaption = "Tamboro 3";
const char* const playlistFileName = "tmp.m3u";

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
    m_parameters =
        new ParameterCommands({this, m_listContext.get(), m_mdiArea, m_menus->parameterMenu(),
                               m_menus->action("Databasebyparameters1"), &m_itemCounter,
                               m_services.dialogs, m_gauge, m_services.home});

    startUp();
    createPlayerBar();
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

    m_toolWindows = new ToolWindows(this);
    m_tagEditor = new TagEditorWindow(m_uq, m_services.home, *m_services.dialogs, this);
    connect(m_tagEditor, &TagEditorWindow::closedByUser, this,
            [this] { m_menus->action("ID3Tageditor1")->setChecked(false); });
    connect(m_tagEditor, &TagEditorWindow::refreshListsRequested, this, &MainWindow::refreshLists);

    m_options = new OptionsDialog(*m_services.settings, *m_services.dialogs, m_services.home, this);
    // Tags read from now on are read in the user's code page (Windows-1252 when it is missing).
    OptionsDialog::applyTagCodePage(*m_services.settings);
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

    m_playCommands =
        new PlayCommands({this, &m_db, &m_shared, m_services.dialogs, m_gauge, m_services.home,
                          // A player registered while the program runs is the one used.
                          [this] {
                              readShellVerbs();
                              return m_playStr;
                          },
                          [this] {
                              readShellVerbs();
                              return m_enqStr;
                          },
                          [this] { playWithBuiltInPlayer(); }},
                         this);

    SharingSettings sharing;
    guarded([&] { sharing = SharingSettings::from(*m_services.settings); });
    m_sharing = new SharingClient(sharing, this);
    m_downloads = new DownloadsCommand(*m_sharing, *m_services.dialogs, this);

    m_massRetag = new MassRetagCommand(m_services.home, *m_services.dialogs, this, m_gauge,
                                       [this] { return activeListWindow(); });
    // A run writes the song table from a connection of its own, as an add does: the main query
    // lets go of its read, the drive poll waits, and the tray menu offers nothing meanwhile.
    connect(m_massRetag, &MassRetagCommand::runStarting, this, [this] {
        m_rq.close();
        m_timer2->stop();
        m_menus->trayMenu()->setEnabled(false);
    });
    connect(m_massRetag, &MassRetagCommand::runFinished, this, [this] {
        m_menus->trayMenu()->setEnabled(true);
        m_timer2->start();
    });
    connect(m_massRetag, &MassRetagCommand::refreshListsRequested, this, &MainWindow::refreshLists);
    m_htmlExport = new HtmlExportCommand(
        *m_services.dialogs, this, m_gauge, [this] { return activeListWindow(); },
        m_services.desktopOpener);
    m_copyFiles = new CopyFilesCommand(*m_services.dialogs, this, m_gauge);

    m_maintenance =
        new MaintenanceCommands({this, m_listContext.get(), m_mdiArea, m_services.dialogs, m_gauge,
                                 [this] { return activeListWindow(); }},
                                this);
    connect(m_maintenance, &MaintenanceCommands::refreshListsRequested, this,
            &MainWindow::refreshLists);
    connect(m_maintenance, &MaintenanceCommands::delayedRefreshRequested, this,
            [this] { m_refreshListTimer->start(); });
}

ListWindow* MainWindow::activeListWindow() const
{
    QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    return active ? qobject_cast<ListWindow*>(active->widget()) : nullptr;
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
    command("FastSearchthedatabase1",
            [this] { FastSearchCommand::run(*m_listContext, m_mdiArea, *m_services.dialogs); });
    command("Userlistdatabase1", [this] { ListOpeners::openUserList(*m_listContext, m_mdiArea); });
    command("OpenUserList1", [this] {
        UserListCommands::open(*m_listContext, m_mdiArea, *m_services.dialogs, m_userListFolder);
    });
    command("SaveUserList1", [this] {
        if (ListWindow* list = activeListWindow())
            UserListCommands::save(*m_listContext, *list, *m_services.dialogs, m_userListFolder);
    });
    connect(m_menus->action("Exit1"), &QAction::triggered, this, &QWidget::close);

    // Utility
    command("Massretagger1", [this] { m_massRetag->open(activeListWindow()); });
    auto* locationImport = new LocationImportCommand(m_services.home, *m_services.dialogs,
                                                     *m_services.settings, this, m_gauge);
    connect(locationImport, &LocationImportCommand::refreshListsRequested, this,
            [this] { m_refreshListTimer->start(); });
    command("Adddatafromanotherdatabase1", [locationImport] { locationImport->open(); });
    command("Checkforexistanceoffilesonharddrives1", [this] { m_maintenance->checkExistence(); });
    command("Databasetop10playedsongs1", [this] { m_maintenance->topTen(); });
    command("ReIndexyourdatabase1", [this] { m_maintenance->openReindex(); });

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
    command("Downloadswindow1", [this] { m_downloads->showWindow(); });

    // Internet
    auto* internet =
        new InternetSearchCommand({this, m_listContext.get(), m_mdiArea, m_sharing,
                                   m_services.dialogs, m_services.settings, m_services.home},
                                  this);
    command("SearchanInternetbasedPersonalTamboroServer1", [internet] { internet->open(); });

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
    // The search first, then the window comes back from the tray with its result.
    connect(m_menus->action("Fastsearch1"), &QAction::triggered, this, [this] {
        m_menus->action("FastSearchthedatabase1")->trigger();
        showFromTray();
    });
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
    connect(list, &ListWindow::massRetagRequested, m_massRetag, &MassRetagCommand::open,
            Qt::UniqueConnection);
    connect(list, &ListWindow::htmlPageRequested, m_htmlExport, &HtmlExportCommand::open,
            Qt::UniqueConnection);
    connect(list, &QObject::destroyed, this, &MainWindow::listWindowGone, Qt::UniqueConnection);
    m_downloads->adopt(list);
    connect(list, &ListWindow::copyFilesRequested, m_copyFiles, &CopyFilesCommand::run,
            Qt::UniqueConnection);
    m_playCommands->adopt(list);
    m_maintenance->adopt(list);
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

// ---- Start-up, timers, tray and shutdown ----

void MainWindow::startUp()
{
    // The embedded files are written out first: the main player and the Validator copy them.
    guarded([this] {
        m_dllContainer =
            EmbeddedFiles::load(EmbeddedFiles::DllContainer, *m_services.clock, m_services.tempDir);
        m_databaseContainer = EmbeddedFiles::load(EmbeddedFiles::DatabaseContainer,
                                                  *m_services.clock, m_services.tempDir);
        m_dlAniContainer =
            EmbeddedFiles::load(EmbeddedFiles::DLAni, *m_services.clock, m_services.tempDir);
    });
    m_timer1->start();
    scanDrives();
    readShellVerbs();
    m_itemCounter = 0;
    // A cache or song table that cannot be read is reported; the start goes on without it.
    guarded([this] { pruneParameterCache(); });
    guarded([this] { buildParameterMenu(); });
    loadMainPlayer();
    m_otherThingsTimer->start();
    m_quitRequested = false;

    m_validator->start();
    m_timer2->start();
    m_checkTimer->start();
}

void MainWindow::scanDrives()
{
    m_drvs = m_services.volumes->roots();
}

void MainWindow::readShellVerbs()
{
    const PlayerCommands commands = stripVerbQuotes(m_services.shellVerbs->read());
    m_playStr = commands.play;
    m_enqStr = commands.enqueue;
}

void MainWindow::pruneParameterCache()
{
    const QString path = Home::file(m_services.home, QLatin1String(ReqsCache::FileName));
    if (!QFileInfo::exists(path))
        return;
    ReqsCache::prune(m_db, path, [this](int handled, int total) {
        if (handled == 0)
            m_gauge->start(QString(), total - 1);
        m_gauge->setValue(handled);
    });
    m_gauge->finish();
}

void MainWindow::buildParameterMenu()
{
    const QString path = Home::file(m_services.home, QLatin1String(ReqsCache::FileName));
    if (!QFileInfo::exists(path))
        return;
    for (const QString& caption : ReqsCache::captions(path))
        m_parameters->addMenuItem(caption);
}

void MainWindow::loadMainPlayer()
{
    m_player = std::make_unique<TMPEGPlayer>();
    m_player->setObjectName(QStringLiteral("MPlayer"));
    // One loaded copy of the library serves one player: the main player gets a copy of its
    // own, in a folder of its own, apart from the one in the home that intake loads.
    if (!m_dllContainer)
        return;
    try {
        const QString parent = m_services.tempDir.isEmpty() ? QDir::tempPath() : m_services.tempDir;
        m_playerLibraryDir =
            std::make_unique<QTemporaryDir>(parent + QStringLiteral("/tamboro3-XXXXXX"));
        const QString dir = m_playerLibraryDir->path();
        if (!m_playerLibraryDir->isValid() ||
            !EmbeddedFiles::copyIfMissing(*m_dllContainer, TMPEGPlayer::libraryPath(dir)))
            return;
        m_player->setPathToDLL(dir);
        m_player->loadLibrary();
    } catch (const TamboroError&) {
        // Playing reports the problem when it is tried; start-up goes on without the player.
    }
}

void MainWindow::createPlayerBar()
{
    m_transport = std::make_unique<PlayerTransport>(*m_player, *m_services.clock);
    // ">" plays the song the tag editor shows, while a list window is open to have put it there.
    m_transport->setSongSource([this]() -> std::optional<PlayerTransport::Song> {
        if (listWindows().isEmpty())
            return std::nullopt;
        const TagSave::Fields fields = m_tagEditor->fields();
        return PlayerTransport::Song{fields.artist, fields.title, fields.filename, fields.album};
    });
    m_playerBar = new PlayerBar({m_transport.get(), m_services.dialogs,
                                 [this] { return int(listWindows().size()); },
                                 [this] { return activeListWindow(); }, &m_shared},
                                centralWidget());
    // Under the tool bar, above the list windows.
    static_cast<QVBoxLayout*>(centralWidget()->layout())->insertWidget(0, m_playerBar);

    QAction* shown = m_menus->action("Playerbar1");
    bool on = false;
    guarded([&] { on = m_services.settings->flag(QLatin1String(SettingsStore::PlayerBar)); });
    shown->setChecked(on);
    m_playerBar->setVisible(on);
    connect(shown, &QAction::toggled, this, [this](bool visible) {
        m_playerBar->setVisible(visible);
        if (m_tagEditor->isVisible())
            placeTagEditor();
        guarded([&] {
            m_services.settings->setFlag(QLatin1String(SettingsStore::PlayerBar), visible);
        });
    });

    // The desktop's media keys and sound menu drive the same transport; without a session bus
    // the service stays quiet and the bar works alone.
    m_mpris = std::make_unique<MprisService>(*m_transport, QDBusConnection::sessionBus());
    connect(m_mpris.get(), &MprisService::raiseRequested, this, [this] {
        showFromTray();
        raise();
        activateWindow();
    });
    // Queued: the box opens after the bus call has been answered.
    connect(
        m_mpris.get(), &MprisService::errorRaised, this,
        [this](const QString& message) { showError(message); }, Qt::QueuedConnection);
}

void MainWindow::playWithBuiltInPlayer()
{
    // The bar shows what plays and how to stop it.
    m_menus->action("Playerbar1")->setChecked(true);
    m_playerBar->play();
}

void MainWindow::validatorTick()
{
    if (!m_dllContainer || !m_databaseContainer)
        return;
    if (StartupFiles::validatorTick(m_services.home, *m_dllContainer, *m_databaseContainer)
            .finished())
        m_validator->stop();
}

void MainWindow::timer1Tick()
{
    placeTagEditor();
}

void MainWindow::otherThingsTick()
{
    placeTagEditor();
    if (m_dlAniContainer)
        m_downloads->window()->loadAnimation(m_dlAniContainer->fileName());
}

void MainWindow::placeTagEditor()
{
    // Right edge of the main window, just below its tool bar and the player bar, clear of the
    // menus and of the bar's drop targets.
    const QRect frame = geometry();
    const int top = m_mdiArea->mapToGlobal(QPoint(0, 0)).y() + 8;
    m_tagEditor->move(frame.left() + frame.width() - m_tagEditor->frameGeometry().width(), top);
}

void MainWindow::drivePollTick()
{
    const QStringList before = m_drvs;
    scanDrives();
    // A medium swapped for another between two polls changes the roots but not their number:
    // compare the roots themselves so that such a swap refreshes the lists too.
    if (before != m_drvs) {
        m_addFiles->fillVolumes();
        refreshLists();
    }
}

void MainWindow::updateSaveUserList()
{
    m_menus->action("SaveUserList1")->setEnabled(!m_mdiArea->subWindowList().isEmpty());
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_tagEditorShown)
        return;
    // The tag editor comes up with the main window, at its right edge.
    m_tagEditorShown = true;
    if (m_menus->action("ID3Tageditor1")->isChecked()) {
        m_tagEditor->show();
        placeTagEditor();
    }
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        updateSaveUserList();
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_quitRequested && m_services.trayAvailable) {
        event->ignore();
        m_toolWindows->hideWithOwner();
        hide();
        return;
    }
    shutDown();
    event->accept();
    QApplication::quit();
}

void MainWindow::closeTamboro()
{
    m_quitRequested = true;
    close();
}

void MainWindow::showFromTray()
{
    m_phantom->setVisible(true);
    showMaximized();
    raise();
    activateWindow();
    m_tagEditor->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (m_menus->action("ID3Tageditor1")->isChecked())
        m_tagEditor->show();
    m_toolWindows->showWithOwner();
}

void MainWindow::showFromTrayThen(const std::function<void()>& command)
{
    showFromTray();
    guarded(command);
}

void MainWindow::existingParametersFromTray()
{
    const QRect screen = QApplication::primaryScreen()->geometry();
    m_menus->parameterMenu()->popup(QPoint(screen.width(), screen.height() - 30));
    showFromTray();
}

void MainWindow::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    for (QTimer* timer : findChildren<QTimer*>(Qt::FindDirectChildrenOnly))
        timer->stop();
    if (m_transport) {
        m_transport->mTimer()->stop();
        m_transport->mTimer2()->stop();
    }
    try {
        if (m_player && m_player->loaded())
            m_player->unloadLibrary();
    } catch (const TamboroError&) {
        // Ending anyway: the library goes with the process.
    }
    QFile::remove(Home::file(m_services.home, QLatin1String(playlistFileName)));
    if (m_phantom)
        m_phantom->setIconvisibility(false);
}

// ---- Lists ----

QList<ListWindow*> MainWindow::listWindows() const
{
    QList<ListWindow*> windows;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* list = qobject_cast<ListWindow*>(sub->widget()))
            windows.append(list);
    }
    return windows;
}

void MainWindow::wholeDatabase()
{
    ListOpeners::openWholeDatabase(*m_listContext, m_mdiArea);
}

void MainWindow::sweepLists(const std::function<void(ListWindow&)>& work)
{
    QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        auto* list = qobject_cast<ListWindow*>(sub->widget());
        if (!list)
            continue;
        m_mdiArea->setActiveSubWindow(sub);
        guarded([&] { work(*list); });
    }
    // The window the user was in is the active one again.
    if (active && m_mdiArea->subWindowList().contains(active))
        m_mdiArea->setActiveSubWindow(active);
}

void MainWindow::refreshLists()
{
    sweepLists([](ListWindow& list) { list.refreshList(); });
}

void MainWindow::recolorLists()
{
    sweepLists([](ListWindow& list) { list.applyColors(); });
}

void MainWindow::recolumnLists()
{
    sweepLists([](ListWindow& list) { list.makeColumns(); });
}

// ---- Menu commands ----

void MainWindow::toggleTagEditor()
{
    // The menu item has already changed its check mark when this runs.
    const bool show = m_menus->action("ID3Tageditor1")->isChecked();
    m_tagEditor->setVisible(show);
    if (show)
        placeTagEditor();
}

void MainWindow::showOptions()
{
    m_options->exec();
}

void MainWindow::showAddFiles()
{
    // An add writes the song table from a connection of its own: the main query lets go of its
    // read, and the drive poll waits, so that no list re-query holds the table while the add
    // commits.
    m_rq.close();
    m_timer2->stop();
    // The tray menu is the one way past the modal window: no other command while adding.
    m_menus->trayMenu()->setEnabled(false);
    m_addFiles->exec();
    m_menus->trayMenu()->setEnabled(true);
    m_timer2->start();
}

void MainWindow::customListFromAddition()
{
    guarded([this] { UserListCommands::fromAdded(*m_listContext, m_mdiArea, m_addedNames); });
}

void MainWindow::showAbout()
{
    m_services.dialogs->message(
        Dialogs::Kind::Information,
        QStringLiteral("Tamboro 3\nVersion 3.0\n\nA catalogue and jukebox for your MP3 and WMA "
                       "files on hard disks, CDs and network shares."),
        QStringLiteral("About Tamboro 3"));
}

void MainWindow::tileWindows(Qt::Orientation orientation)
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized())
            windows.append(sub);
    }
    if (windows.isEmpty())
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    const int count = int(windows.size());
    for (int i = 0; i < count; ++i) {
        windows[i]->showNormal();
        if (orientation == Qt::Horizontal) {
            const int h = area.height() / count;
            windows[i]->setGeometry(0, i * h, area.width(), h);
        } else {
            const int w = area.width() / count;
            windows[i]->setGeometry(i * w, 0, w, area.height());
        }
    }
}

void MainWindow::minimizeAll()
{
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        sub->showMinimized();
}

void MainWindow::clearParameterMenu()
{
    m_menus->parameterMenu()->clear();
}
