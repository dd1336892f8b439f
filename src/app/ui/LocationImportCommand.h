#pragma once

#include <QObject>
#include <QString>

class Dialogs;
class Gauge;
class LocationImportWindow;
class QAction;
class SettingsStore;
class QWidget;

// "Add data from another database": the import window opens with an empty path field; its
// "Import" copies the CD and network songs of the chosen table into ours on a worker thread
// (the gauge shows how far), says how many came or why none did, and closes the window after
// an import.
class LocationImportCommand : public QObject
{
    Q_OBJECT
public:
    LocationImportCommand(QString home, Dialogs& dialogs, const SettingsStore& settings,
                          QWidget* mainWindow, Gauge* gauge);

    // Shows the window modally, its path field empty.
    void open();

    LocationImportWindow* window() const { return m_window; }
    // The text shown after an import of `count` songs.
    static QString importedText(int count);

signals:
    // Songs came in: the list windows must run their queries again.
    void refreshListsRequested();

private:
    void runImport(const QString& path);

    QString m_home;
    Dialogs& m_dialogs;
    const SettingsStore& m_settings;
    Gauge* m_gauge;
    LocationImportWindow* m_window;
};
