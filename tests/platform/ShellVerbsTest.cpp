#include "platform/ShellVerbs.h"
#include "platform/PlayerEnqueue.h"
#include "testsupport/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct QuoteCase
{
    const char* raw;
    const char* stripped;
};

class VerbQuotes : public ::testing::TestWithParam<QuoteCase>
{};

TEST_P(VerbQuotes, OnlyALineStartingWithAQuoteLosesItsFirstTwoQuotes)
{
    const QuoteCase& c = GetParam();
    // Both verbs get the same treatment, each on its own.
    const PlayerCommands result = stripVerbQuotes(
        {QString::fromUtf8(c.raw), QStringLiteral("\"/usr/bin/player\" --add \"%1\"")});
    EXPECT_EQ(result.play, QString::fromUtf8(c.stripped));
    EXPECT_EQ(result.enqueue, QStringLiteral("/usr/bin/player --add \"%1\""));
}

INSTANTIATE_TEST_SUITE_P(
    Table, VerbQuotes,
    ::testing::Values(QuoteCase{"\"/usr/bin/vlc\" \"%1\"", "/usr/bin/vlc \"%1\""},
                      QuoteCase{"\"/opt/My Player/play\" %U", "/opt/My Player/play %U"},
                      QuoteCase{"vlc --started-from-file %U", "vlc --started-from-file %U"},
                      QuoteCase{"vlc \"%1\"", "vlc \"%1\""}, // unquoted program: unchanged
                      QuoteCase{"", ""}, QuoteCase{"\"", ""},
                      QuoteCase{"\"unterminated %U", "unterminated %U"}, QuoteCase{"\"\"", ""}));

struct EnqueueCase
{
    const char* play;
    const char* enqueue;
};

class KnownEnqueueOption : public ::testing::TestWithParam<EnqueueCase>
{};

TEST_P(KnownEnqueueOption, GoesRightAfterTheProgramAndKeepsTheRest)
{
    const EnqueueCase& c = GetParam();
    EXPECT_EQ(PlayerEnqueue::fromPlayCommand(QString::fromUtf8(c.play)),
              QString::fromUtf8(c.enqueue));
}

INSTANTIATE_TEST_SUITE_P(
    Table, KnownEnqueueOption,
    ::testing::Values(
        EnqueueCase{"audacious %U", "audacious -e %U"},
        EnqueueCase{"/usr/bin/vlc --started-from-file %U",
                    "/usr/bin/vlc --one-instance --playlist-enqueue --started-from-file %U"},
        EnqueueCase{"\"/opt/Clementine/clementine\" %U", "\"/opt/Clementine/clementine\" -a %U"},
        EnqueueCase{"VLC %U", "VLC --one-instance --playlist-enqueue %U"},
        // A helper program of the player does the adding.
        EnqueueCase{"rhythmbox %U", "rhythmbox-client --enqueue %U"},
        EnqueueCase{"/usr/bin/rhythmbox %U", "/usr/bin/rhythmbox-client --enqueue %U"},
        // Wrappers.
        EnqueueCase{"env GDK_BACKEND=x11 totem %U", "env GDK_BACKEND=x11 totem --enqueue %U"},
        EnqueueCase{"/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=/app/bin/vlc "
                    "--file-forwarding org.videolan.VLC --started-from-file @@u %U @@",
                    "/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=/app/bin/vlc "
                    "--file-forwarding org.videolan.VLC --one-instance --playlist-enqueue "
                    "--started-from-file @@u %U @@"},
        EnqueueCase{"flatpak run io.github.celluloid_player.Celluloid %U",
                    "flatpak run io.github.celluloid_player.Celluloid --enqueue %U"},
        // A helper program cannot be reached inside the sandbox.
        EnqueueCase{"flatpak run --command=rhythmbox org.gnome.Rhythmbox3 %U", ""},
        EnqueueCase{"flatpak install something", ""},
        // Players we know nothing about, and no player at all.
        EnqueueCase{"mpv --player-operation-mode=pseudo-gui -- %U", ""},
        EnqueueCase{"/usr/bin/vlc-wrapper %U", ""}, EnqueueCase{"env", ""}, EnqueueCase{"", ""}));

} // namespace
