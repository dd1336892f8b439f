#pragma once

// Services for benchmarks that run the main window: nobody answers its dialogs and the desktop
// knows no player.
#include "platform/ShellVerbs.h"
#include "ui/Dialogs.h"

#include <cstdio>

// A benchmark has nobody to answer a dialog: any message is printed and counts as a failure.
class PrintingDialogs final : public Dialogs
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
};

class NoShellVerbs final : public ShellVerbs
{
public:
    PlayerCommands read() const override { return {}; }
};
