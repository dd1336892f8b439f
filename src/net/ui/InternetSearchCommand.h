#pragma once

#include <QObject>
#include <QString>

class Dialogs;
class ListWindow;
class QMdiArea;
class SearchWindow;
class SettingsStore;
class SharingClient;
struct ListContext;

// "Search an Internet based Personal Tamboro Server and download files": opens the search
// window (`ToolButton22Click`) and turns each answer into a window of results (`SearchRes`).
// A results window is a user-list window made for rows of other computers: one row at a time
// is selected, nothing is sorted by a header click or dragged out, its menu is "Download", it
// has no filter panel, and its hide box is off. It holds at most fifty rows, in artist order,
// and says so in its status bar.
class InternetSearchCommand : public QObject
{
    Q_OBJECT
public:
    struct Context
    {
        QWidget* mainWindow = nullptr; // the search window's parent
        ListContext* lists = nullptr;
        QMdiArea* area = nullptr;
        SharingClient* sharing = nullptr;
        Dialogs* dialogs = nullptr;
        const SettingsStore* settings = nullptr;
        QString home;
    };

    InternetSearchCommand(const Context& context, QObject* parent = nullptr);

    SearchWindow* searchWindow() const { return m_window; }

    // Shows the search window modally; returns when it closes.
    void open();

    // The results window of `answer` (the whole message, verb and all), searched as the
    // search window says (server, artist, title). Throws what opening a list window throws.
    ListWindow* searchRes(const QString& answer);

private:
    Context m_ctx;
    SearchWindow* m_window = nullptr;
};
