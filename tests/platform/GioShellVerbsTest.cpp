#include "platform/GioShellVerbs.h"
#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// One desktop set-up: the default player for MP3 files (none when `name` is empty) with its
// desktop entry's text; the Exec lines name a program of the test's own bin folder, written
// there as "@BIN@", since GIO ignores entries whose program does not exist.
struct DesktopCase
{
    const char* name;
    const char* program; // the file name of the player
    const char* entry;
    const char* play;
    const char* enqueue;
};

void PrintTo(const DesktopCase& c, std::ostream* os)
{
    *os << (c.program[0] ? c.program : "(no player)");
}

QString expand(const char* text, const QString& bin)
{
    return QString::fromUtf8(text).replace(QStringLiteral("@BIN@"), bin);
}

bool writeFile(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

// Runs in a process of its own: GIO reads the XDG folders once per process.
[[noreturn]] void readInOwnDesktop(const DesktopCase& c)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    const QString bin = root + QStringLiteral("/bin");
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_DATA_DIRS", (root + QStringLiteral("/system-data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (root + QStringLiteral("/system-config")).toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");

    bool ok = true;
    if (c.program[0]) {
        const QString program = bin + u'/' + QString::fromUtf8(c.program);
        ok = writeFile(program, QStringLiteral("#!/bin/sh\n")) &&
             QFile::setPermissions(program,
                                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
             writeFile(root + QStringLiteral("/data/applications/testplayer.desktop"),
                       expand(c.entry, bin)) &&
             writeFile(root + QStringLiteral("/config/mimeapps.list"),
                       QStringLiteral("[Default Applications]\n"
                                      "audio/mpeg=testplayer.desktop\n"));
    }
    const PlayerCommands commands = GioShellVerbs().read();
    const QString play = expand(c.play, bin);
    const QString enqueue = expand(c.enqueue, bin);
    if (!ok || commands.play != play || commands.enqueue != enqueue) {
        std::fprintf(stderr, "set-up %s\nplay    %s\nwanted  %s\nenqueue %s\nwanted  %s\n",
                     ok ? "done" : "FAILED", qPrintable(commands.play), qPrintable(play),
                     qPrintable(commands.enqueue), qPrintable(enqueue));
        std::exit(1);
    }
    std::exit(0);
}

class DesktopPlayer : public ::testing::TestWithParam<DesktopCase>
{};

TEST_P(DesktopPlayer, ReadsTheDefaultMp3PlayerAndItsEnqueueCommand)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(readInOwnDesktop(GetParam()), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, DesktopPlayer,
    ::testing::Values(
        // The player declares an enqueue action: its own Exec line, field codes as registered.
        DesktopCase{"EnqueueAction", "jukebox",
                    "[Desktop Entry]\nType=Application\nName=Jukebox\n"
                    "Exec=@BIN@/jukebox --play %U\nMimeType=audio/mpeg;\n"
                    "Actions=Open;Enqueue;\n\n"
                    "[Desktop Action Open]\nName=Open a new window\nExec=@BIN@/jukebox --new\n\n"
                    "[Desktop Action Enqueue]\nName=Queue\nExec=@BIN@/jukebox --queue %F\n",
                    "@BIN@/jukebox --play %U", "@BIN@/jukebox --queue %F"},
        // An "Add to playlist" action when there is no enqueue action.
        DesktopCase{"AddToPlaylistAction", "jukebox",
                    "[Desktop Entry]\nType=Application\nName=Jukebox\n"
                    "Exec=@BIN@/jukebox %U\nMimeType=audio/mpeg;\nActions=add;\n\n"
                    "[Desktop Action add]\nName=Add to playlist\nExec=@BIN@/jukebox -add %U\n",
                    "@BIN@/jukebox %U", "@BIN@/jukebox -add %U"},
        // No action: the option of a player we know.
        DesktopCase{"KnownPlayerOption", "audacious",
                    "[Desktop Entry]\nType=Application\nName=Audacious\n"
                    "Exec=@BIN@/audacious %U\nMimeType=audio/mpeg;\n",
                    "@BIN@/audacious %U", "@BIN@/audacious -e %U"},
        // A player we do not know: play only.
        DesktopCase{"UnknownPlayer", "jukebox",
                    "[Desktop Entry]\nType=Application\nName=Jukebox\n"
                    "Exec=@BIN@/jukebox %U\nMimeType=audio/mpeg;\n",
                    "@BIN@/jukebox %U", ""},
        // Nothing registered for MP3 files.
        DesktopCase{"NoPlayer", "", "", "", ""}),
    RowName());

} // namespace
