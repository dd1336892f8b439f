#pragma once

// Services for benchmarks that run the main window: nobody answers its dialogs and the desktop
// knows no player.
#include "app/ui/AppServices.h"
#include "platform/Clock.h"
#include "platform/ShellVerbs.h"
#include "platform/Volumes.h"
#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"

#include <QDir>
#include <QSettings>

#include <cstdio>
#include <memory>

// A benchmark has nobody to answer a dialog: any message is printed and counts as a failure,
// pickers and prompts are cancelled.
class PrintingDialogs : public Dialogs
{
public:
    int messages = 0;
    Answer message(Kind, const QString& text, const QString&) override
    {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Answer::No;
    }
    std::optional<QColor> pickColor(const QColor&) override { return {}; }
    std::optional<QFont> pickFont(const QFont&, QColor&) override { return {}; }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override
    {
        return {};
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override
    {
        return {};
    }
    std::optional<QString> pickFolder(const QString&, const QString&) override { return {}; }
    std::optional<QString> prompt(const QString&, const QString&, const QString&) override
    {
        return {};
    }
    std::optional<int> choose(const QString&, const QString&, const QStringList&) override
    {
        return {};
    }
};

class NoShellVerbs final : public ShellVerbs
{
public:
    PlayerCommands read() const override { return {}; }
};

// What a main window of a benchmark runs on: the home `home`, and a settings file and temporary
// files in the folder `work`.
struct BenchApp
{
    BenchApp(const QString& home, const QString& work)
        : settings(std::make_unique<QSettings>(QDir(work).filePath(QStringLiteral("t.conf")),
                                               QSettings::IniFormat))
    {
        services.home = home;
        services.tempDir = work;
        services.settings = &settings;
        services.dialogs = &dialogs;
        services.volumes = &volumes;
        services.shellVerbs = &shellVerbs;
        services.clock = &clock;
    }

    SettingsStore settings;
    PrintingDialogs dialogs;
    SystemVolumes volumes;
    NoShellVerbs shellVerbs;
    SystemClock clock;
    AppServices services;
};
