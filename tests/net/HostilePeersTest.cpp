// The servers under peers that do not keep to the protocol: floods, silence, noise.

#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"
#include "net/TNMStrmServ.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

using namespace std::chrono_literals;

namespace {

// Opens `count` connections without waiting for any of them; closes them when it goes.
class Flood
{
public:
    Flood(const QHostAddress& address, quint16 port, int count)
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(address.toIPv4Address());
        for (int i = 0; i < count; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
            m_fds.push_back(fd);
        }
    }
    ~Flood()
    {
        for (const int fd : m_fds)
            ::close(fd);
    }

private:
    std::vector<int> m_fds;
};

QString post(const QHostAddress& address, quint16 port, const QString& text)
{
    TNMMsg client;
    client.Host = address.toString();
    client.Port = port;
    return client.PostText(text);
}

} // namespace

TEST(HostilePeers, AFloodOfConnectionsLeavesTheServerAnsweringOnFewThreads)
{
    const QHostAddress address = uniqueLoopback();
    const int threadsBefore = processThreadCount();
    TNMMSGServ server;
    server.BindAddress = address;
    server.Port = 6711;
    server.limits.maxConnections = 100;
    ASSERT_TRUE(server.listen());
    int delivered = 0;
    QObject::connect(&server, &TNMMSGServ::OnMSG, &server,
                     [&delivered](const QString&, const QString& text, const QString&) {
                         delivered += text == QStringLiteral("still here");
                     });
    {
        Flood flood(address, 6711, 200);
        ASSERT_TRUE(eventually(
            [&] { return server.activeConnections() + server.refusedConnections() >= 200; },
            std::chrono::milliseconds(15000)));
        EXPECT_LE(server.activeConnections(), 100);
        EXPECT_GE(server.refusedConnections(), 100);
        EXPECT_LE(processThreadCount(), threadsBefore + server.limits.threads + 2);
    }
    ASSERT_TRUE(eventually([&] { return server.activeConnections() == 0; },
                           std::chrono::milliseconds(5000)));
    EXPECT_EQ(post(address, 6711, QStringLiteral("still here")).left(2), QStringLiteral("OK"));
    ASSERT_TRUE(eventually([&] { return delivered == 1; }, std::chrono::milliseconds(3000)));
}

TEST(HostilePeers, NoiseAndWrongLengthsOnBothServersBreakNothing)
{
    TempHome home;
    const QHostAddress address = uniqueLoopback();
    TNMMSGServ messages;
    messages.BindAddress = address;
    messages.Port = 6711;
    messages.limits.idleTimeout = 300ms;
    TNMStrmServ streams;
    streams.BindAddress = address;
    streams.Port = 6712;
    streams.limits.idleTimeout = 300ms;
    ASSERT_TRUE(messages.listen());
    ASSERT_TRUE(streams.listen());
    // Every stream is offered a target, so the noise reaches the frame reader.
    QObject::connect(&streams, &TNMStrmServ::OnClientContact, &streams,
                     [&home](ServedConnection* connection) {
                         TNMStrmServ::setTarget(connection, home.file(QStringLiteral("in.mp3")));
                     });

    std::mt19937 random(20261211);
    std::vector<QByteArray> inputs = {"9999",
                                      "99999999",
                                      "0000"
                                      "9999",
                                      "0000"
                                      "0000000000",
                                      "0000"
                                      "9999999999",
                                      "0003ab",
                                      "00000005abc",
                                      QByteArray(70000, '7'),
                                      QByteArray("\0\0\0\0\0\0\0\0", 8),
                                      "0000-000000001",
                                      "00001234567890xyz"};
    for (int i = 0; i < 40; ++i) {
        QByteArray noise(static_cast<int>(random() % 300), '\0');
        for (char& c : noise)
            c = static_cast<char>(random());
        inputs.push_back(noise);
    }
    for (const QByteArray& input : inputs) {
        for (const quint16 port : {quint16(6711), quint16(6712)})
            rawExchange(address, port, input, random() % 2 == 0, 1500ms);
    }
    ASSERT_TRUE(
        eventually([&] { return messages.activeConnections() + streams.activeConnections() == 0; },
                   std::chrono::milliseconds(5000)));
    EXPECT_EQ(post(address, 6711, QStringLiteral("after the noise")).left(2), QStringLiteral("OK"));
    // Nothing half-written is left behind; only a frame that was whole (a stream of 0 bytes)
    // may have been stored.
    const QStringList left = QDir(home.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty() || left == QStringList{QStringLiteral("in.mp3")})
        << left.join(' ').toStdString();
}
