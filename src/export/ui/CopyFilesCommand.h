#pragma once

#include "export/FileCopy.h"

#include <QObject>
#include <QString>
#include <QStringList>

class CopyWindow;
class Dialogs;
class Gauge;
class ListWindow;
class QWidget;

// "File functions > Copy selected files to..." of a list window: the folder browser, then the
// files of the selected rows that exist (as list building found them, in list order) are
// copied there in the window "Copying files...", and a message tells how it went.
class CopyFilesCommand : public QObject
{
    Q_OBJECT
public:
    // The copy window belongs to `mainWindow`; without one, to the command.
    CopyFilesCommand(Dialogs& dialogs, QWidget* mainWindow, Gauge* gauge);
    ~CopyFilesCommand() override;

    // The whole command for the selection of `list`; a null list does nothing. Reports what
    // goes wrong itself: nothing is thrown.
    void run(ListWindow* list);

    CopyWindow* window() const { return m_window; }
    // The files of the last run, and what became of them.
    const QStringList& sources() const { return m_sources; }
    const FileCopy::Result& lastResult() const { return m_lastResult; }

    // The closing message for a run of `count` files into `folder`: the count copied, and the
    // files that failed with the reason of each.
    static QString summary(const FileCopy::Result& result, int count, const QString& folder);

private:
    void copySelection(ListWindow* list);
    void collectSources(ListWindow* list);

    Dialogs& m_dialogs;
    Gauge* m_gauge;
    CopyWindow* m_window;
    bool m_ownsWindow;
    QString m_lastFolder;
    QStringList m_sources;
    FileCopy::Result m_lastResult;
};
