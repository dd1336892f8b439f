// The program's own side of the sharing network against running share and central processes:
// searches directly and through the central server, and downloads through the whole exchange.

#include "net/DownloadQueue.h"
#include "net/SearchResults.h"
#include "net/SharingClient.h"
#include "testsupport/CliOutput.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/ServerProcess.h"
#include "testsupport/ShareHome.h"
#include "testsupport/SharingProcesses.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

SharingSettings userSettings(const QHostAddress& central)
{
    SharingSettings settings;
    settings.address = uniqueLoopback();
    settings.centralServer = central.toString();
    return settings;
}

} // namespace

TEST(SharingEndToEnd, TheProgramSearchesAShareDirectlyAndThroughTheCentral)
{
    RunningCentral central;
    ASSERT_TRUE(central.server.started()) << failureText(central.server).toStdString();
    RunningShare share({QStringLiteral("--central"), central.name()});
    share.home.addSong(QStringLiteral("Abba"), QStringLiteral("Waterloo"),
                       share.home.music(QStringLiteral("Waterloo.mp3")));
    share.home.addSong(QStringLiteral("Abba"), QStringLiteral("Don't Go"),
                       share.home.music(QStringLiteral("Don't Go.mp3")));
    share.home.addSong(QStringLiteral("Blondie"), QStringLiteral("Atomic"),
                       share.home.music(QStringLiteral("Atomic.mp3")));
    ASSERT_TRUE(share.server->started()) << failureText(*share.server).toStdString();
    ASSERT_TRUE(central.registered(1)) << central.server.err().toStdString();

    SharingClient client(userSettings(central.address));
    QSignalSpy answered(&client, &SharingClient::searchAnswered);
    client.search(QStringLiteral("abba"), QString(), share.address.toString());
    ASSERT_TRUE(eventually([&] { return answered.size() == 1; }));
    std::vector<ListEntry> rows =
        SearchResults::parse(answered[0][0].toString(), false, share.address.toString());
    ASSERT_EQ(rows.size(), size_t(2));
    EXPECT_EQ(rows[0].sub[ListEntry::Title], QStringLiteral("Don't Go"));
    EXPECT_EQ(rows[0].sub[ListEntry::Filename], share.home.music(QStringLiteral("Don't Go.mp3")));
    EXPECT_EQ(rows[0].sub[ListEntry::Location], share.address.toString() + QLatin1Char('R'));

    client.search(QStringLiteral("abba"), QStringLiteral("water"));
    ASSERT_TRUE(eventually([&] { return answered.size() == 2; }, 10s));
    rows = SearchResults::parse(answered[1][0].toString(), true, QString());
    ASSERT_EQ(rows.size(), size_t(1));
    EXPECT_EQ(rows[0].sub[ListEntry::Title], QStringLiteral("Waterloo"));
    EXPECT_EQ(rows[0].sub[ListEntry::Location], share.address.toString() + QLatin1Char('R'));
}

TEST(SharingEndToEnd, A20MegabyteFileArrivesByteForByteThroughTheWholeExchange)
{
    RunningShare share;
    const QByteArray bytes = patternBytes(20 * 1024 * 1024 + 7);
    const QString remote =
        share.home.addSong(QStringLiteral("Abba"), QStringLiteral("Waterloo"),
                           share.home.music(QStringLiteral("Water|loo's.mp3")), bytes);
    ASSERT_TRUE(share.server->started()) << failureText(*share.server).toStdString();

    TempHome mine;
    SharingClient client(userSettings(QHostAddress::LocalHost));
    DownloadQueue queue(client);
    QSignalSpy ended(&queue, &DownloadQueue::downloadEnded);
    QSignalSpy enqueued(&client, &SharingClient::enqueued);
    const QString target = mine.file(QStringLiteral("Waterloo.mp3"));
    queue.add({remote, share.address.toString(), target});
    ASSERT_TRUE(eventually([&] { return ended.size() == 1; }, 30s))
        << failureText(*share.server).toStdString();
    EXPECT_EQ(ended[0][1].toString(), QString());
    EXPECT_TRUE(fileContents(target) == bytes);
    // The server's queue message may be handed over only after the file came; it then finds
    // nothing to move.
    spinFor(700ms);
    EXPECT_EQ(enqueued.size(), 1);
    EXPECT_TRUE(queue.entries().isEmpty());
    EXPECT_FALSE(queue.transferRunning());
    EXPECT_EQ(QDir(mine.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Waterloo.mp3")});
}

TEST(SharingEndToEnd, FetchDownloadsOneFileFromTheCommandLine)
{
    RunningShare share;
    const QByteArray bytes = patternBytes(300000);
    const QString path = share.home.music(QStringLiteral("Atomic.mp3"));
    share.home.addSong(QStringLiteral("Blondie"), QStringLiteral("Atomic"), path, bytes);
    ASSERT_TRUE(share.server->started()) << failureText(*share.server).toStdString();

    TempHome mine;
    const QString target = mine.file(QStringLiteral("got.mp3"));
    const CliRun run = runCli(mine.path(), {QStringLiteral("fetch"), QStringLiteral("--server"),
                                            share.address.toString(), QStringLiteral("--bind"),
                                            uniqueLoopback().toString(), path, target});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, ("stored: " + target + "\n").toUtf8());
    EXPECT_TRUE(fileContents(target) == bytes);

    // A file the share does not offer is never queued: nothing answers, and fetch gives up.
    const CliRun refused = runCli(
        mine.path(),
        {QStringLiteral("fetch"), QStringLiteral("--server"), share.address.toString(),
         QStringLiteral("--bind"), uniqueLoopback().toString(), QStringLiteral("--wait"),
         QStringLiteral("2"), QStringLiteral("/etc/passwd"), mine.file(QStringLiteral("passwd"))});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("did not send the file")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(mine.file(QStringLiteral("passwd"))));
}
