#pragma once

#include "app/ui/AppServices.h"
#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/UQuery.h"
#include "lists/ListShared.h"
#include "platform/ShellVerbs.h"

#include <QDir>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class AddFilesWindow;
class CopyFilesCommand;
class Gauge;
class HtmlExportCommand;
class MaintenanceCommands;
class MassRetagCommand;
class ListWindow;
class MainWindowMenus;
class OptionsDialog;
class ParameterCommands;
class PlayCommands;
class SharingClient;
class DownloadsCommand;
class MprisService;
class PlayerBar;
class PlayerTransport;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTemporaryDir;
class QTimer;
class TFileSource;
class TMPEGPlayer;
class TPhantom;
class TagEditorWindow;
class ToolWindows;
struct ListContext;

// The main window (`TForm1`): the multiple-document frame that owns everything shared — the
// two queries on the song table, the list windows' shared state, the timers, the main player,
// the tray icon and the embedded files.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(const AppServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    SongDatabase& database() { return m_db; }
    TagEditorWindow* tagEditor() const { return m_tagEditor; }
    OptionsDialog* optionsDialog() const { return m_options; }
    AddFilesWindow* addFilesWindow() const { return m_addFiles; }
    ParameterCommands* parameterCommands() const { return m_parameters; }
    PlayCommands* playCommands() const { return m_playCommands; }
    MaintenanceCommands* maintenance() const { return m_maintenance; }
    // What the list windows borrow from this window, for openers of new windows.
    ListContext& listContext() { return *m_listContext; }
    // File names (stored form) the last add inserted, for its user list.
    const QStringList& addedNames() const { return m_addedNames; }
    TMPEGPlayer* mainPlayer() const { return m_player.get(); }
    // The built-in player's transport over the main player; the player bar and the desktop's
    // media controls drive it.
    PlayerTransport* playerTransport() const { return m_transport.get(); }
    PlayerBar* playerBar() const { return m_playerBar; }
    // The user's side of the sharing network; its servers listen from the first search or
    // download on.
    SharingClient* sharing() const { return m_sharing; }
    DownloadsCommand* downloads() const { return m_downloads; }
    QMenu* parameterMenu() const;
    QMenu* trayMenu() const;

    // Start-up state.
    const QStringList& drvs() const { return m_drvs; }
    const QString& playStr() const { return m_playStr; }
    const QString& enqStr() const { return m_enqStr; }
    bool quitRequested() const { return m_quitRequested; }
    int itemCounter() const { return m_itemCounter; }

    // The open list windows, in the MDI area's creation order.
    QList<ListWindow*> listWindows() const;

    // Named actions other parts run.
    void wholeDatabase();
    void refreshLists();
    void recolorLists();
    void recolumnLists();

    // The tray menu's "&Close Tamboro 3": the only way the program ends while a tray exists.
    void closeTamboro();
    // Shows the main window again from the tray (a double click on the icon).
    void showFromTray();

    // Shows an error box with the text of whatever `work` throws; no exception leaves a slot.
    void guarded(const std::function<void()>& work);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Construction of the window's parts.
    void createWidgets();
    void connectCommands();
    void createTrayIcon();
    void createTimers();

    // Start-up steps and the timers that finish it.
    void startUp();
    void scanDrives();
    void readShellVerbs();
    void pruneParameterCache();
    void buildParameterMenu();
    void loadMainPlayer();
    void createPlayerBar();
    // Offered when the desktop has no MP3 player: the tag editor's song in the player bar.
    void playWithBuiltInPlayer();
    void validatorTick();
    void timer1Tick();
    void otherThingsTick();
    void drivePollTick();
    void updateSaveUserList();
    void placeTagEditor();
    void shutDown();

    // Handlers of the menu and tool bar.
    void toggleTagEditor();
    void showOptions();
    void showAddFiles();
    void customListFromAddition();
    void showAbout();
    void tileWindows(Qt::Orientation orientation);
    void minimizeAll();
    void clearParameterMenu();
    void existingParametersFromTray();
    void showFromTrayThen(const std::function<void()>& command);

    // The list window of the active sub-window; null when there is none.
    ListWindow* activeListWindow() const;
    void adoptListWindow(QMdiSubWindow* sub);
    void listWindowGone();
    void showError(const QString& text);
    void sweepLists(const std::function<void(ListWindow&)>& work);

    AppServices m_services;
    SongDatabase m_db;
    RQuery m_rq;
    UQuery m_uq;
    ListShared m_shared;
    std::unique_ptr<ListContext> m_listContext;

    QMdiArea* m_mdiArea = nullptr;
    Gauge* m_gauge = nullptr;
    std::unique_ptr<MainWindowMenus> m_menus;
    TagEditorWindow* m_tagEditor = nullptr;
    OptionsDialog* m_options = nullptr;
    AddFilesWindow* m_addFiles = nullptr;
    ParameterCommands* m_parameters = nullptr;
    MassRetagCommand* m_massRetag = nullptr;
    HtmlExportCommand* m_htmlExport = nullptr;
    CopyFilesCommand* m_copyFiles = nullptr;
    PlayCommands* m_playCommands = nullptr;
    SharingClient* m_sharing = nullptr;
    DownloadsCommand* m_downloads = nullptr;
    MaintenanceCommands* m_maintenance = nullptr;
    TPhantom* m_phantom = nullptr;
    // The tag editor and other tool windows follow the main window to the tray and step aside
    // for modal windows.
    ToolWindows* m_toolWindows = nullptr;

    QTimer* m_timer1 = nullptr;
    QTimer* m_otherThingsTimer = nullptr;
    QTimer* m_validator = nullptr;
    QTimer* m_timer2 = nullptr;
    QTimer* m_checkTimer = nullptr;
    QTimer* m_refreshListTimer = nullptr;
    QTimer* m_colorTimer = nullptr;
    QTimer* m_columnTimer = nullptr;
    QTimer* m_customListFromAdditionTimer = nullptr;

    std::unique_ptr<TFileSource> m_dllContainer;
    std::unique_ptr<TFileSource> m_databaseContainer;
    std::unique_ptr<TFileSource> m_dlAniContainer;
    std::unique_ptr<QTemporaryDir> m_playerLibraryDir;
    std::unique_ptr<TMPEGPlayer> m_player;
    // Goes before the player it drives.
    std::unique_ptr<PlayerTransport> m_transport;
    PlayerBar* m_playerBar = nullptr;
    // Goes before the transport it serves.
    std::unique_ptr<MprisService> m_mpris;

    QStringList m_drvs;
    QStringList m_addedNames;
    // Where the user-list dialogs open: the folder of the list saved or opened last.
    QString m_userListFolder = QDir::homePath();
    QString m_playStr;
    QString m_enqStr;
    bool m_quitRequested = false;
    bool m_shutDown = false;
    bool m_tagEditorShown = false;
    int m_itemCounter = 0;
};
