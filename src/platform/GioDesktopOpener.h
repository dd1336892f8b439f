#pragma once

#include "platform/DesktopOpener.h"

// The desktop's program for a file, asked through GIO: the default application for the file's
// type in the freedesktop MIME associations (mimeapps.list, else an application that declares
// the type), the type told by the file's name and contents.
class GioDesktopOpener final : public DesktopOpener
{
public:
    bool canOpen(const QString& path) const override;
    std::optional<QString> open(const QString& path) const override;
};
