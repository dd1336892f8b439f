#pragma once

#include "lists/ParameterQuery.h"

#include <QObject>
#include <QString>

#include <functional>

class Dialogs;
class Gauge;
class ListWindow;
class ParameterDialog;
class QAction;
class QMdiArea;
class QMenu;
class QTimer;
class QWidget;
struct ListContext;

// Lists by parameters in the main window: the command that shows the dialog (Form4), the timer
// step that opens the list window after the dialog has closed (MakeTimer), the items of the
// parameter-request menu (PopupMenu3, "NItem" + the item counter) and reopening a cached
// request from one of them (InterpretItem). The main window owns it and the state it borrows.
class ParameterCommands : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        QWidget* owner = nullptr; // the main window: parent of the dialog and of MakeTimer
        ListContext* context = nullptr;
        QMdiArea* area = nullptr;
        QMenu* menu = nullptr;      // the parameter-request menu
        QAction* command = nullptr; // "Database by &parameters"
        int* itemCounter = nullptr; // "NItem" + n, shared with the start-up
        Dialogs* dialogs = nullptr;
        Gauge* gauge = nullptr;
        QString home;
    };

    explicit ParameterCommands(const Parts& parts);

    ParameterDialog* dialog() const { return m_dialog; }
    QTimer* makeTimer() const { return m_makeTimer; }

    // ToolButton4Click: shows the dialog modally.
    void showDialog();
    // MakeTimer's tick: opens the list window of the request the dialog handed over.
    void makeTimerTick();
    // InterpretItem: opens a list window for every cache line whose caption is `caption`.
    void interpretItem(const QString& caption);
    // Adds a menu item for a cache caption, named "NItem" + the raised item counter.
    QAction* addMenuItem(const QString& caption);

private:
    // Runs work started by a command; its error goes to the error box.
    void guarded(const std::function<void()>& work);
    QString cachePath() const;
    // Remembers the request in the cache, and in the menu when it is new there.
    void remember(const ParameterQuery::Request& request);

    Parts m_parts;
    ParameterDialog* m_dialog = nullptr;
    QTimer* m_makeTimer = nullptr;
    ParameterQuery::Request m_pending;
};
