#pragma once

// What a main window under test is made of: a temporary home and settings file, scripted
// dialogs, fake volumes and shell verbs, the system clock, and the services wired to them;
// and the ways a test starts the window and reaches its timers and actions.
#include "app/ui/AppServices.h"
#include "app/ui/MainWindow.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "platform/Clock.h"
#include "settings/SettingsStore.h"
#include "testsupport/FakeShellVerbs.h"
#include "testsupport/FakeVolumes.h"
#include "testsupport/ScriptedDialogs.h"
#include "testsupport/TempHome.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

struct AppHarness
{
    AppHarness()
    {
        services.home = home.path();
        services.tempDir = tempDir.path();
        services.settings = &settings;
        services.dialogs = &dialogs;
        services.volumes = &volumes;
        services.shellVerbs = &shellVerbs;
        services.clock = &clock;
        services.trayAvailable = true;
    }

    std::unique_ptr<MainWindow> start()
    {
        auto window = std::make_unique<MainWindow>(services);
        window->show();
        return window;
    }

    static QTimer* timer(MainWindow& window, const char* name)
    {
        return window.findChild<QTimer*>(QLatin1String(name));
    }
    // Fires the timer `name` of the window now, as its time running out would.
    static void tick(MainWindow& window, const char* name)
    {
        QTimer* t = timer(window, name);
        EXPECT_NE(t, nullptr) << name;
        if (t)
            QMetaObject::invokeMethod(t, "timeout", Qt::DirectConnection);
    }
    static QAction* act(MainWindow& window, const char* name)
    {
        auto* a = window.findChild<QAction*>(QLatin1String(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    // Selects exactly the rows `rows` of a list window, as clicks with Ctrl would.
    static void selectRows(ListWindow& list, const std::vector<int>& rows)
    {
        QItemSelectionModel* selection = list.listView()->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(list.model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // The whole database in a list window (rows in artist order), with `rows` selected.
    static ListWindow* openWholeDatabase(MainWindow& window, const std::vector<int>& rows)
    {
        act(window, "Wholedatabase1")->trigger();
        ListWindow* list = window.listWindows().value(0);
        EXPECT_NE(list, nullptr);
        if (list)
            selectRows(*list, rows);
        return list;
    }

    TempHome home;
    QTemporaryDir tempDir;
    SettingsStore settings{std::make_unique<QSettings>(home.settingsFile(), QSettings::IniFormat)};
    ScriptedDialogs dialogs;
    FakeVolumes volumes;
    FakeShellVerbs shellVerbs;
    SystemClock clock;
    AppServices services;
};
