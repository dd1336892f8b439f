// GIO first: its headers use "signals" as a plain name, which Qt's keywords would replace.
// This file is also compiled with QT_NO_KEYWORDS.
#include <gio/gio.h>

#include "platform/GioDesktopOpener.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>

#include <memory>

namespace {

struct ObjectDeleter
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfo = std::unique_ptr<GAppInfo, ObjectDeleter>;
using File = std::unique_ptr<GFile, ObjectDeleter>;

// The type comes from Qt's MIME database, which carries its own copy of the freedesktop types:
// GIO's guess needs the shared database on disk, which a desktop without one lacks.
AppInfo handlerFor(const QString& path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid() || type.isDefault())
        return nullptr;
    return AppInfo(g_app_info_get_default_for_type(type.name().toUtf8().constData(), FALSE));
}

} // namespace

bool GioDesktopOpener::canOpen(const QString& path) const
{
    return handlerFor(path) != nullptr;
}

std::optional<QString> GioDesktopOpener::open(const QString& path) const
{
    const AppInfo app = handlerFor(path);
    if (!app)
        return QStringLiteral("No program is registered to open %1.")
            .arg(QDir::toNativeSeparators(path));
    const File file(g_file_new_for_path(QFile::encodeName(path).constData()));
    GList files = {file.get(), nullptr, nullptr};
    GError* error = nullptr;
    if (g_app_info_launch(app.get(), &files, nullptr, &error))
        return std::nullopt;
    const QString reason = error ? QString::fromUtf8(error->message)
                                 : QStringLiteral("%1 could not be started.")
                                       .arg(QString::fromUtf8(g_app_info_get_name(app.get())));
    g_clear_error(&error);
    return reason;
}
