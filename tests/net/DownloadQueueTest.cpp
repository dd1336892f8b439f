// The download queue's requests and its rotation, against servers on loopback addresses of the
// test's own that keep what they are sent.

#include "net/DownloadQueue.h"
#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"
#include "testsupport/Eventually.h"
#include "testsupport/InboxPeer.h"
#include "testsupport/Loopback.h"

#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

using Server = InboxPeer;

struct QueueFixture
{
    QueueFixture()
        : sharing(settings())
        , queue(sharing)
    {}
    SharingSettings settings()
    {
        SharingSettings s;
        s.address = address;
        return s;
    }
    QHostAddress address = uniqueLoopback();
    SharingClient sharing;
    DownloadQueue queue;
};

} // namespace

TEST(DownloadQueue, AQueueOfOneStaysAsItIsWhenItsServerQueuesIt)
{
    QueueFixture fixture;
    Server server;
    fixture.queue.add(
        {QStringLiteral("/music/a.mp3"), server.name(), QStringLiteral("/tmp/a.mp3")});
    ASSERT_TRUE(eventually([&] { return server.received.size() == 1; }));
    EXPECT_EQ(server.received[0], QStringLiteral("DOWNLOAD$/music/a.mp3"));

    QSignalSpy shown(&fixture.queue, &DownloadQueue::showRequested);
    server.post(fixture.address, 6711, QStringLiteral("ENQUEUED$/music/a.mp3"));
    ASSERT_TRUE(eventually([&] { return shown.size() == 1; }));
    const QList<DownloadEntry> expected{
        {QStringLiteral("/music/a.mp3"), server.name(), QStringLiteral("/tmp/a.mp3")}};
    EXPECT_EQ(fixture.queue.entries(), expected);
    EXPECT_EQ(fixture.queue.current().status, QStringLiteral("Remotely queued"));
    EXPECT_EQ(fixture.queue.current().fromIp, server.name());
    EXPECT_EQ(fixture.queue.current().toFile, QStringLiteral("/music/a.mp3"));
    spinFor(600ms);
    EXPECT_EQ(server.received.size(), 1);
}

TEST(DownloadQueue, TheQueuedHeadGoesToTheEndAndTheNextIsRequestedAtOnce)
{
    QueueFixture fixture;
    Server first, second;
    fixture.queue.add({QStringLiteral("/a.mp3"), first.name(), QStringLiteral("/tmp/a.mp3")});
    fixture.queue.add({QStringLiteral("/b.mp3"), second.name(), QStringLiteral("/tmp/b.mp3")});
    ASSERT_TRUE(eventually([&] { return first.received.size() == 1; }));
    EXPECT_TRUE(second.received.isEmpty());

    first.post(fixture.address, 6711, QStringLiteral("ENQUEUED$/a.mp3"));
    ASSERT_TRUE(eventually([&] { return second.received.size() == 1; }));
    EXPECT_EQ(second.received[0], QStringLiteral("DOWNLOAD$/b.mp3"));
    const QList<DownloadEntry> expected{
        {QStringLiteral("/b.mp3"), second.name(), QStringLiteral("/tmp/b.mp3")},
        {QStringLiteral("/a.mp3"), first.name(), QStringLiteral("/tmp/a.mp3")}};
    EXPECT_EQ(fixture.queue.entries(), expected);
}

TEST(DownloadQueue, AnUnreachableServersEntryGoesAndTheNextIsRequested)
{
    QueueFixture fixture;
    Server second, third;
    QSignalSpy ended(&fixture.queue, &DownloadQueue::downloadEnded);
    const QString nobody = uniqueLoopback().toString();
    fixture.queue.add({QStringLiteral("/a.mp3"), nobody, QStringLiteral("/tmp/a.mp3")});
    fixture.queue.add({QStringLiteral("/b.mp3"), second.name(), QStringLiteral("/tmp/b.mp3")});
    fixture.queue.add({QStringLiteral("/c.mp3"), third.name(), QStringLiteral("/tmp/c.mp3")});
    ASSERT_TRUE(eventually([&] { return second.received.size() == 1; }));
    EXPECT_EQ(second.received[0], QStringLiteral("DOWNLOAD$/b.mp3"));
    EXPECT_TRUE(third.received.isEmpty());
    ASSERT_EQ(ended.size(), 1);
    EXPECT_EQ(ended[0][1].toString(), QStringLiteral("10061: Connection refused"));
    ASSERT_EQ(fixture.queue.entries().size(), 2);
    EXPECT_EQ(fixture.queue.entries()[0].download, QStringLiteral("/b.mp3"));
}

TEST(DownloadQueue, AQueueMessageForNoWaitingRequestMovesNothing)
{
    QueueFixture fixture;
    Server first, second;
    fixture.queue.add({QStringLiteral("/a.mp3"), first.name(), QStringLiteral("/tmp/a.mp3")});
    fixture.queue.add({QStringLiteral("/b.mp3"), second.name(), QStringLiteral("/tmp/b.mp3")});
    ASSERT_TRUE(eventually([&] { return first.received.size() == 1; }));
    const QList<DownloadEntry> before = fixture.queue.entries();

    // A file of this server that is no longer waiting here (it came before its message).
    QSignalSpy shown(&fixture.queue, &DownloadQueue::showRequested);
    first.post(fixture.address, 6711, QStringLiteral("ENQUEUED$/done.mp3"));
    ASSERT_TRUE(eventually([&] { return shown.size() == 1; }));
    EXPECT_EQ(fixture.queue.entries(), before);
    spinFor(400ms);
    EXPECT_TRUE(second.received.isEmpty());
}
