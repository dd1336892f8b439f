// The central sharing server: its fan-out to personal servers, the collected answer and its
// limits, one search at a time, and registrations. Every peer has a loopback address of its own.

#include "net/CentralServer.h"
#include "net/PersonalServer.h"
#include "net/TNMMSGServ.h"
#include "testsupport/CaseNames.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/ShareHome.h"
#include "testsupport/SharingPeer.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const QString kOk = QStringLiteral("OK              ");

// Ten fields as a share sends them, the comment padded to make a record `size` bytes long.
QString record(const QString& artist, const QString& title, qsizetype size = 0)
{
    QString fields = artist + QLatin1Char('|') + title +
                     QStringLiteral("|0:03:00|/music/x.mp3|Album|%1|1999|Pop|44100|128|");
    const qsizetype padding = std::max<qsizetype>(0, size - (fields.size() - 2));
    return fields.arg(QString(padding, QLatin1Char('c')));
}

QString records(const QString& artist, int count, qsizetype size = 0)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += record(artist, QStringLiteral("Song %1").arg(i), size);
    return text;
}

// A personal server the test speaks for: it keeps the searches it is sent and answers when
// the test says so.
struct FakeShare
{
    FakeShare()
    {
        server.BindAddress = address;
        server.Port = 6710;
        QObject::connect(&server, &TNMMSGServ::OnMSG, &server,
                         [this](const QString&, const QString& text, const QString& peer) {
                             searches << text;
                             askedBy = peer;
                         });
        EXPECT_TRUE(server.listen());
    }
    QString answer(const QHostAddress& central, const QString& recordsText) const
    {
        return peer.post(central, 6715, QStringLiteral("SEARCHRES$") + recordsText);
    }

    QHostAddress address = uniqueLoopback();
    TNMMSGServ server;
    SharingPeer peer{address};
    QStringList searches;
    QString askedBy;
};

class CentralServerTest : public ::testing::Test
{
protected:
    void start(CentralServer::Options options = {})
    {
        options.bindAddress = address;
        server = std::make_unique<CentralServer>(options);
        QObject::connect(server.get(), &CentralServer::logLine, server.get(),
                         [this](const QString& line) { log << line; });
        ASSERT_TRUE(server->start()) << server->errorString().toStdString();
    }

    QHostAddress address = uniqueLoopback();
    std::unique_ptr<CentralServer> server;
    QStringList log;
};

} // namespace

TEST_F(CentralServerTest, SearchGoesToEveryRegisteredShareAndEachRecordNamesItsServer)
{
    start();
    ShareHome homeA;
    ShareHome homeB;
    for (int i = 0; i < 3; ++i)
        homeA.addSong(QStringLiteral("ABBA"), QStringLiteral("A%1").arg(i),
                      homeA.music(QStringLiteral("a%1.mp3").arg(i)));
    homeB.addSong(QStringLiteral("ABBA"), QStringLiteral("B"),
                  homeB.music(QStringLiteral("b.mp3")));
    homeB.addSong(QStringLiteral("Queen"), QStringLiteral("Q"),
                  homeB.music(QStringLiteral("q.mp3")));
    const QHostAddress addressA = uniqueLoopback();
    const QHostAddress addressB = uniqueLoopback();
    std::vector<std::unique_ptr<PersonalServer>> shares;
    for (const auto& [home, at] : {std::pair{&homeA, addressA}, std::pair{&homeB, addressB}}) {
        PersonalServer::Options options;
        options.bindAddress = at;
        options.centralHost = address.toString();
        shares.push_back(std::make_unique<PersonalServer>(home->db, options));
        ASSERT_TRUE(shares.back()->start());
    }
    ASSERT_TRUE(eventually([&] { return server->knownServers().size() == 2; }));

    SharingPeer user;
    EXPECT_EQ(user.post(address, 6714, QStringLiteral("SEARCH$abba$")), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6715).size() == 1; }));
    const QString answer = user.received(6715).first();
    ASSERT_TRUE(answer.startsWith(QStringLiteral("SEARCHRES$")));
    QStringList songs;
    for (const QStringList& fields : resultRecords(answer))
        songs << fields[0] + QLatin1Char('/') + fields[1];
    songs.sort();
    const QString a = addressA.toString() + QLatin1Char(';');
    const QString b = addressB.toString() + QLatin1Char(';');
    EXPECT_EQ(songs, (QStringList{a + QStringLiteral("ABBA/A0"), a + QStringLiteral("ABBA/A1"),
                                  a + QStringLiteral("ABBA/A2"), b + QStringLiteral("ABBA/B")}));
    EXPECT_TRUE(user.received(6711).isEmpty());
}

struct CollectCase
{
    std::string name;
    std::vector<int> recordsPerServer;
    qsizetype recordSize;
    int expected;
    bool inTurn; // every server has more than its share
};

void PrintTo(const CollectCase& c, std::ostream* os)
{
    *os << c.name;
}

class CentralCollect : public ::testing::TestWithParam<CollectCase>
{};

TEST_P(CentralCollect, KeepsToFiftyWholeRecordsAndTheMessageLimitTakingServersInTurn)
{
    const CollectCase& c = GetParam();
    std::vector<std::pair<QHostAddress, QString>> answers;
    for (size_t i = 0; i < c.recordsPerServer.size(); ++i)
        answers.emplace_back(
            QHostAddress(QStringLiteral("127.0.0.%1").arg(i + 2)),
            records(QStringLiteral("S%1").arg(i), c.recordsPerServer[i], c.recordSize) +
                QStringLiteral("cut|record|"));
    const QString message = CentralServer::collect(answers);
    EXPECT_LE(message.toUtf8().size(), 9999);
    const QList<QStringList> got = resultRecords(message);
    EXPECT_EQ(got.size(), c.expected);
    if (c.expected > 0) {
        EXPECT_TRUE(message.endsWith(QLatin1Char('|')));
    }
    if (c.recordSize > 0) {
        EXPECT_GT(message.toUtf8().size() + c.recordSize, 9999 - 16) << "room was left unused";
    }
    // In turn: the servers' shares of the answer differ by one at most.
    std::map<QString, int> perServer;
    for (const QStringList& fields : got) {
        EXPECT_EQ(fields[2], QStringLiteral("0:03:00")) << "a record was cut or shifted";
        ++perServer[fields[0].section(QLatin1Char(';'), 0, 0)];
    }
    int fewest = c.expected, most = 0;
    for (const auto& [server, count] : perServer) {
        fewest = std::min(fewest, count);
        most = std::max(most, count);
    }
    if (c.inTurn) {
        EXPECT_LE(most - fewest, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CentralCollect,
    ::testing::Values(CollectCase{"few records all kept", {3, 1}, 0, 4, false},
                      CollectCase{"fifty records at most", {40, 40, 40}, 0, 50, true},
                      CollectCase{"message limit ends the answer", {30, 30}, 400, 24, true},
                      CollectCase{"no answers", {}, 0, 0, false}),
    RowName());

TEST_F(CentralServerTest, OnlyTheAskedServersAnswersCountAndOnlyWhileTheSearchIsOpen)
{
    FakeShare answering;
    FakeShare silent;
    CentralServer::Options options;
    options.peers = {{answering.address, 6710}, {silent.address, 6710}};
    options.collectTimeout = 500ms;
    start(options);
    SharingPeer intruder;
    EXPECT_EQ(intruder.post(address, 6715, QStringLiteral("SEARCHRES$") + records("Evil", 1)), kOk);

    SharingPeer user;
    EXPECT_EQ(user.post(address, 6714, QStringLiteral("SEARCH$a$b")), kOk);
    ASSERT_TRUE(eventually([&] { return !answering.searches.isEmpty(); }));
    EXPECT_EQ(answering.searches, QStringList{QStringLiteral("SEARCH$a$b")});
    EXPECT_EQ(answering.askedBy, address.toString());
    EXPECT_EQ(intruder.post(address, 6715, QStringLiteral("SEARCHRES$") + records("Evil", 1)), kOk);
    EXPECT_EQ(answering.answer(address, records("Good", 2)), kOk);
    // A second answer from the same server is not taken either.
    EXPECT_EQ(answering.answer(address, records("Again", 1)), kOk);

    ASSERT_TRUE(eventually([&] { return user.received(6715).size() == 1; }));
    const QList<QStringList> got = resultRecords(user.received(6715).first());
    ASSERT_EQ(got.size(), 2);
    for (const QStringList& fields : got)
        EXPECT_EQ(fields[0], answering.address.toString() + QStringLiteral(";Good"));
    EXPECT_TRUE(log.filter(QStringLiteral("1 of 2 servers answered (time up)")).size() == 1);
    EXPECT_EQ(log.filter(QStringLiteral("ignored: no search of ours")).size(), 3);

    // Late, after the search was answered.
    EXPECT_EQ(silent.answer(address, records("Late", 1)), kOk);
    ASSERT_TRUE(eventually([&] { return log.filter(QStringLiteral("ignored")).size() == 4; }));
    EXPECT_EQ(user.received(6715).size(), 1);
}

TEST_F(CentralServerTest, SearchesOfTwoUsersAreServedOneAfterTheOther)
{
    FakeShare share;
    CentralServer::Options options;
    options.peers = {{share.address, 6710}};
    start(options);
    SharingPeer first;
    SharingPeer second;
    EXPECT_EQ(first.post(address, 6714, QStringLiteral("SEARCH$first$")), kOk);
    EXPECT_EQ(second.post(address, 6714, QStringLiteral("SEARCH$second$")), kOk);
    ASSERT_TRUE(
        eventually([&] { return server->waitingSearches() == 1 && !share.searches.isEmpty(); }));
    EXPECT_EQ(share.searches, QStringList{QStringLiteral("SEARCH$first$")});

    EXPECT_EQ(share.answer(address, records("One", 1)), kOk);
    ASSERT_TRUE(eventually([&] { return share.searches.size() == 2; }));
    EXPECT_EQ(share.searches.last(), QStringLiteral("SEARCH$second$"));
    EXPECT_EQ(share.answer(address, records("Two", 1)), kOk);

    ASSERT_TRUE(eventually(
        [&] { return first.received(6715).size() == 1 && second.received(6715).size() == 1; }));
    const QList<QStringList> one = resultRecords(first.received(6715).first());
    const QList<QStringList> two = resultRecords(second.received(6715).first());
    ASSERT_EQ(one.size(), 1);
    ASSERT_EQ(two.size(), 1);
    EXPECT_EQ(one[0][0], share.address.toString() + QStringLiteral(";One"));
    EXPECT_EQ(two[0][0], share.address.toString() + QStringLiteral(";Two"));
}

TEST_F(CentralServerTest, RegistrationsNeedAPortAndAreForgottenWhenNotRenewed)
{
    CentralServer::Options options;
    options.registrationLifetime = 1s;
    start(options);
    SharingPeer share;
    for (const char* bad : {"REGISTER$", "REGISTER$abc", "REGISTER$0", "REGISTER$70000",
                            "REGISTER$+80", "xREGISTER$6710"})
        EXPECT_EQ(share.post(address, 6714, QString::fromLatin1(bad)), kOk) << bad;
    ASSERT_TRUE(eventually([&] { return log.size() == 6; }));
    EXPECT_TRUE(server->knownServers().isEmpty());

    EXPECT_EQ(share.post(address, 6714, QStringLiteral("REGISTER$6720")), kOk);
    const QStringList expected{share.address.toString() + QStringLiteral(":6720")};
    ASSERT_TRUE(eventually([&] { return server->knownServers() == expected; }));
    ASSERT_TRUE(eventually([&] { return server->knownServers().isEmpty(); }));
}

TEST_F(CentralServerTest, ASearchWithNoServerKnownIsAnsweredEmpty)
{
    start();
    SharingPeer user;
    EXPECT_EQ(user.post(address, 6714, QStringLiteral("SEARCH$a$b")), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6715).size() == 1; }));
    EXPECT_EQ(user.received(6715).first(), QStringLiteral("SEARCHRES$"));
}
