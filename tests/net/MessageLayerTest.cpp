// The socket message layer against real sockets on loopback addresses of the test's own.

#include "net/MessageFrame.h"
#include "net/SockError.h"
#include "net/StreamSender.h"
#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"
#include "net/TNMStrmServ.h"
#include "testsupport/CaseNames.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/TempHome.h"

#include <QBuffer>
#include <QDir>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <random>

using namespace std::chrono_literals;

namespace {

const QByteArray kReply = QByteArrayLiteral("OK              ");

struct Message
{
    QString from, text, peer;
};

// A message server on an address of its own that keeps what it was sent.
struct MessageServerFixture
{
    explicit MessageServerFixture(ServerLimits limits = {})
    {
        server.BindAddress = address;
        server.Port = 6711;
        server.limits = limits;
        QObject::connect(&server, &TNMMSGServ::OnMSG, &server,
                         [this](const QString& from, const QString& text, const QString& peer) {
                             messages.push_back({from, text, peer});
                         });
        EXPECT_TRUE(server.listen()) << server.errorString().toStdString();
    }

    QHostAddress address = uniqueLoopback();
    TNMMSGServ server;
    std::vector<Message> messages;
};

QString postTo(const QHostAddress& address, quint16 port, const QString& text)
{
    TNMMsg client;
    client.Host = address.toString();
    client.Port = port;
    return client.PostText(text);
}

} // namespace

TEST(MessageClient, PostsTheFrameInTwoPartsAndReturnsTheReply)
{
    const QHostAddress address = uniqueLoopback();
    QTcpServer raw;
    ASSERT_TRUE(raw.listen(address, 6711));
    QByteArray seen;
    QObject::connect(&raw, &QTcpServer::newConnection, &raw, [&] {
        QTcpSocket* peer = raw.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, peer, [&seen, peer] {
            seen += peer->readAll();
            if (seen.size() >= 11)
                peer->write(kReply);
        });
    });

    EXPECT_EQ(postTo(address, 6711, QStringLiteral("ABC")), QString::fromLatin1(kReply));
    EXPECT_EQ(seen, QByteArrayLiteral("00000003ABC"));
}

TEST(MessageClient, RefusesATextItsLengthFieldCannotHoldBeforeAnyContact)
{
    MessageServerFixture fixture;
    const QString longest(9999, QLatin1Char('x'));
    EXPECT_NO_THROW(postTo(fixture.address, 6711, longest));
    ASSERT_TRUE(eventually([&] { return fixture.messages.size() == size_t(1); },
                           std::chrono::milliseconds(5000)));
    EXPECT_EQ(fixture.messages[0].text, longest);

    // "é" takes two bytes: 5,000 of them are 10,000 bytes.
    try {
        postTo(fixture.address, 6711, QString(5000, QChar(0xE9)));
        FAIL() << "a 10,000-byte text was sent";
    } catch (const ESockError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("10000 bytes"))) << error.what();
    }
    spinFor(std::chrono::milliseconds(100));
    EXPECT_EQ(fixture.messages.size(), size_t(1));
}

struct FailureRow
{
    std::string name;
    QString host;
    bool listening;
    QString expected;
};

class MessageClientFailure : public ::testing::TestWithParam<FailureRow>
{};

TEST_P(MessageClientFailure, RaisesTheLayersError)
{
    const FailureRow& row = GetParam();
    TNMMsg client;
    client.Host = row.host.isEmpty() ? uniqueLoopback().toString() : row.host;
    client.Port = 6711;
    try {
        client.PostText(QStringLiteral("SEARCH$a$b"));
        FAIL() << "no error";
    } catch (const ESockError& error) {
        EXPECT_EQ(error.message(), row.expected);
    }
    EXPECT_FALSE(client.connected());
}

// Names that fail before any lookup is sent anywhere: the tests stay on this machine.
INSTANTIATE_TEST_SUITE_P(Cases, MessageClientFailure,
                         ::testing::Values(FailureRow{"nothing listens", QString(), false,
                                                      QStringLiteral("10061: Connection refused")},
                                           FailureRow{"name that cannot resolve",
                                                      QStringLiteral("no-such-host..invalid"),
                                                      false, QStringLiteral("Host Lookup Failed")},
                                           FailureRow{"null address", QStringLiteral("0.0.0.0"),
                                                      false,
                                                      QStringLiteral("Null Remote Address")}),
                         RowName());

TEST(SockErrors, NumbersGiveTheirDescriptionsOrTheUnknownText)
{
    EXPECT_EQ(SockErrors::numberedText(10060), QStringLiteral("10060: Connection timed out"));
    EXPECT_EQ(SockErrors::numberedText(11001), QStringLiteral("11001: Host not found"));
    EXPECT_EQ(SockErrors::numberedText(10004), QStringLiteral("10004: Interrupted system call"));
    EXPECT_EQ(SockErrors::numberedText(10072), QStringLiteral("Unknown Error No. 10072"));
}

struct FrameRow
{
    std::string name;
    QByteArray bytes;
    bool delivered;
    QString from, text;
    bool replied;
};

class MessageServerFrames : public ::testing::TestWithParam<FrameRow>
{};

TEST_P(MessageServerFrames, DeliverWhatArrived)
{
    const FrameRow& row = GetParam();
    MessageServerFixture fixture;
    const RawExchange exchange = rawExchange(fixture.address, 6711, row.bytes, true);
    ASSERT_TRUE(exchange.connected);
    EXPECT_TRUE(exchange.peerClosed);
    EXPECT_EQ(exchange.received, row.replied ? kReply : QByteArray());
    spinFor(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    if (!row.delivered) {
        EXPECT_TRUE(fixture.messages.empty());
        return;
    }
    ASSERT_TRUE(eventually([&] { return fixture.messages.size() == size_t(1); },
                           std::chrono::milliseconds(3000)));
    EXPECT_EQ(fixture.messages[0].from, row.from);
    EXPECT_EQ(fixture.messages[0].text, row.text);
    EXPECT_TRUE(fixture.messages[0].peer.startsWith(QStringLiteral("127.")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageServerFrames,
    ::testing::Values(FrameRow{"empty name", "00000003ABC", true, "", "ABC", true},
                      FrameRow{"with a name", "0004Anna0002Hi", true, "Anna", "Hi", true},
                      FrameRow{"text length zero", "00000000", true, "", "", true},
                      FrameRow{"peer closes inside the text", "00000010ABC", true, "", "", false},
                      FrameRow{"peer closes inside the name", "0005AB", true, "", "", false},
                      FrameRow{"length not digits", "00x00003ABC", false, "", "", false},
                      FrameRow{"negative length", "0000-001", false, "", "", false},
                      FrameRow{"silent peer", "", false, "", "", false}),
    RowName());

TEST(MessageServer, ClosesAConnectionThatStaysSilent)
{
    MessageServerFixture fixture(ServerLimits{.idleTimeout = 300ms});
    const RawExchange silent =
        rawExchange(fixture.address, 6711, QByteArrayLiteral("00"), false, 4s);
    EXPECT_TRUE(silent.peerClosed);
    EXPECT_TRUE(fixture.messages.empty());
    ASSERT_TRUE(eventually([&] { return fixture.server.activeConnections() == 0; },
                           std::chrono::milliseconds(3000)));
}
