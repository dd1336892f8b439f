#pragma once

// What a main window under test is made of: a temporary home and settings file, scripted
// dialogs, fake volumes and shell verbs, the system clock, and the services wired to them.
#include "app/ui/AppServices.h"
#include "platform/Clock.h"
#include "settings/SettingsStore.h"
#include "testsupport/FakeShellVerbs.h"
#include "testsupport/FakeVolumes.h"
#include "testsupport/ScriptedDialogs.h"
#include "testsupport/TempHome.h"

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

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

    TempHome home;
    QTemporaryDir tempDir;
    SettingsStore settings{std::make_unique<QSettings>(home.settingsFile(), QSettings::IniFormat)};
    ScriptedDialogs dialogs;
    FakeVolumes volumes;
    FakeShellVerbs shellVerbs;
    SystemClock clock;
    AppServices services;
};
