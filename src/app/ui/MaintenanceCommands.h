#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class DeleteDialog;
class Dialogs;
class Gauge;
class ListWindow;
class QMdiArea;
class QTimer;
class QWidget;
class ReindexDialog;
struct ListContext;

// The Utility menu's existence check, top 10 and re-indexing, and the list windows' "&Delete",
// on the main window's own connection to the song table. The work is the core's
// (db/Maintenance.h); this class asks, shows the gauge and reports.
class MaintenanceCommands : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        QWidget* mainWindow = nullptr;
        ListContext* context = nullptr; // the song table, the shared query, gauge and roots
        QMdiArea* area = nullptr;
        Dialogs* dialogs = nullptr;
        Gauge* gauge = nullptr; // may be null
        std::function<ListWindow*()> activeList;
    };

    explicit MaintenanceCommands(Services services, QObject* parent = nullptr);

    // Connects a list window's "&Delete" (once, however often it is adopted).
    void adopt(ListWindow* window);

    void checkExistence();
    // The top 10 window, or null when the table holds fewer than ten songs.
    ListWindow* topTen();
    // Shows the re-index dialog with the advice for the table as it is.
    void openReindex();
    void reindex();
    // "&Delete" of `window`: a user list lets the selected songs go; any other window asks
    // with the delete dialog and leaves the work to `DelShitTimer`.
    void requestDelete(ListWindow* window);

    ReindexDialog* reindexDialog() const { return m_reindexDialog; }
    DeleteDialog* deleteDialog() const { return m_deleteDialog; }
    QTimer* delShitTimer() const { return m_delShitTimer; }

signals:
    // Every list window must run its query again: at once, or after `RefreshListTimer`.
    void refreshListsRequested();
    void delayedRefreshRequested();

private:
    void removeFromUserList(ListWindow& window);
    void renumberWindows(const QHash<QString, QString>& newIds);
    void delShitTick();
    void guarded(const std::function<void()>& work);

    Services m_services;
    ReindexDialog* m_reindexDialog;
    DeleteDialog* m_deleteDialog;
    QTimer* m_delShitTimer;
};
