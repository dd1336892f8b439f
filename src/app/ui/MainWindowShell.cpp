// The main window's life: start-up steps, the timers that finish and keep it going, hiding to
// the tray, and the shutdown.

#include "app/ui/MainWindow.h"
#include "app/ui/MainWindowMenus.h"
#include "app/ui/OptionsDialog.h"
#include "app/ui/TPhantom.h"
#include "container/EmbeddedFiles.h"
#include "container/StartupFiles.h"
#include "container/TFileSource.h"
#include "intake/ui/AddFilesWindow.h"
#include "intake/ui/TagEditorWindow.h"
#include "lists/ReqsCache.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListOpeners.h"
#include "lists/ui/ListWindow.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "platform/ShellVerbs.h"
#include "platform/Volumes.h"
#include "player/TMPEGPlayer.h"
#include "ui/Dialogs.h"
#include "ui/Gauge.h"
#include "ui/Icons.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const char* const playlistFileName = "tmp.m3u";

} // namespace

void MainWindow::startUp()
{
    // The embedded files are written out first: the main player and the Validator copy them.
    guarded([this] {
        m_dllContainer =
            EmbeddedFiles::load(EmbeddedFiles::DllContainer, *m_services.clock, m_services.tempDir);
        m_databaseContainer = EmbeddedFiles::load(EmbeddedFiles::DatabaseContainer,
                                                  *m_services.clock, m_services.tempDir);
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
    // The Internet commands stay as the layout made them, hidden: nothing shows them yet.

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
    for (const QString& caption : ReqsCache::captions(path)) {
        ++m_itemCounter;
        QAction* item = m_menus->parameterMenu()->addAction(caption);
        item->setObjectName(QStringLiteral("NItem%1").arg(m_itemCounter));
    }
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
}

void MainWindow::placeTagEditor()
{
    // Right edge of the main window, just below its tool bar, clear of the menus.
    const QRect frame = geometry();
    const int top = centralWidget()->mapToGlobal(QPoint(0, 0)).y() + 8;
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
    // The user list of the songs just added is built by the user-list window, which takes
    // m_addedNames when it lands; until then the names wait here.
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
