#include "platform/ShellVerbs.h"
#include "platform/PlayerEnqueue.h"
#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct QuoteCase
{
    const char* name;
    const char* raw;
    const char* stripped;
};

void PrintTo(const QuoteCase& c, std::ostream* os)
{
    *os << c.name;
}

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
    ::testing::Values(
        QuoteCase{"QuotedProgramAndArgument", "\"/usr/bin/vlc\" \"%1\"", "/usr/bin/vlc \"%1\""},
        QuoteCase{"QuotedProgramWithSpace", "\"/opt/My Player/play\" %U", "/opt/My Player/play %U"},
        QuoteCase{"UnquotedLine", "vlc --started-from-file %U", "vlc --started-from-file %U"},
        QuoteCase{"UnquotedProgramQuotedArgument", "vlc \"%1\"",
                  "vlc \"%1\""}, // unquoted program: unchanged
        QuoteCase{"Empty", "", ""}, QuoteCase{"LoneQuote", "\"", ""},
        QuoteCase{"Unterminated", "\"unterminated %U", "unterminated %U"},
        QuoteCase{"TwoQuotesOnly", "\"\"", ""}),
    RowName());

struct EnqueueCase
{
    const char* name;
    const char* play;
    const char* enqueue;
};

void PrintTo(const EnqueueCase& c, std::ostream* os)
{
    *os << c.name;
}

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
        EnqueueCase{"Audacious", "audacious %U", "audacious -e %U"},
        EnqueueCase{"VlcByPath", "/usr/bin/vlc --started-from-file %U",
                    "/usr/bin/vlc --one-instance --playlist-enqueue --started-from-file %U"},
        EnqueueCase{"QuotedClementine", "\"/opt/Clementine/clementine\" %U",
                    "\"/opt/Clementine/clementine\" -a %U"},
        EnqueueCase{"VlcInCapitals", "VLC %U", "VLC --one-instance --playlist-enqueue %U"},
        // A helper program of the player does the adding.
        EnqueueCase{"Rhythmbox", "rhythmbox %U", "rhythmbox-client --enqueue %U"},
        EnqueueCase{"RhythmboxByPath", "/usr/bin/rhythmbox %U",
                    "/usr/bin/rhythmbox-client --enqueue %U"},
        // Wrappers.
        EnqueueCase{"TotemBehindEnv", "env GDK_BACKEND=x11 totem %U",
                    "env GDK_BACKEND=x11 totem --enqueue %U"},
        EnqueueCase{"VlcInFlatpak",
                    "/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=/app/bin/vlc "
                    "--file-forwarding org.videolan.VLC --started-from-file @@u %U @@",
                    "/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=/app/bin/vlc "
                    "--file-forwarding org.videolan.VLC --one-instance --playlist-enqueue "
                    "--started-from-file @@u %U @@"},
        EnqueueCase{"CelluloidInFlatpak", "flatpak run io.github.celluloid_player.Celluloid %U",
                    "flatpak run io.github.celluloid_player.Celluloid --enqueue %U"},
        // A helper program cannot be reached inside the sandbox.
        EnqueueCase{"RhythmboxInFlatpak", "flatpak run --command=rhythmbox org.gnome.Rhythmbox3 %U",
                    ""},
        EnqueueCase{"FlatpakWithoutPlayer", "flatpak install something", ""},
        // Players we know nothing about, and no player at all.
        EnqueueCase{"Mpv", "mpv --player-operation-mode=pseudo-gui -- %U", ""},
        EnqueueCase{"VlcWrapper", "/usr/bin/vlc-wrapper %U", ""},
        EnqueueCase{"EnvAlone", "env", ""}, EnqueueCase{"Empty", "", ""}),
    RowName());

} // namespace
