// The personal sharing server against a user's side built from the message layer, every peer
// on a loopback address of its own.

#include "net/PersonalServer.h"
#include "net/TNMMSGServ.h"
#include "testsupport/CaseNames.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/ShareHome.h"
#include "testsupport/SharingPeer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const QString kOk = QStringLiteral("OK              ");

// A share of a few songs on an address of its own, with short pauses for the queue.
class PersonalServerTest : public ::testing::Test
{
protected:
    PersonalServerTest()
    {
        dancingQueen = share.addSong(QStringLiteral("ABBA"), QStringLiteral("Dancing Queen"),
                                     share.music(QStringLiteral("abba/dq.mp3")));
        waterloo = share.addSong(QStringLiteral("ABBA"), QStringLiteral("Waterloo"),
                                 share.music(QStringLiteral("abba/w.mp3")));
        share.addSong(QStringLiteral("Queen"), QStringLiteral("Innuendo"),
                      share.music(QStringLiteral("queen/i.mp3")));
    }

    void start(PersonalServer::Options options = {})
    {
        options.bindAddress = address;
        options.laterPause = 300ms;
        if (options.offerTimeout == PersonalServer::Options().offerTimeout)
            options.offerTimeout = 5s;
        server = std::make_unique<PersonalServer>(share.db, options);
        QObject::connect(server.get(), &PersonalServer::logLine, server.get(),
                         [this](const QString& line) { log << line; });
        ASSERT_TRUE(server->start()) << server->errorString().toStdString();
    }

    bool logged(const QString& part) const
    {
        return std::any_of(log.begin(), log.end(),
                           [&part](const QString& line) { return line.contains(part); });
    }

    QString post(const SharingPeer& from, const QString& text) const
    {
        return from.post(address, 6710, text);
    }

    ShareHome share;
    QString dancingQueen, waterloo;
    QHostAddress address = uniqueLoopback();
    std::unique_ptr<PersonalServer> server;
    QStringList log;
};

} // namespace

TEST_F(PersonalServerTest, SearchIsAnsweredOnTheAskersResultPortWithTheRecords)
{
    start();
    SharingPeer user;
    // Split at the first "$" after the verb: the title keeps any later one.
    EXPECT_EQ(post(user, QStringLiteral("SEARCH$abba$QUEEN")), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6711).size() == 1; }));
    const QString answer = user.received(6711).first();
    ASSERT_TRUE(answer.startsWith(QStringLiteral("SEARCHRES$")));
    const QList<QStringList> records = resultRecords(answer);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0][0], QStringLiteral("ABBA"));
    EXPECT_EQ(records[0][1], QStringLiteral("Dancing Queen"));
    EXPECT_EQ(records[0][3], dancingQueen);
    EXPECT_TRUE(user.received(6715).isEmpty());
    EXPECT_TRUE(logged(user.address.toString() + QStringLiteral(" SEARCH$ artist=\"abba\" "
                                                                "title=\"QUEEN\": 1 records")));

    EXPECT_EQ(post(user, QStringLiteral("SEARCH$abba")), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6711).size() == 2; }));
    EXPECT_EQ(resultRecords(user.received(6711).last()).size(), 2);
}

TEST_F(PersonalServerTest, SearchFromTheRegisteredCentralGoesToItsResultPort)
{
    // The central server as the share sees it: a registration port and a result port.
    SharingPeer central;
    TNMMSGServ registrations;
    registrations.BindAddress = central.address;
    registrations.Port = 6714;
    QStringList registered;
    QObject::connect(&registrations, &TNMMSGServ::OnMSG, &registrations,
                     [&](const QString&, const QString& text, const QString& peer) {
                         registered << peer + QLatin1Char(' ') + text;
                     });
    ASSERT_TRUE(registrations.listen());

    PersonalServer::Options options;
    options.centralHost = central.address.toString();
    start(options);
    ASSERT_TRUE(eventually([&] { return !registered.isEmpty(); }));
    EXPECT_EQ(registered.first(), address.toString() + QStringLiteral(" REGISTER$6710"));

    EXPECT_EQ(post(central, QStringLiteral("SEARCH$abba$")), kOk);
    ASSERT_TRUE(eventually([&] { return central.received(6715).size() == 1; }));
    EXPECT_EQ(resultRecords(central.received(6715).first()).size(), 2);

    // Any other asker is a user.
    SharingPeer user;
    EXPECT_EQ(post(user, QStringLiteral("SEARCH$abba$")), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6711).size() == 1; }));
    EXPECT_TRUE(central.received(6711).isEmpty());
    EXPECT_EQ(central.received(6715).size(), 1);
}

TEST_F(PersonalServerTest, DownloadGoesThroughTheWholeSequenceAndArrivesByteForByte)
{
    const QByteArray bytes = patternBytes(20 * 1024 * 1024 + 13);
    const QString big = share.addSong(QStringLiteral("Big"), QStringLiteral("Song"),
                                      share.music(QStringLiteral("big/song.mp3")), bytes);
    start();
    SharingPeer user;
    TempHome downloads;
    user.target = downloads.file(QStringLiteral("song.mp3"));

    EXPECT_EQ(post(user, QStringLiteral("DOWNLOAD$") + big), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6711, "INCOMING$").size() == 1; }));
    EXPECT_EQ(user.received(6711).first(), QStringLiteral("ENQUEUED$") + big);

    QElapsedTimer sinceLater;
    sinceLater.start();
    EXPECT_EQ(post(user, QStringLiteral("LATER$")), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6711, "INCOMING$").size() == 2; }));
    EXPECT_GE(sinceLater.elapsed(), 250) << "offered again before the pause was over";
    EXPECT_EQ(user.streamContacts, 0);

    EXPECT_EQ(post(user, QStringLiteral("GETIT$") + user.target), kOk);
    ASSERT_TRUE(eventually([&] { return !user.storedFiles.isEmpty(); }, 20s));
    EXPECT_EQ(user.storedFiles, QStringList{user.target});
    QFile stored(user.target);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_TRUE(stored.readAll() == bytes) << "the file arrived changed";
    ASSERT_TRUE(eventually([&] { return server->activeHost().isEmpty(); }));
    EXPECT_EQ(server->queued(), 0);
}

TEST_F(PersonalServerTest, LaterLetsAnotherHostsEntryGoFirst)
{
    start();
    SharingPeer first;
    SharingPeer second;
    TempHome downloads;
    second.target = downloads.file(QStringLiteral("w.mp3"));
    EXPECT_EQ(post(first, QStringLiteral("DOWNLOAD$") + dancingQueen), kOk);
    ASSERT_TRUE(eventually([&] { return first.received(6711, "INCOMING$").size() == 1; }));
    EXPECT_EQ(post(second, QStringLiteral("DOWNLOAD$") + waterloo), kOk);
    ASSERT_TRUE(eventually([&] { return server->queued() == 1; }));

    EXPECT_EQ(post(first, QStringLiteral("LATER$")), kOk);
    ASSERT_TRUE(eventually([&] { return second.received(6711, "INCOMING$").size() == 1; }));
    EXPECT_EQ(first.received(6711, "INCOMING$").size(), 1);
    EXPECT_EQ(post(second, QStringLiteral("GETIT$") + second.target), kOk);
    ASSERT_TRUE(eventually([&] { return second.storedFiles.size() == 1; }));
    // Then the first host's entry is offered again.
    ASSERT_TRUE(eventually([&] { return first.received(6711, "INCOMING$").size() == 2; }));
}

struct RefusedCase
{
    std::string name;
    // The name requested, made from the share's home.
    std::function<QString(ShareHome&)> request;
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

class PersonalServerRefuses : public PersonalServerTest,
                              public ::testing::WithParamInterface<RefusedCase>
{};

TEST_P(PersonalServerRefuses, ARequestForAFileItDoesNotOffer)
{
    const QString name = GetParam().request(share);
    start();
    SharingPeer user;
    EXPECT_EQ(post(user, QStringLiteral("DOWNLOAD$") + name), kOk);
    ASSERT_TRUE(eventually([&] { return logged(QStringLiteral("refused")); }));
    EXPECT_EQ(server->queued(), 0);
    EXPECT_TRUE(server->activeHost().isEmpty());
    spinFor(200ms);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(user.streamContacts, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PersonalServerRefuses,
    ::testing::Values(RefusedCase{"system file",
                                  [](ShareHome&) { return QStringLiteral("/etc/passwd"); }},
                      RefusedCase{"relative name leaving the folder",
                                  [](ShareHome&) { return QStringLiteral("../x"); }},
                      RefusedCase{"dot dot inside a catalogued path",
                                  [](ShareHome& home) {
                                      return ShareHome::wireName(
                                          home.music(QStringLiteral("abba/../abba/dq.mp3")));
                                  }},
                      RefusedCase{"catalogued folder",
                                  [](ShareHome& home) {
                                      QDir().mkpath(home.music(QStringLiteral("folder.mp3")));
                                      return home.addSong(
                                          QStringLiteral("ABBA"), QStringLiteral("Folder"),
                                          home.music(QStringLiteral("folder.mp3")), {}, {}, false);
                                  }},
                      RefusedCase{"file not in the table",
                                  [](ShareHome& home) {
                                      return ShareHome::wireName(writeTestFile(
                                          home.music(QStringLiteral("secret.mp3")), "x"));
                                  }}),
    RowName());

TEST_F(PersonalServerTest, GetItOrLaterFromAHostThatWasNotOfferedDoesNothing)
{
    start();
    SharingPeer user;
    SharingPeer intruder;
    TempHome downloads;
    user.target = downloads.file(QStringLiteral("dq.mp3"));
    intruder.target = downloads.file(QStringLiteral("stolen.mp3"));
    EXPECT_EQ(post(user, QStringLiteral("DOWNLOAD$") + dancingQueen), kOk);
    ASSERT_TRUE(eventually([&] { return user.received(6711, "INCOMING$").size() == 1; }));

    EXPECT_EQ(post(intruder, QStringLiteral("GETIT$") + intruder.target), kOk);
    EXPECT_EQ(post(intruder, QStringLiteral("LATER$")), kOk);
    ASSERT_TRUE(eventually([&] {
        return log.filter(QStringLiteral("ignored: nothing offered to this host")).size() == 2;
    }));
    spinFor(200ms);
    EXPECT_EQ(intruder.streamContacts, 0);
    EXPECT_EQ(user.streamContacts, 0);
    EXPECT_EQ(server->activeHost(), user.address.toString());

    // The offer still stands for the host it was made to.
    EXPECT_EQ(post(user, QStringLiteral("GETIT$") + user.target), kOk);
    ASSERT_TRUE(eventually([&] { return user.storedFiles.size() == 1; }));
    EXPECT_FALSE(QFile::exists(intruder.target));
}

TEST_F(PersonalServerTest, AnOfferThatIsNeverAnsweredIsDroppedAndTheQueueMovesOn)
{
    PersonalServer::Options options;
    options.offerTimeout = 400ms;
    start(options);
    SharingPeer silent;
    SharingPeer next;
    EXPECT_EQ(post(silent, QStringLiteral("DOWNLOAD$") + dancingQueen), kOk);
    ASSERT_TRUE(eventually([&] { return silent.received(6711, "INCOMING$").size() == 1; }));
    EXPECT_EQ(post(next, QStringLiteral("DOWNLOAD$") + waterloo), kOk);
    ASSERT_TRUE(eventually([&] { return next.received(6711, "INCOMING$").size() == 1; }));
    EXPECT_TRUE(logged(QStringLiteral("dropped: no answer to INCOMING$")));
    EXPECT_EQ(silent.received(6711, "INCOMING$").size(), 1);
}

TEST_F(PersonalServerTest, AHostThatCannotBeReachedGetsNothingQueued)
{
    start();
    // Posts from an address on which nothing listens for the answer.
    SharingPeer user;
    user.results.close();
    EXPECT_EQ(post(user, QStringLiteral("DOWNLOAD$") + dancingQueen), kOk);
    ASSERT_TRUE(eventually([&] { return logged(QStringLiteral("ENQUEUED$")); }));
    EXPECT_TRUE(logged(QStringLiteral("dropped: 10061: Connection refused")));
    EXPECT_EQ(server->queued(), 0);
    EXPECT_TRUE(server->activeHost().isEmpty());
}

TEST_F(PersonalServerTest, VerbsCountOnlyAtTheStartAndUnknownTextsAreIgnored)
{
    start();
    SharingPeer user;
    const QString texts[] = {QStringLiteral("HELLO"), QStringLiteral("xSEARCH$abba$"),
                             QStringLiteral(" DOWNLOAD$") + dancingQueen,
                             QStringLiteral("SEARCHRES$ABBA|")};
    for (const QString& text : texts)
        EXPECT_EQ(post(user, text), kOk) << text.toStdString();
    ASSERT_TRUE(eventually([&] { return log.filter(QStringLiteral(": ignored")).size() == 4; }));
    spinFor(200ms);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(server->queued(), 0);
    EXPECT_TRUE(server->activeHost().isEmpty());
}
