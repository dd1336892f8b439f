// The stream server: bytes written as they arrive, renamed into place only when whole.

#include "net/MessageFrame.h"
#include "net/StreamSender.h"
#include "net/TNMStrmServ.h"
#include "testsupport/CaseNames.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/TempHome.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct StreamFixture
{
    StreamFixture()
    {
        server.BindAddress = address;
        server.Port = 6712;
        server.limits.idleTimeout = 500ms;
        QObject::connect(
            &server, &TNMStrmServ::OnMSG, &server,
            [this](const QString&, const QString& target, qint64 size, const QString&) {
                stored.push_back({target, size});
            });
        QObject::connect(&server, &TNMStrmServ::failed, &server,
                         [this](const QString&, const QString& target, const QString& reason) {
                             failed.push_back({target, reason});
                         });
        QObject::connect(&server, &TNMStrmServ::OnClientContact, &server,
                         [this](ServedConnection* connection) {
                             ++contacts;
                             if (!target.isEmpty())
                                 TNMStrmServ::setTarget(connection, target);
                         });
        EXPECT_TRUE(server.listen());
    }

    QStringList leftInFolder() const
    {
        return QDir(home.path()).entryList(QDir::Files | QDir::Hidden);
    }

    TempHome home;
    QHostAddress address = uniqueLoopback();
    TNMStrmServ server;
    QString target;
    int contacts = 0;
    // What the server raised, received on this thread: the signals come from its serving
    // threads, and a spy recording there would race with the test reading it here.
    struct Stored
    {
        QString target;
        qint64 size;
    };
    struct Failed
    {
        QString target, reason;
    };
    std::vector<Stored> stored;
    std::vector<Failed> failed;
};

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
    return bytes;
}

} // namespace

TEST(StreamServer, StoresAStreamByteForByteAtItsTarget)
{
    StreamFixture fixture;
    fixture.target = fixture.home.file(QStringLiteral("song.mp3"));
    const QByteArray bytes = pattern(3 * 1024 * 1024 + 17);
    QBuffer source;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    StreamSender sender;
    sender.Host = fixture.address.toString();
    sender.Port = 6712;
    EXPECT_EQ(sender.send(source, bytes.size()), QStringLiteral("OK              "));

    ASSERT_TRUE(
        eventually([&] { return fixture.stored.size() == 1; }, std::chrono::milliseconds(5000)));
    EXPECT_EQ(fixture.contacts, 1);
    EXPECT_EQ(fixture.stored[0].target, fixture.target);
    EXPECT_EQ(fixture.stored[0].size, bytes.size());
    QFile stored(fixture.target);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_TRUE(stored.readAll() == bytes);
    EXPECT_EQ(fixture.leftInFolder(), QStringList{QStringLiteral("song.mp3")});
    EXPECT_TRUE(fixture.failed.empty());
}

TEST(StreamServer, AnUnaskedStreamIsAnsweredAndDropped)
{
    StreamFixture fixture; // no target named
    const QByteArray frame = MessageFrame::streamHeader(QString(), 5) + "abcde";
    const RawExchange exchange = rawExchange(fixture.address, 6712, frame, true);
    EXPECT_EQ(exchange.received, QByteArrayLiteral("OK              "));
    spinFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(fixture.stored.empty());
    EXPECT_TRUE(fixture.leftInFolder().isEmpty());
}

struct CutRow
{
    std::string name;
    QByteArray bytes;
    bool closes; // else falls silent
};

class StreamServerCut : public ::testing::TestWithParam<CutRow>
{};

TEST_P(StreamServerCut, LeavesNothingOnDisk)
{
    StreamFixture fixture;
    fixture.target = fixture.home.file(QStringLiteral("song.mp3"));
    writeTestFile(fixture.target, "the file that was there");
    rawExchange(fixture.address, 6712, GetParam().bytes, GetParam().closes, 2s);
    ASSERT_TRUE(
        eventually([&] { return fixture.failed.size() == 1; }, std::chrono::milliseconds(5000)));
    EXPECT_EQ(fixture.failed[0].target, fixture.target);
    EXPECT_TRUE(fixture.stored.empty());
    EXPECT_EQ(fixture.leftInFolder(), QStringList{QStringLiteral("song.mp3")});
    QFile kept(fixture.target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArrayLiteral("the file that was there"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StreamServerCut,
    ::testing::Values(CutRow{"sender closes half way", "00000000000010abcde", true},
                      CutRow{"sender falls silent half way", "00000000000010abcde", false},
                      CutRow{"size not digits", "0000000000001x", true},
                      CutRow{"closes before the size", "000000", true}),
    RowName());

TEST(StreamServer, RefusesAStreamLargerThanTheFreeSpace)
{
    StreamFixture fixture;
    fixture.target = fixture.home.file(QStringLiteral("huge.mp3"));
    if (QStorageInfo(fixture.home.path()).bytesAvailable() >= MessageFrame::MaxStream)
        GTEST_SKIP() << "the temporary folder has room for the largest stream";
    const QByteArray header = MessageFrame::streamHeader(QString(), MessageFrame::MaxStream);
    rawExchange(fixture.address, 6712, header + QByteArray(1000, 'x'), false, 2s);
    ASSERT_TRUE(
        eventually([&] { return fixture.failed.size() == 1; }, std::chrono::milliseconds(5000)));
    EXPECT_TRUE(fixture.failed[0].reason.contains(QStringLiteral("free")));
    EXPECT_TRUE(fixture.leftInFolder().isEmpty());
}
