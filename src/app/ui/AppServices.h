#pragma once

#include <QString>

class Clock;
class DesktopOpener;
class Dialogs;
class SettingsStore;
class ShellVerbs;
class Volumes;

// What the composition root hands the windows: the home folder and the services of the
// operating system. Tests hand fakes (temporary home, scripted dialogs, folders as media).
struct AppServices
{
    QString home;    // the folder of tamboro.db, reqs.dat and the decoder library
    QString tempDir; // where the embedded files are written out (empty: the system's)
    SettingsStore* settings = nullptr;
    Dialogs* dialogs = nullptr;
    Volumes* volumes = nullptr;
    ShellVerbs* shellVerbs = nullptr;
    // The desktop's programs for saved files (a browser for an exported page); null: none.
    DesktopOpener* desktopOpener = nullptr;
    Clock* clock = nullptr;
    // Whether the desktop shows tray icons; without one, closing the main window quits.
    bool trayAvailable = false;
};
