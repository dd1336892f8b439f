#include "lists/PlayHandoff.h"
#include "lists/PlayedSongs.h"
#include "testsupport/CaseNames.h"
#include "testsupport/CliOutput.h"
#include "testsupport/RegisteredPlayer.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace {

// `play` on the three played songs, handed to the player the test's desktop registers.
class PlayCommandTest : public ::testing::Test
{
protected:
    QString playCounts() const { return songs.playCounts().join(u','); }
    QByteArray playlistOf(const std::vector<int>& played) const { return songs.playlistOf(played); }

    TempHome home;
    PlayedSongs songs{home.path()};
    const QStringList& paths = songs.paths;
};

struct PlayCase
{
    const char* name;
    std::vector<const char*> args;
    const char* option;
    std::vector<int> played;
    const char* counts;
};

void PrintTo(const PlayCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlayCommand : public PlayCommandTest, public ::testing::WithParamInterface<PlayCase>
{};

TEST_P(PlayCommand, StartsTheRegisteredPlayerWithThePlaylist)
{
    const PlayCase& c = GetParam();
    RegisteredPlayer& player = RegisteredPlayer::instance();
    player.clear();
    QStringList args{QStringLiteral("play")};
    for (const char* arg : c.args)
        args << QString::fromUtf8(arg);

    const CliRun run = runCli(home.path(), args);

    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(player.waitForRuns(1));
    const QString playlist = PlayHandoff::handoffPath(home.path());
    EXPECT_EQ(player.runs().first().arguments, (QStringList{QLatin1String(c.option), playlist}));
    EXPECT_EQ(player.runs().first().playlist, playlistOf(c.played));
    EXPECT_EQ(playCounts(), QLatin1String(c.counts));
    const QString out = QString::fromUtf8(run.out);
    EXPECT_TRUE(out.startsWith(QStringLiteral("command: %1 %2 \"%3\"\nplaylist: %3\n")
                                   .arg(player.program(), QLatin1String(c.option), playlist)))
        << run.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlayCommand,
    ::testing::Values(
        PlayCase{"Ids", {"--ids", "3,1"}, "--play", {0, 2}, "1,4,10"},
        PlayCase{"EnqueueIds", {"--enqueue", "--ids", "2"}, "--enqueue", {1}, "0,5,9"},
        PlayCase{"QueryInItsOrder",
                 {"--query", "select * from tamboro order by artist desc"},
                 "--play",
                 {2, 1, 0},
                 "1,5,10"},
        PlayCase{"EnqueueAll",
                 {"--enqueue", "--all", "--query", "select * from tamboro where ID>1"},
                 "--enqueue",
                 {1, 2},
                 "0,5,10"}),
    RowName());

TEST_F(PlayCommandTest, NothingStartedIsAnErrorAndCountsNothing)
{
    // A desktop without an MP3 player: XDG folders of its own, empty.
    QTemporaryDir bare;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
        env.insert(QLatin1String(name), bare.path() + u'/' + QLatin1String(name));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(T3_BINARY_DIR "/bin/tamboro3-cli"),
                  {QStringLiteral("--home"), home.path(), QStringLiteral("play"),
                   QStringLiteral("--ids"), QStringLiteral("1")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("No program is registered"));

    // Files that are all gone.
    RegisteredPlayer::instance().clear();
    for (const QString& path : paths)
        QFile::remove(path);
    const CliRun run =
        runCli(home.path(), {QStringLiteral("play"), QStringLiteral("--all"),
                             QStringLiteral("--query"), QStringLiteral("select * from tamboro")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("nothing to play")) << run.err.toStdString();
    EXPECT_TRUE(RegisteredPlayer::instance().runs().isEmpty());
    EXPECT_EQ(playCounts(), QStringLiteral("0,4,9"));
}

} // namespace
