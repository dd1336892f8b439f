// GIO first: its headers use "signals" as a plain name, which Qt's keywords would replace.
// This file is also compiled with QT_NO_KEYWORDS.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/GioShellVerbs.h"

#include "platform/PlayerEnqueue.h"

#include <QByteArray>

#include <memory>

namespace {

const char* const mp3ContentType = "audio/mpeg";

struct KeyFileDeleter
{
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileDeleter>;

struct ObjectDeleter
{
    void operator()(gpointer object) const { g_object_unref(object); }
};

QString takeString(gchar* text)
{
    const QString result = text ? QString::fromUtf8(text) : QString();
    g_free(text);
    return result;
}

// Lower case, with dashes and underscores read as blanks, so that "add-to-playlist",
// "AddToPlaylist"-like ids and "Add to playlist" compare alike where it matters.
QString normalised(const QString& text)
{
    QString result = text.toLower();
    result.replace(u'-', u' ');
    result.replace(u'_', u' ');
    return result;
}

// The Exec line of the application's first desktop action whose id or (untranslated) name
// contains `wanted`, or an empty string.
QString actionCommand(GDesktopAppInfo* app, GKeyFile* file, const QString& wanted)
{
    const gchar* const* actions = g_desktop_app_info_list_actions(app);
    for (; actions && *actions; ++actions) {
        const QByteArray group = QByteArray("Desktop Action ") + *actions;
        const QString name =
            takeString(g_key_file_get_string(file, group.constData(), "Name", nullptr));
        if (!normalised(QString::fromUtf8(*actions)).contains(wanted) &&
            !normalised(name).contains(wanted))
            continue;
        const QString exec =
            takeString(g_key_file_get_string(file, group.constData(), "Exec", nullptr));
        if (!exec.trimmed().isEmpty())
            return exec;
    }
    return {};
}

QString enqueueAction(GDesktopAppInfo* app)
{
    const char* path = g_desktop_app_info_get_filename(app);
    if (!path)
        return {};
    KeyFile file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path, G_KEY_FILE_NONE, nullptr))
        return {};
    QString exec = actionCommand(app, file.get(), QStringLiteral("enqueue"));
    if (exec.isEmpty())
        exec = actionCommand(app, file.get(), QStringLiteral("add to playlist"));
    return exec;
}

} // namespace

PlayerCommands GioShellVerbs::read() const
{
    PlayerCommands commands;
    std::unique_ptr<GAppInfo, ObjectDeleter> app(
        g_app_info_get_default_for_type(mp3ContentType, FALSE));
    if (!app)
        return commands;
    if (const char* line = g_app_info_get_commandline(app.get()))
        commands.play = QString::fromUtf8(line);
    if (G_IS_DESKTOP_APP_INFO(app.get()))
        commands.enqueue = enqueueAction(G_DESKTOP_APP_INFO(app.get()));
    if (commands.enqueue.isEmpty())
        commands.enqueue = PlayerEnqueue::fromPlayCommand(commands.play);
    return commands;
}
