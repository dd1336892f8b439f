#pragma once

#include "platform/DesktopOpener.h"

#include <QStringList>

// The desktop's programs for files, for tests: whether one is registered and whether starting
// it fails are the test's to set; the files it was asked to open are recorded, nothing starts.
class FakeDesktopOpener final : public DesktopOpener
{
public:
    bool registered = true;
    std::optional<QString> failure; // the reason open() gives, nothing: it succeeds
    mutable QStringList opened;     // the paths handed to open(), in order

    bool canOpen(const QString&) const override { return registered; }
    std::optional<QString> open(const QString& path) const override
    {
        opened << path;
        return failure;
    }
};
