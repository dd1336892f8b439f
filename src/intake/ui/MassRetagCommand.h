#pragma once

#include "intake/MassRetag.h"

#include <QObject>
#include <QString>

#include <functional>

class Dialogs;
class Gauge;
class ListWindow;
class MassRetagWindow;
class QTimer;
class QWidget;

// The mass re-tagger as the main window offers it: the list window's "Mass re-tag" and the
// menu item "Mass re-tagger" open the window (TForm13) for the active list's selection; its
// "Mass re-tag!" starts the one-shot timer `Massrename`, whose run changes the selected songs
// on a worker thread while the main window stays painted, takes no input and shows the run on
// its gauge.
class MassRetagCommand : public QObject
{
    Q_OBJECT
public:
    using ActiveList = std::function<ListWindow*()>;

    MassRetagCommand(QString home, Dialogs& dialogs, QWidget* mainWindow, Gauge* gauge,
                     ActiveList activeList);

    // Opens the window for the selection of `list`: fewer than two selected rows get the
    // "DOH!!!" message instead; a null list does nothing.
    void open(ListWindow* list);

    MassRetagWindow* window() const { return m_window; }
    QTimer* timer() const { return m_timer; }
    // What the last run did.
    const MassRetag::Result& lastResult() const { return m_lastResult; }

signals:
    // Around a run: the main window lets go of the song table and holds back its own commands.
    void runStarting();
    void runFinished();
    // The run is over: every list window must run its query again.
    void refreshListsRequested();

private:
    void massRename();
    void showProgress(int position, int maximum, const QString& text);

    QString m_home;
    Dialogs& m_dialogs;
    QWidget* m_mainWindow;
    Gauge* m_gauge;
    ActiveList m_activeList;
    MassRetagWindow* m_window;
    QTimer* m_timer;
    MassRetag::Result m_lastResult;
};
