#include "app/ui/PlayCommands.h"
#include "app/ui/AppHarness.h"
#include "app/ui/MainWindow.h"
#include "lists/PlayHandoff.h"
#include "lists/PlayedSongs.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "platform/GioShellVerbs.h"
#include "player/PlayerTransport.h"
#include "player/TMPEGPlayer.h"
#include "testsupport/CaseNames.h"
#include "testsupport/RegisteredPlayer.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <gtest/gtest.h>

#include <vector>

namespace {

// The main window on the three played songs.
class PlayCommandsTest : public ::testing::Test, protected AppHarness
{
protected:
    static QStringList shownCounts(ListWindow& list)
    {
        QStringList counts;
        for (const ListEntry& row : list.model()->entries())
            counts << row.value(ListEntry::Played);
        return counts;
    }

    QStringList playCounts() const { return songs.playCounts(); }
    QByteArray playlistOf(const std::vector<int>& played) const { return songs.playlistOf(played); }

    PlayedSongs songs{home.path()};
    const QStringList& paths = songs.paths;
};

// One command of a list window given to the player the desktop registers.
struct HandoffCase
{
    const char* name;
    const char* action;
    std::vector<int> selected;
    bool sortByTitle;
    const char* option;      // the player's option: play or enqueue
    std::vector<int> played; // the songs of the playlist, in its order
    const char* counts;      // the play counts afterwards, by ID
};

void PrintTo(const HandoffCase& c, std::ostream* os)
{
    *os << c.name;
}

class Handoff : public PlayCommandsTest, public ::testing::WithParamInterface<HandoffCase>
{};

TEST_P(Handoff, TheRegisteredPlayerGetsThePlaylistAndTheCountsGoUp)
{
    const HandoffCase& c = GetParam();
    RegisteredPlayer& player = RegisteredPlayer::instance();
    player.clear();
    GioShellVerbs desktop;
    services.shellVerbs = &desktop;
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, c.selected);
    ASSERT_NE(list, nullptr);
    if (c.sortByTitle)
        list->headerClicked(1);

    list->action(ListWindow::Command(
                     QStringList{"Play1", "Enqueue1", "PlayList1", "EnqueueList1"}.indexOf(
                         QLatin1String(c.action))))
        ->trigger();

    ASSERT_TRUE(player.waitForRuns(1));
    const RegisteredPlayer::Run run = player.runs().first();
    const QString handoff = PlayHandoff::handoffPath(home.path());
    EXPECT_EQ(run.arguments, (QStringList{QString::fromLatin1(c.option), handoff}));
    EXPECT_EQ(run.playlist, playlistOf(c.played));
    EXPECT_EQ(playCounts().join(u','), QLatin1String(c.counts));
    EXPECT_EQ(
        window->playCommands()->lastCommand(),
        QStringLiteral("%1 %2 \"%3\"").arg(player.program(), QLatin1String(c.option), handoff));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Handoff,
    ::testing::Values(
        HandoffCase{"PlaySelection", "Play1", {0, 2}, false, "--play", {0, 2}, "1,4,10"},
        HandoffCase{"EnqueueSelection", "Enqueue1", {1}, false, "--enqueue", {1}, "0,5,9"},
        HandoffCase{"PlayListSortedByTitle", "PlayList1", {0}, true, "--play", {2, 1, 0}, "1,5,10"},
        HandoffCase{"EnqueueList", "EnqueueList1", {}, false, "--enqueue", {0, 1, 2}, "1,5,10"}),
    RowName());

TEST_F(PlayCommandsTest, AMissingFileIsLeftOutAndItsCountStays)
{
    RegisteredPlayer& player = RegisteredPlayer::instance();
    player.clear();
    GioShellVerbs desktop;
    services.shellVerbs = &desktop;
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {0, 1, 2});
    ASSERT_NE(list, nullptr);
    QFile::remove(paths[1]);

    list->action(ListWindow::Command::Play)->trigger();

    ASSERT_TRUE(player.waitForRuns(1));
    EXPECT_EQ(player.runs().first().playlist, playlistOf({0, 2}));
    EXPECT_EQ(playCounts(), (QStringList{"1", "4", "10"}));
    EXPECT_EQ(shownCounts(*list), (QStringList{"1", "4", "10"}));
}

// When no player is started, nothing is counted and the user is told why.
struct NoStartCase
{
    const char* name;
    const char* play;
    const char* enqueue;
    ListWindow::Command command;
    Dialogs::Kind kind;
    const char* text; // a part of the message
};

void PrintTo(const NoStartCase& c, std::ostream* os)
{
    *os << c.name;
}

class NoStart : public PlayCommandsTest, public ::testing::WithParamInterface<NoStartCase>
{};

TEST_P(NoStart, SaysWhyAndCountsNothing)
{
    const NoStartCase& c = GetParam();
    shellVerbs.set(QString::fromUtf8(c.play), QString::fromUtf8(c.enqueue));
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {0});
    ASSERT_NE(list, nullptr);

    list->action(c.command)->trigger();

    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().first().kind, c.kind);
    EXPECT_TRUE(dialogs.messages().first().text.contains(QLatin1String(c.text)))
        << dialogs.messages().first().text.toStdString();
    EXPECT_EQ(playCounts(), (QStringList{"0", "4", "9"}));
    EXPECT_TRUE(window->playCommands()->lastCommand().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoStart,
    ::testing::Values(NoStartCase{"NoPlayerRegistered", "", "", ListWindow::Command::Play,
                                  Dialogs::Kind::Confirmation, "built-in player"},
                      NoStartCase{"PlayerWithoutEnqueue", "/usr/bin/true %U", "",
                                  ListWindow::Command::Enqueue, Dialogs::Kind::Information,
                                  "no way to add songs"},
                      NoStartCase{"ProgramMissing", "/nonexistent/player %U",
                                  "/nonexistent/player -e %U", ListWindow::Command::PlayList,
                                  Dialogs::Kind::Error, "could not be started"},
                      NoStartCase{"QuoteNotClosed", "sh -c 'echo %U", "", ListWindow::Command::Play,
                                  Dialogs::Kind::Error, "cannot be split into words"}),
    RowName());

// A player whose desktop entry runs a shell script, as people register their own: the script is
// one word, and the playlist its first argument.
class ScriptPlayer : public PlayCommandsTest
{
protected:
    QString execLine() const
    {
        return QStringLiteral("sh -c 'echo \"$1\" >> \"%1\"' sh %U").arg(m_dir.filePath("played"));
    }
    // The lines the script wrote, once it has run `count` times (five seconds at most).
    QStringList played(int count) const
    {
        QStringList lines;
        for (int i = 0; i < 100 && lines.size() < count; ++i) {
            QThread::msleep(50);
            QFile file(m_dir.filePath("played"));
            if (file.open(QIODevice::ReadOnly))
                lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        }
        return lines;
    }

    QTemporaryDir m_dir;
};

TEST_F(ScriptPlayer, GetsThePlaylistAsItsArgument)
{
    shellVerbs.set(execLine(), QString());
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {0, 2});
    ASSERT_NE(list, nullptr);

    list->action(ListWindow::Command::Play)->trigger();

    EXPECT_EQ(played(1), QStringList{PlayHandoff::handoffPath(home.path())});
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(playCounts(), (QStringList{"1", "4", "10"}));
}

// The desktop is asked at each Play: a player registered after the start is the one used.
TEST_F(ScriptPlayer, RegisteredWhileTheProgramRunsIsUsed)
{
    shellVerbs.set(QString(), QString());
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {0});
    ASSERT_NE(list, nullptr);
    shellVerbs.set(execLine(), QString());

    list->action(ListWindow::Command::Play)->trigger();

    EXPECT_EQ(played(1), QStringList{PlayHandoff::handoffPath(home.path())});
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(PlayCommandsTest, WithoutARegisteredPlayerTheBuiltInPlayerPlaysTheFirstSong)
{
    QFile::remove(paths[0]);
    ASSERT_TRUE(QFile::copy(testDataPath(QStringLiteral("id3v1/tagged.mp3")), paths[0]));
    shellVerbs.set(QString(), QString());
    auto window = start();
    ListWindow* list = openWholeDatabase(*window, {0, 2});
    ASSERT_NE(list, nullptr);
    dialogs.queueAnswer(Dialogs::Answer::Yes);

    list->action(ListWindow::Command::Play)->trigger();

    EXPECT_TRUE(act(*window, "Playerbar1")->isChecked());
    PlayerTransport* transport = window->playerTransport();
    ASSERT_NE(transport, nullptr);
    // Played, or refused by a machine without sound output, which the player says.
    const auto messages = dialogs.messages();
    if (messages.size() > 1) {
        EXPECT_EQ(messages.last().text, QStringLiteral("Output device failure"));
    } else {
        EXPECT_EQ(transport->mode(), int(TMPEGPlayer::ModePlaying));
        EXPECT_EQ(transport->loadedSong().filename, paths[0]);
        transport->stop();
    }
    EXPECT_EQ(playCounts(), (QStringList{"0", "4", "9"}));
}

} // namespace
