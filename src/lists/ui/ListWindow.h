#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class ListModel;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QTimer;
class QTreeView;
struct ListContext;
struct ListEntry;

// A list window (`TMDIChild`): one list of songs with its own base query (QUT), sort choice,
// filter texts and membership list (UsrHdrs). It lives inside a QMdiSubWindow of the main
// window; the openers in ListOpeners.h create and place it. Its name is "Child" + the shared
// window counter, which the constructor raises.
//
// The rows come from the shared read query through the core list building; the model holds
// them and is replaced in one reset per build. The window does no command work itself: each
// context-menu command is an action that emits a signal for the main window.
//
// Rows are dragged out of any list window and dropped onto a user list (ListWindowDrop.cpp).
class ListWindow : public QWidget
{
    Q_OBJECT
public:
    enum class Command {
        Play,
        Enqueue,
        PlayList,
        EnqueueList,
        Delete,
        MassRetag,
        HtmlPage,
        CopyFiles,
        Download,
    };

    explicit ListWindow(ListContext& context, QWidget* parent = nullptr);
    ~ListWindow() override;

    ListModel* model() const { return m_model; }
    QTreeView* listView() const { return m_view; }

    // The caption is the window title; the openers set it, and the window tests it.
    QString caption() const { return windowTitle(); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }
    // A caption with "User List " marks a user list; one with "Search " a window whose rows
    // must not be edited.
    bool isUserList() const;
    bool isSearchResult() const;

    // The base query: one statement without an order clause; empty when the window cannot be
    // re-queried.
    const QString& qut() const { return m_qut; }
    // The record filter the last re-query applied ("artist = 'be*'"), empty for none.
    const QString& recordFilter() const { return m_recordFilter; }
    void setQut(const QString& qut) { m_qut = qut; }
    // Song IDs: the membership of a user list, else the IDs of the rows built last.
    const QStringList& usrHdrs() const { return m_usrHdrs; }
    void setUsrHdrs(const QStringList& ids) { m_usrHdrs = ids; }

    // Sort key 0..8 (ComboBox1) and direction, 0 from A to Z, 1 from Z to A (ComboBox2).
    int sortKey() const;
    void setSortKey(int key);
    int sortDirection() const;
    void setSortDirection(int direction);
    // Sort key 0, direction 0, the ascending arrow on the first column, and "Artist" as the
    // shared last clicked column: the state of every new window.
    void resetSort();

    // This window's own record of its last header click: the caption (empty before the first)
    // and the column index (the window's Tag).
    const QString& lastClickedCaption() const { return m_lastClickedCaption; }
    int tag() const { return m_tag; }
    // The column index clicked before the switch to file-name order, plus 1; 0 when none.
    int savedColumnIndex() const { return m_savedColumnIndex; }

    // The four status panels ("Songs in list: 3", ...), index 0 to 3.
    QString panelText(int index) const;

    // The caption of a user list while it is built from a file: the build that ends it takes
    // the songs found as the list's members.
    static QString loadingCaption();
    // Shows no rows, as a build of an empty result does (a list whose songs were not found).
    void showNoSongs();
    // Empties a user list whose every song was taken out: no rows, no members, no query, and
    // "No songs in list." as the only status text.
    void emptyUserList();
    // Drag and drop: whether rows dragged from the window named `source` are taken here (a
    // user list other than the source), and taking them: the songs `ids` go before the
    // list's members, and the list is queried again with its sort order and filters.
    bool acceptsSongsFrom(const QString& source) const;
    void dropSongs(const QStringList& ids);

    // Builds the rows from the shared query, which the caller has opened on this window's
    // statement: replaces the rows, fills the panels, selects the first row, and switches a
    // one-album list to file-name order (and back). Throws what the query throws.
    void makeList();
    // Re-runs the base query with the sort order and filter texts and rebuilds the rows.
    // Does nothing while QUT is empty. Throws EDatabaseError when the engine refuses the
    // statement or a filter text cannot be expressed; the rows shown stay as they were.
    void refreshList();
    // Sorts by the column at `index` as a click on its header does.
    void headerClicked(int index);
    // Visible columns and their minimum widths from the settings; the columns are then fitted
    // to the rows shown.
    void makeColumns();
    // Background colour, font face and text colour of the list from the settings.
    void applyColors();

    // Publishes the selected rows' IDs and this window's name in the shared NowSelected.
    // Returns false, publishing nothing, when no row is selected.
    bool publishSelection();
    // Loads the first selected row into the tag editor.
    void submitItemInfo();
    // What a click on the list does: publishes the selection and loads the first selected row
    // into the tag editor. False when no row is selected.
    bool runClickBehaviour() { return clickBehaviour(true); }
    // The window became the active one.
    void windowActivated();
    // The enabling of the context menu's items for its opening.
    void updateMenuEnabling();

    // Row numbers of the selected rows, in row order.
    std::vector<int> selectedRows() const;

    QAction* action(Command command) const;
    // Internet search results use the menu with the single item "Download" instead.
    void setDownloadMenu(bool on) { m_useDownloadMenu = on; }
    QMenu* contextMenu() const;
    // What a window of search results switches off: sorting by a header click, selecting more
    // than one row, dragging rows out, the filter panel and the hide box.
    void setHeaderSorting(bool on);
    void setMultipleSelection(bool on);
    void setRowDragging(bool on);
    void setFilterPanelVisible(bool on);
    void setHideBoxEnabled(bool on);
    // Status panel texts set by the window's opener, index 0 to 3.
    void setPanelTexts(const QStringList& texts) { setPanels(texts); }

signals:
    void playRequested(ListWindow* window);
    void enqueueRequested(ListWindow* window);
    void playListRequested(ListWindow* window);
    void enqueueListRequested(ListWindow* window);
    void deleteRequested(ListWindow* window);
    void massRetagRequested(ListWindow* window);
    void htmlPageRequested(ListWindow* window);
    void copyFilesRequested(ListWindow* window);
    void downloadRequested(ListWindow* window);
    // An error of work the window started from its own events; the main window shows it.
    void errorRaised(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createTopPanel();
    void createList();
    void createStatusBar();
    void createMenus();
    void setInitialColumns();
    // Widens the shown columns to their texts, each at least its minimum width. Runs on every
    // build, so a width the user dragged lasts until the next one.
    void fitColumns();
    void filterEdited();
    void hideBoxClicked();
    void timer1Fired();
    void listClicked();
    // Publishes and loads the editor when a row is selected; false when none is.
    bool clickBehaviour(bool searchTest);
    void showContextMenu(const QPoint& position);
    void setPanels(const QStringList& texts);
    // Runs work started by an event of the window; its errors become errorRaised.
    void guarded(const std::function<void()>& work);
    // The drag events of the list's viewport; true when the event was handled.
    bool dragEvent(QEvent* event);

    ListContext& m_ctx;
    ListModel* m_model = nullptr;
    QWidget* m_topPanel = nullptr;
    QLineEdit* m_artistEdit = nullptr;
    QLineEdit* m_titleEdit = nullptr;
    QLineEdit* m_albumEdit = nullptr;
    QCheckBox* m_hideBox = nullptr;
    QTreeView* m_view = nullptr;
    QComboBox* m_sortKeyBox = nullptr;
    QComboBox* m_directionBox = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_panels[4] = {};
    QTimer* m_timer1 = nullptr;
    QMenu* m_popupMenu1 = nullptr;
    QMenu* m_popupMenu2 = nullptr;
    QMenu* m_exportMenu = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_actions[9] = {};
    bool m_useDownloadMenu = false;
    // The rebuild under way was started by the filter boxes or the hide box.
    bool m_refreshFromPanel = false;

    QString m_qut;

    QString m_recordFilter;
    QStringList m_usrHdrs;
    QString m_lastClickedCaption;
    int m_tag = 0;
    int m_savedColumnIndex = 0;
    // Per column, the narrowest it is shown at; 0 hides it.
    std::vector<int> m_minimumWidths;
};
