#pragma once

#include <QString>

#include <optional>

// Opening a file as the desktop's file manager does: with the program registered for the
// file's type (a web browser for an HTML page).
class DesktopOpener
{
public:
    virtual ~DesktopOpener() = default;
    // Whether the desktop has a program for files such as `path`.
    virtual bool canOpen(const QString& path) const = 0;
    // Starts that program with `path`: nothing when it started, else why it did not.
    virtual std::optional<QString> open(const QString& path) const = 0;
};
