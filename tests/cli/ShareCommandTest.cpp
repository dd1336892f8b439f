// The share and central commands as real processes, each peer on a loopback address of its own.

#include "testsupport/CaseNames.h"
#include "testsupport/CliOutput.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/ServerProcess.h"
#include "testsupport/ShareHome.h"
#include "testsupport/SharingPeer.h"
#include "testsupport/SharingProcesses.h"

#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <gtest/gtest.h>

#include <signal.h>

using namespace std::chrono_literals;

namespace {

const QString kOk = QStringLiteral("OK              ");

} // namespace

TEST(ShareCommand, SearchesAreAnsweredDirectlyAndThroughTheCentralWithinItsLimits)
{
    RunningCentral central;
    ASSERT_TRUE(central.server.started()) << failureText(central.server).toStdString();

    // Two shares, each with 40 short records and 30 long ones.
    ShareHome homes[2];
    std::vector<QHostAddress> addresses;
    std::vector<std::unique_ptr<ServerProcess>> shares;
    for (ShareHome& home : homes) {
        for (int i = 0; i < 40; ++i)
            home.addSong(QStringLiteral("Common"), QStringLiteral("Song %1").arg(i),
                         home.music(QStringLiteral("c%1.mp3").arg(i)));
        for (int i = 0; i < 30; ++i)
            home.addSong(QStringLiteral("Long"), QStringLiteral("Song %1").arg(i),
                         home.music(QStringLiteral("l%1.mp3").arg(i)), "ID3",
                         QString(400, QLatin1Char('c')));
        addresses.push_back(uniqueLoopback());
        shares.push_back(std::make_unique<ServerProcess>(
            home.home,
            QStringList{QStringLiteral("share"), QStringLiteral("--bind"),
                        addresses.back().toString(), QStringLiteral("--central"), central.name()}));
        ASSERT_TRUE(shares.back()->started()) << failureText(*shares.back()).toStdString();
        EXPECT_TRUE(shares.back()->out.startsWith("Sharing 70 hard-disk songs"))
            << shares.back()->out.toStdString();
    }
    ASSERT_TRUE(central.registered(2)) << central.server.err().toStdString();

    SharingPeer user;
    EXPECT_EQ(user.post(addresses[0], 6710, QStringLiteral("SEARCH$common$")), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6711).size() == 1; }));
    EXPECT_EQ(resultRecords(user.received(6711).first()).size(), 40);
    EXPECT_EQ(shares[0]->count(" SEARCH$ artist=\"common\" title=\"\": 40 records to "), 1)
        << shares[0]->err().toStdString();

    EXPECT_EQ(user.post(central.address, 6714, QStringLiteral("SEARCH$common$")), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6715).size() == 1; }, 10s));
    std::map<QString, int> perShare;
    for (const QStringList& fields : resultRecords(user.received(6715).first()))
        ++perShare[fields[0].section(QLatin1Char(';'), 0, 0)];
    EXPECT_EQ(perShare, (std::map<QString, int>{{addresses[0].toString(), 25},
                                                {addresses[1].toString(), 25}}));

    EXPECT_EQ(user.post(central.address, 6714, QStringLiteral("SEARCH$long$")), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6715).size() == 2; }, 10s));
    const QString capped = user.received(6715).last();
    EXPECT_LE(capped.toUtf8().size(), 9999);
    const QList<QStringList> records = resultRecords(capped);
    ASSERT_FALSE(records.isEmpty());
    const qsizetype recordBytes = (records.first().join(QLatin1Char('|')) + u'|').toUtf8().size();
    EXPECT_GT(capped.toUtf8().size() + recordBytes, 9999) << "room was left for another record";
    EXPECT_LT(records.size(), 50);
    EXPECT_TRUE(capped.endsWith(QLatin1Char('|')));
    EXPECT_EQ(capped.count(QLatin1Char('|')), records.size() * 10) << "a record was cut";
    for (const QStringList& fields : records)
        EXPECT_EQ(fields[5], QString(400, QLatin1Char('c')));
}

struct TakenCase
{
    std::string name;
    QString command;
    quint16 takenPort;
};

void PrintTo(const TakenCase& c, std::ostream* os)
{
    *os << c.name;
}

class ServerCommandPortTaken : public ::testing::TestWithParam<TakenCase>
{};

TEST_P(ServerCommandPortTaken, ExitsOneSayingWhichAddress)
{
    TempHome home;
    SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
    const QHostAddress address = uniqueLoopback();
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(address, GetParam().takenPort));
    const CliRun run =
        runCli(home.path(), {GetParam().command, QStringLiteral("--bind"), address.toString()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Cannot listen on %1:%2")
                                     .arg(address.toString())
                                     .arg(GetParam().takenPort)
                                     .toUtf8()))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, ServerCommandPortTaken,
                         ::testing::Values(TakenCase{"share", QStringLiteral("share"), 6710},
                                           TakenCase{"central", QStringLiteral("central"), 6714},
                                           TakenCase{"central results port",
                                                     QStringLiteral("central"), 6715}),
                         RowName());

struct SignalCase
{
    std::string name;
    QString command;
    int signal;
};

void PrintTo(const SignalCase& c, std::ostream* os)
{
    *os << c.name;
}

class ServerCommandSignal : public ::testing::TestWithParam<SignalCase>
{};

TEST_P(ServerCommandSignal, EndsTheServerCleanlyWithExitCodeZero)
{
    ShareHome home;
    const QHostAddress address = uniqueLoopback();
    ServerProcess server(home.home,
                         {GetParam().command, QStringLiteral("--bind"), address.toString()});
    ASSERT_TRUE(server.started()) << failureText(server).toStdString();
    // It serves before the signal.
    SharingPeer user;
    const quint16 port = GetParam().command == QLatin1String("share") ? 6710 : 6714;
    EXPECT_EQ(user.post(address, port, QStringLiteral("SEARCH$a$b")), kOk);

    ASSERT_EQ(::kill(static_cast<pid_t>(server.process.processId()), GetParam().signal), 0);
    ASSERT_TRUE(server.process.waitForFinished(10000));
    EXPECT_EQ(server.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.process.exitCode(), 0) << server.err().toStdString();
    EXPECT_TRUE(server.err().contains("Stopped")) << server.err().toStdString();
    EXPECT_NE(user.post(address, port, QStringLiteral("SEARCH$a$b")), kOk);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerCommandSignal,
    ::testing::Values(SignalCase{"share on SIGTERM", QStringLiteral("share"), SIGTERM},
                      SignalCase{"share on SIGINT", QStringLiteral("share"), SIGINT},
                      SignalCase{"central on SIGTERM", QStringLiteral("central"), SIGTERM}),
    RowName());
