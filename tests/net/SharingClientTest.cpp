// The user's side of the protocol against peers on loopback addresses of the test's own: what
// its servers take, what they drop, and what its timers send back.

#include "net/SharingClient.h"
#include "net/MessageFrame.h"
#include "net/SockError.h"
#include "net/StreamSender.h"
#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"
#include "net/Verbs.h"
#include "testsupport/CaseNames.h"
#include "testsupport/Eventually.h"
#include "testsupport/InboxPeer.h"
#include "testsupport/Loopback.h"
#include "testsupport/TempHome.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct Downloads : DownloadHooks
{
    bool holdsDownloadFrom(const QString& peer) const override { return hosts.contains(peer); }
    QString targetFor(const QString&) const override { return target; }
    bool transferRunning() const override { return running; }
    QString streamTarget(const QString&) override
    {
        ++streamContacts;
        return target;
    }

    QStringList hosts;
    QString target;
    bool running = false;
    int streamContacts = 0;
};

using Peer = InboxPeer;

struct ClientFixture
{
    ClientFixture()
        : client(settings())
    {
        client.setDownloads(&downloads);
    }

    SharingSettings settings()
    {
        SharingSettings s;
        s.address = address;
        s.centralServer = central.name();
        s.centralPort = 6710; // the test's central keeps its mail where the personal one does
        return s;
    }

    QHostAddress address = uniqueLoopback();
    Peer central;
    Peer personal;
    Downloads downloads;
    SharingClient client;
};

bool connects(const QHostAddress& address, quint16 port)
{
    return rawExchange(address, port, QByteArray(), true, 200ms).connected;
}

} // namespace

TEST(SharingClient, ListensOnlyOnceStartedAndThenOnAllFourPorts)
{
    ClientFixture fixture;
    for (const quint16 port : {6711, 6712, 6713, 6715})
        EXPECT_FALSE(connects(fixture.address, port)) << port;
    fixture.client.start();
    for (const quint16 port : {6711, 6712, 6713, 6715})
        EXPECT_TRUE(connects(fixture.address, port)) << port;
}

TEST(SharingClient, APortThatIsTakenNamesItAndNothingListens)
{
    ClientFixture fixture;
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(fixture.address, 6712));
    try {
        fixture.client.start();
        FAIL() << "started on a taken port";
    } catch (const ESockError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("port 6712"))) << error.what();
    }
    EXPECT_FALSE(fixture.client.isListening());
    EXPECT_FALSE(connects(fixture.address, 6711));
}

TEST(SharingClient, TakesTheAnswerOfTheServerAskedOnceAndDropsTheRest)
{
    ClientFixture fixture;
    QSignalSpy answered(&fixture.client, &SharingClient::searchAnswered);
    QSignalSpy dropped(&fixture.client, &SharingClient::dropped);
    Peer stranger;

    fixture.client.search(QStringLiteral("Abba"), QStringLiteral("Waterloo"),
                          fixture.personal.name());
    ASSERT_TRUE(eventually([&] { return fixture.personal.received.size() == 1; }));
    EXPECT_EQ(fixture.personal.received[0], QStringLiteral("SEARCH$Abba$Waterloo"));
    EXPECT_TRUE(fixture.client.searchOutstanding());

    stranger.post(fixture.address, 6711, QStringLiteral("SEARCHRES$forged|"));
    ASSERT_TRUE(eventually([&] { return dropped.size() == 1; }));
    fixture.personal.post(fixture.address, 6711, QStringLiteral("SEARCHRES$a|b|"));
    ASSERT_TRUE(eventually([&] { return answered.size() == 1; }));
    EXPECT_EQ(answered[0][0].toString(), QStringLiteral("SEARCHRES$a|b|"));
    EXPECT_FALSE(fixture.client.searchOutstanding());

    // One answer per search: a second one from the same server is not taken.
    fixture.personal.post(fixture.address, 6711, QStringLiteral("SEARCHRES$again|"));
    ASSERT_TRUE(eventually([&] { return dropped.size() == 2; }));
    spinFor(600ms);
    EXPECT_EQ(answered.size(), 1);
    EXPECT_EQ(fixture.client.searchAnswer(), QStringLiteral("SEARCHRES$a|b|"));
}

TEST(SharingClient, TakesTheCentralServersAnswerOnItsOwnPortUnlessTheSearchWasCancelled)
{
    ClientFixture fixture;
    QSignalSpy answered(&fixture.client, &SharingClient::searchAnswered);
    QSignalSpy dropped(&fixture.client, &SharingClient::dropped);
    fixture.client.search(QStringLiteral("A"), QStringLiteral("B"));
    ASSERT_TRUE(eventually([&] { return fixture.central.received.size() == 1; }));
    fixture.central.post(fixture.address, 6715, QStringLiteral("SEARCHRES$"));
    ASSERT_TRUE(eventually([&] { return answered.size() == 1; }));
    EXPECT_EQ(answered[0][0].toString(), QStringLiteral("SEARCHRES$"));

    fixture.client.search(QStringLiteral("A"), QStringLiteral("B"));
    fixture.client.cancelSearch();
    fixture.central.post(fixture.address, 6715, QStringLiteral("SEARCHRES$late|"));
    ASSERT_TRUE(eventually([&] { return dropped.size() == 1; }));
    EXPECT_EQ(answered.size(), 1);
}

TEST(SharingClient, ASearchThatCannotBeSentLeavesNoSearchOutstanding)
{
    ClientFixture fixture;
    EXPECT_THROW(fixture.client.search(QStringLiteral("A"), QStringLiteral("B"),
                                       uniqueLoopback().toString()),
                 ESockError);
    EXPECT_FALSE(fixture.client.searchOutstanding());
}

struct IncomingRow
{
    std::string name;
    bool running;
    QString expected;
};

class SharingClientIncoming : public ::testing::TestWithParam<IncomingRow>
{};

TEST_P(SharingClientIncoming, AnswersTheSender)
{
    ClientFixture fixture;
    fixture.client.start();
    fixture.downloads.hosts << fixture.personal.name();
    fixture.downloads.target = QStringLiteral("/music/in.mp3");
    fixture.downloads.running = GetParam().running;
    fixture.personal.post(fixture.address, 6711, QStringLiteral("INCOMING$whatever"));
    ASSERT_TRUE(eventually([&] { return !fixture.personal.received.isEmpty(); }));
    EXPECT_EQ(fixture.personal.received, QStringList{GetParam().expected});
    EXPECT_EQ(fixture.client.lastMessage(), QStringLiteral("INCOMING$whatever"));
    EXPECT_EQ(fixture.client.peerAddress(), fixture.personal.name());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SharingClientIncoming,
    ::testing::Values(IncomingRow{"while a transfer runs", true, QStringLiteral("LATER$")},
                      IncomingRow{"while none runs", false, QStringLiteral("GETIT$/music/in.mp3")}),
    RowName());

TEST(SharingClient, HandsEnqueuedOverAndDropsQueueMessagesOfStrangers)
{
    ClientFixture fixture;
    fixture.client.start();
    QSignalSpy enqueued(&fixture.client, &SharingClient::enqueued);
    QSignalSpy dropped(&fixture.client, &SharingClient::dropped);
    Peer stranger;
    fixture.downloads.hosts << fixture.personal.name();

    stranger.post(fixture.address, 6711, QStringLiteral("ENQUEUED$/x.mp3"));
    stranger.post(fixture.address, 6711, QStringLiteral("INCOMING$"));
    ASSERT_TRUE(eventually([&] { return dropped.size() == 2; }));
    fixture.personal.post(fixture.address, 6711, QStringLiteral("ENQUEUED$/music/a.mp3"));
    ASSERT_TRUE(eventually([&] { return enqueued.size() == 1; }));
    EXPECT_EQ(enqueued[0][0].toString(), QStringLiteral("ENQUEUED$/music/a.mp3"));
    EXPECT_EQ(enqueued[0][1].toString(), fixture.personal.name());
    EXPECT_TRUE(stranger.received.isEmpty());
    EXPECT_TRUE(fixture.personal.received.isEmpty());
}

TEST(SharingClient, ANoteChangesNothingButTheNoteField)
{
    ClientFixture fixture;
    fixture.client.start();
    fixture.downloads.hosts << fixture.personal.name();
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const auto signal : {QMetaMethod::fromSignal(&SharingClient::searchAnswered),
                              QMetaMethod::fromSignal(&SharingClient::enqueued),
                              QMetaMethod::fromSignal(&SharingClient::streamStarted),
                              QMetaMethod::fromSignal(&SharingClient::dropped)})
        spies.push_back(std::make_unique<QSignalSpy>(&fixture.client, signal));

    fixture.personal.post(fixture.address, 6713, QStringLiteral("INCOMING$ENQUEUED$hello"));
    ASSERT_TRUE(eventually(
        [&] { return fixture.client.infoText() == QStringLiteral("INCOMING$ENQUEUED$hello"); }));
    spinFor(700ms);
    for (const auto& spy : spies)
        EXPECT_TRUE(spy->isEmpty());
    EXPECT_TRUE(fixture.client.lastMessage().isEmpty());
    EXPECT_TRUE(fixture.personal.received.isEmpty());
}

TEST(SharingClient, StoresOnlyTheStreamOfTheHostToldToSend)
{
    TempHome home;
    ClientFixture fixture;
    fixture.client.start();
    QSignalSpy stored(&fixture.client, &SharingClient::streamStored);
    QSignalSpy dropped(&fixture.client, &SharingClient::dropped);
    fixture.downloads.hosts << fixture.personal.name();
    fixture.downloads.target = home.file(QStringLiteral("song.mp3"));
    Peer stranger;
    const QByteArray bytes(100000, 'x');
    const auto send = [&](const Peer& from) {
        QBuffer data;
        data.setData(bytes);
        data.open(QIODevice::ReadOnly);
        StreamSender sender;
        sender.Host = fixture.address.toString();
        sender.Port = 6712;
        sender.LocalAddress = from.address;
        sender.send(data, bytes.size());
    };

    send(fixture.personal); // before it was told to send
    ASSERT_TRUE(eventually([&] { return dropped.size() == 1; }));
    fixture.personal.post(fixture.address, 6711, QStringLiteral("INCOMING$"));
    ASSERT_TRUE(eventually([&] { return fixture.personal.received.size() == 1; }));
    send(stranger);
    ASSERT_TRUE(eventually([&] { return dropped.size() == 2; }));
    EXPECT_FALSE(QFile::exists(fixture.downloads.target));

    send(fixture.personal);
    ASSERT_TRUE(eventually([&] { return stored.size() == 1; }));
    EXPECT_EQ(stored[0][0].toString(), fixture.downloads.target);
    EXPECT_EQ(fixture.downloads.streamContacts, 1);
    QFile file(fixture.downloads.target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == bytes);
    // One stream per "GETIT$": the same host cannot send a second one.
    send(fixture.personal);
    ASSERT_TRUE(eventually([&] { return dropped.size() == 3; }));
}
