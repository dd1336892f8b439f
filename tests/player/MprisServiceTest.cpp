// The built-in player as a desktop media player, driven through a real bus by a client the way
// the panel's sound menu or playerctl drive it. Songs play to the pcmfile device; the clock
// stands still, so the position moves only when a test seeks.
#include "PlayerTestSupport.h"
#include "PrivateBus.h"

#include "platform/Clock.h"
#include "player/MprisService.h"
#include "player/PlayerTransport.h"
#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QUrl>

#include <memory>

namespace {

const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

class FixedClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2024, 3, 9), QTime(14, 25, 7)); }
};

} // namespace

// Keeps the signals the client receives, in order.
class SignalRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QDBusMessage> messages;

    // The changed properties of every PropertiesChanged received from the player interface.
    QList<QVariantMap> propertyChanges() const
    {
        QList<QVariantMap> changes;
        for (const QDBusMessage& message : messages) {
            if (message.member() != QLatin1String("PropertiesChanged") ||
                message.arguments().value(0).toString() != playerInterface)
                continue;
            QVariantMap changed = qdbus_cast<QVariantMap>(message.arguments().value(1));
            if (changed.contains(QStringLiteral("Metadata")))
                changed[QStringLiteral("Metadata")] =
                    qdbus_cast<QVariantMap>(changed.value(QStringLiteral("Metadata")));
            changes.append(changed);
        }
        return changes;
    }
    QList<qlonglong> seeked() const
    {
        QList<qlonglong> positions;
        for (const QDBusMessage& message : messages)
            if (message.member() == QLatin1String("Seeked"))
                positions.append(message.arguments().value(0).toLongLong());
        return positions;
    }

public slots:
    void record(const QDBusMessage& message) { messages.append(message); }
};

namespace {

// A player, its transport and a song source the test sets.
class PlayerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        player.setPathToDLL(folders.withLibrary(QStringLiteral("lib")));
        player.setOutFilename(folders.file(QStringLiteral("out.wav")));
        player.setOutputDevice(TMPEGPlayer::pcmfile);
        transport.setSongSource([this] { return song; });
    }
    void TearDown() override
    {
        if (player.loaded())
            player.unloadLibrary();
    }

    // The 20-minute song under a name that needs escaping in a URL.
    PlayerTransport::Song longSongWithSpaces()
    {
        const QString link = folders.file(QStringLiteral("Song #1 (live).mp2"));
        QFile::link(longSong(), link);
        return {QStringLiteral("An Artist"), QStringLiteral("A Title"), link,
                QStringLiteral("An Album")};
    }

    LibraryFolders folders;
    FixedClock clock;
    TMPEGPlayer player;
    PlayerTransport transport{player, clock};
    std::optional<PlayerTransport::Song> song;
};

// The same with the service on a bus of the test's own and a client on that bus.
class MprisServiceTest : public PlayerFixture
{
protected:
    void SetUp() override
    {
        if (PrivateBus::daemonProgram().isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed (package dbus-daemon): the media player "
                            "service needs a bus of its own";
        PlayerFixture::SetUp();
        const QString failure = bus.start();
        ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
        service = std::make_unique<MprisService>(transport, bus.connect(QStringLiteral("service")));
        ASSERT_TRUE(service->registered());
        client = bus.connect(QStringLiteral("client"));
        ASSERT_TRUE(client.isConnected());
        for (const auto& [interface, name] : {std::pair(propertiesInterface, "PropertiesChanged"),
                                              std::pair(playerInterface, "Seeked")})
            ASSERT_TRUE(client.connect(QString(), QLatin1String(MprisService::ObjectPath),
                                       interface, QLatin1String(name), &recorder,
                                       SLOT(record(QDBusMessage))));
    }
    void TearDown() override
    {
        service.reset();
        PlayerFixture::TearDown();
    }

    // Calls `method` through the bus and waits for the answer, letting the service work
    // meanwhile; signals the service sent before answering have been received on return.
    QDBusMessage call(const QString& interface, const QString& method,
                      const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QLatin1String(MprisService::ServiceName), QLatin1String(MprisService::ObjectPath),
            interface, method);
        message.setArguments(arguments);
        const QDBusPendingCall pending = client.asyncCall(message, 5000);
        EXPECT_TRUE(waitUntil([&] { return pending.isFinished(); }, 10000)) << method.toStdString();
        QCoreApplication::processEvents();
        return pending.reply();
    }
    QDBusMessage playerCall(const QString& method, const QVariantList& arguments = {})
    {
        return call(playerInterface, method, arguments);
    }

    QVariant property(const QString& interface, const QString& name)
    {
        const QDBusMessage reply =
            call(propertiesInterface, QStringLiteral("Get"), {interface, name});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QString status()
    {
        return property(playerInterface, QStringLiteral("PlaybackStatus")).toString();
    }
    QVariantMap metadata()
    {
        return qdbus_cast<QVariantMap>(property(playerInterface, QStringLiteral("Metadata")));
    }

    static QString trackIdOf(const QVariantMap& metadata)
    {
        return metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    }

    // Waits for a PropertiesChanged carrying `key`, beyond the first `seen` ones.
    bool waitForChange(qsizetype seen, const QString& key)
    {
        return waitUntil(
            [&] {
                const QList<QVariantMap> changes = recorder.propertyChanges();
                for (qsizetype i = seen; i < changes.size(); ++i)
                    if (changes[i].contains(key))
                        return true;
                return false;
            },
            5000);
    }

    // Plays the long song and pauses it at one minute; the position stays there.
    void pauseAtOneMinute()
    {
        song = longSongWithSpaces();
        transport.play();
        transport.pause();
        transport.seek(60000);
        // The answer comes after the signals of the steps before: none is left on its way.
        ASSERT_EQ(status(), QStringLiteral("Paused"));
        recorder.messages.clear();
    }

    PrivateBus bus;
    std::unique_ptr<MprisService> service;
    QDBusConnection client{QString()};
    SignalRecorder recorder;
};

TEST_F(MprisServiceTest, PlayPauseAndStopThroughTheBus)
{
    song = longSongWithSpaces();

    ASSERT_EQ(playerCall(QStringLiteral("PlayPause")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    const QVariantMap playing = metadata();
    const QString trackId = trackIdOf(playing);
    EXPECT_TRUE(trackId.startsWith(QLatin1String(MprisService::TrackPrefix)))
        << trackId.toStdString();
    EXPECT_EQ(playing.value(QStringLiteral("xesam:artist")).toStringList(),
              QStringList{QStringLiteral("An Artist")});
    EXPECT_EQ(playing.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("A Title"));
    EXPECT_EQ(playing.value(QStringLiteral("xesam:album")).toString(), QStringLiteral("An Album"));
    const QString url = playing.value(QStringLiteral("xesam:url")).toString();
    EXPECT_TRUE(url.endsWith(QLatin1String("/Song%20%231%20(live).mp2"))) << url.toStdString();
    EXPECT_EQ(QUrl(url).toLocalFile(), song->filename);
    const QVariant length = playing.value(QStringLiteral("mpris:length"));
    EXPECT_EQ(length.typeId(), QMetaType::LongLong);
    EXPECT_EQ(length.toLongLong(), qlonglong(transport.length()) * 1000);
    EXPECT_NEAR(length.toLongLong() / 1e6, longSongMinutes * 60, longSongMinutes * 60 / 100.0);

    // One command, one signal, with both values the client shows.
    ASSERT_TRUE(waitForChange(0, QStringLiteral("PlaybackStatus")));
    QList<QVariantMap> changes = recorder.propertyChanges();
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0].value(QStringLiteral("PlaybackStatus")).toString(),
              QStringLiteral("Playing"));
    EXPECT_EQ(changes[0].value(QStringLiteral("Metadata")).toMap(), playing);

    // The transport reports every second while playing; nothing a client shows has changed.
    for (int i = 0; i < 5; ++i)
        emit transport.changed();
    ASSERT_EQ(playerCall(QStringLiteral("PlayPause")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(status(), QStringLiteral("Paused"));
    ASSERT_TRUE(waitForChange(1, QStringLiteral("PlaybackStatus")));
    changes = recorder.propertyChanges();
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[1],
              (QVariantMap{{QStringLiteral("PlaybackStatus"), QStringLiteral("Paused")}}));

    ASSERT_EQ(playerCall(QStringLiteral("PlayPause")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    EXPECT_EQ(trackIdOf(metadata()), trackId) << "resuming is the same track";

    ASSERT_EQ(playerCall(QStringLiteral("Stop")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(status(), QStringLiteral("Stopped"));
    const QVariantMap stopped{{QStringLiteral("mpris:trackid"),
                               QVariant::fromValue(QDBusObjectPath(MprisService::NoTrack))}};
    EXPECT_EQ(metadata(), stopped);
    ASSERT_TRUE(waitForChange(2, QStringLiteral("Metadata")));
    changes = recorder.propertyChanges();
    EXPECT_EQ(changes.last().value(QStringLiteral("PlaybackStatus")).toString(),
              QStringLiteral("Stopped"));
    EXPECT_EQ(trackIdOf(changes.last().value(QStringLiteral("Metadata")).toMap()),
              QLatin1String(MprisService::NoTrack));

    // Playing again after Stop is a track of its own.
    ASSERT_EQ(playerCall(QStringLiteral("Play")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    EXPECT_NE(trackIdOf(metadata()), trackId);
}

// A play that fails, at opening the song or at starting the output (the sound server gone).
struct FailingPlayRow
{
    const char* name;
    bool missingFile;
    bool noOutput;
    const char* message;
};

const FailingPlayRow failingPlayRows[] = {
    {"missing file", true, false, "Input stream error"},
    {"output device failing", false, true, "Output device failure"},
};

class MprisFailingPlayTest : public MprisServiceTest,
                             public ::testing::WithParamInterface<FailingPlayRow>
{};

TEST_P(MprisFailingPlayTest, IsAnsweredWithThePlayersMessage)
{
    const FailingPlayRow& row = GetParam();
    QSignalSpy raised(service.get(), &MprisService::errorRaised);
    song = longSongWithSpaces();
    if (row.missingFile)
        song->filename = folders.file(QStringLiteral("missing.mp3"));
    if (row.noOutput)
        player.setOutFilename(folders.file(QStringLiteral("no/such/folder/out.wav")));

    for (const QString& method : {QStringLiteral("PlayPause"), QStringLiteral("Play")}) {
        const QDBusMessage reply = playerCall(method);
        ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage) << method.toStdString();
        EXPECT_EQ(reply.errorName(), QLatin1String(MprisService::ErrorName));
        EXPECT_TRUE(reply.errorMessage().startsWith(QLatin1String(row.message)))
            << reply.errorMessage().toStdString();
    }
    ASSERT_EQ(raised.size(), 2);
    EXPECT_TRUE(raised[0][0].toString().startsWith(QLatin1String(row.message)))
        << raised[0][0].toString().toStdString();
    EXPECT_EQ(status(), QStringLiteral("Stopped"));

    // Once the fault is mended, the next command plays.
    song = longSongWithSpaces();
    player.setOutFilename(folders.file(QStringLiteral("out.wav")));
    ASSERT_EQ(playerCall(QStringLiteral("PlayPause")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    EXPECT_EQ(raised.size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Rows, MprisFailingPlayTest, ::testing::ValuesIn(failingPlayRows),
                         RowName());

TEST_F(MprisServiceTest, TheWindowAndTheCommandsWithoutATransport)
{
    QSignalSpy raise(service.get(), &MprisService::raiseRequested);
    QSignalSpy raised(service.get(), &MprisService::errorRaised);

    EXPECT_EQ(call(rootInterface, QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(raise.size(), 1);
    EXPECT_EQ(call(rootInterface, QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);

    pauseAtOneMinute();
    for (const QString& method : {QStringLiteral("Next"), QStringLiteral("Previous")})
        EXPECT_EQ(playerCall(method).type(), QDBusMessage::ReplyMessage) << method.toStdString();
    EXPECT_EQ(status(), QStringLiteral("Paused"));

    const QDBusMessage open =
        playerCall(QStringLiteral("OpenUri"), {QStringLiteral("file:///tmp/other.mp3")});
    EXPECT_EQ(open.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(open.errorName(), QStringLiteral("org.freedesktop.DBus.Error.NotSupported"));
    EXPECT_EQ(transport.loadedSong().filename, song->filename);
    EXPECT_TRUE(raised.isEmpty()) << "refusing a file is no error of the player";
}

TEST_F(MprisServiceTest, AnotherInstanceHoldingTheNameLeavesTheFirstAnswering)
{
    QDBusConnection second = bus.connect(QStringLiteral("second"));
    {
        std::unique_ptr<MprisService> other;
        EXPECT_NO_THROW(other = std::make_unique<MprisService>(transport, second));
        EXPECT_FALSE(other->registered());
    }
    EXPECT_TRUE(service->registered());
    EXPECT_EQ(status(), QStringLiteral("Stopped"));
}

// The position moves by Seek and SetPosition from one minute into the paused long song.
struct PositionRow
{
    const char* name;
    const char* method;
    // SetPosition's track: the loaded one when empty.
    const char* track;
    qlonglong microseconds; // of the length when `fromEnd`
    bool fromEnd;
    int expectedMs; // -1: unchanged, and no Seeked
};

const PositionRow positionRows[] = {
    {"seek forward", "Seek", "", 10'000'000, false, 70000},
    {"seek back", "Seek", "", -10'000'000, false, 50000},
    {"seek back past the start", "Seek", "", -120'000'000, false, 0},
    {"seek past the end", "Seek", "", 120'000'000'000LL, false, -1},
    {"set position on the loaded track", "SetPosition", "", 5'000'000, false, 5000},
    {"set position at the very end", "SetPosition", "", 0, true, -2},
    {"set position on another track", "SetPosition", "/org/tamboro3/track/999", 5'000'000, false,
     -1},
    {"set position on no track", "SetPosition", "/org/mpris/MediaPlayer2/TrackList/NoTrack",
     5'000'000, false, -1},
    {"set position before the start", "SetPosition", "", -1, false, -1},
    {"set position past the end", "SetPosition", "", 1'000'000, true, -1},
};

class MprisPositionTest : public MprisServiceTest, public ::testing::WithParamInterface<PositionRow>
{};

TEST_P(MprisPositionTest, MovesOnlyWithinTheLoadedSong)
{
    const PositionRow& row = GetParam();
    pauseAtOneMinute();
    const qlonglong length = qlonglong(transport.length()) * 1000;
    const qlonglong value = row.fromEnd ? length + row.microseconds : row.microseconds;
    QVariantList arguments{value};
    if (QLatin1String(row.method) == QLatin1String("SetPosition")) {
        const QString track = *row.track ? QString::fromLatin1(row.track) : trackIdOf(metadata());
        arguments.prepend(QVariant::fromValue(QDBusObjectPath(track)));
    }
    ASSERT_EQ(playerCall(QLatin1String(row.method), arguments).type(), QDBusMessage::ReplyMessage);

    // -2: the length itself, to the millisecond.
    const int expected = row.expectedMs == -1   ? 60000
                         : row.expectedMs == -2 ? transport.length()
                                                : row.expectedMs;
    EXPECT_EQ(transport.position(), expected);
    EXPECT_EQ(property(playerInterface, QStringLiteral("Position")).toLongLong(),
              qlonglong(expected) * 1000);
    EXPECT_EQ(recorder.seeked(), row.expectedMs == -1
                                     ? QList<qlonglong>{}
                                     : QList<qlonglong>{qlonglong(expected) * 1000});
    EXPECT_EQ(status(), QStringLiteral("Paused"));
}

INSTANTIATE_TEST_SUITE_P(Rows, MprisPositionTest, ::testing::ValuesIn(positionRows), RowName());

// What any client reads, through an external one: gdbus prints each value with its bus type.
struct PropertyRow
{
    const char* name;
    const char* interface;
    const char* expected;
};

const PropertyRow propertyRows[] = {
    {"Identity", "org.mpris.MediaPlayer2", "(<'Tamboro 3'>,)"},
    {"DesktopEntry", "org.mpris.MediaPlayer2", "(<'tamboro3'>,)"},
    {"CanQuit", "org.mpris.MediaPlayer2", "(<false>,)"},
    {"CanRaise", "org.mpris.MediaPlayer2", "(<true>,)"},
    {"HasTrackList", "org.mpris.MediaPlayer2", "(<false>,)"},
    {"SupportedUriSchemes", "org.mpris.MediaPlayer2", "(<['file']>,)"},
    {"SupportedMimeTypes", "org.mpris.MediaPlayer2", "(<['audio/mpeg']>,)"},
    {"PlaybackStatus", "org.mpris.MediaPlayer2.Player", "(<'Stopped'>,)"},
    {"LoopStatus", "org.mpris.MediaPlayer2.Player", "(<'None'>,)"},
    {"Rate", "org.mpris.MediaPlayer2.Player", "(<1.0>,)"},
    {"MinimumRate", "org.mpris.MediaPlayer2.Player", "(<1.0>,)"},
    {"MaximumRate", "org.mpris.MediaPlayer2.Player", "(<1.0>,)"},
    {"Shuffle", "org.mpris.MediaPlayer2.Player", "(<false>,)"},
    {"Metadata", "org.mpris.MediaPlayer2.Player",
     "(<{'mpris:trackid': <objectpath '/org/mpris/MediaPlayer2/TrackList/NoTrack'>}>,)"},
    {"Volume", "org.mpris.MediaPlayer2.Player", "(<1.0>,)"},
    {"Position", "org.mpris.MediaPlayer2.Player", "(<int64 0>,)"},
    {"CanGoNext", "org.mpris.MediaPlayer2.Player", "(<false>,)"},
    {"CanGoPrevious", "org.mpris.MediaPlayer2.Player", "(<false>,)"},
    {"CanPlay", "org.mpris.MediaPlayer2.Player", "(<true>,)"},
    {"CanPause", "org.mpris.MediaPlayer2.Player", "(<true>,)"},
    {"CanSeek", "org.mpris.MediaPlayer2.Player", "(<true>,)"},
    {"CanControl", "org.mpris.MediaPlayer2.Player", "(<true>,)"},
};

class MprisPropertyTest : public MprisServiceTest, public ::testing::WithParamInterface<PropertyRow>
{};

TEST_P(MprisPropertyTest, ReadByAnExternalClient)
{
    const PropertyRow& row = GetParam();
    const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
    if (gdbus.isEmpty())
        GTEST_SKIP() << "gdbus is not installed (package libglib2.0-bin)";
    QProcess client;
    client.start(gdbus,
                 {QStringLiteral("call"), QStringLiteral("--address"), bus.address(),
                  QStringLiteral("--dest"), QLatin1String(MprisService::ServiceName),
                  QStringLiteral("--object-path"), QLatin1String(MprisService::ObjectPath),
                  QStringLiteral("--timeout"), QStringLiteral("5"), QStringLiteral("--method"),
                  QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                  QLatin1String(row.interface), QLatin1String(row.name)});
    // The service answers on this thread: the wait keeps the event loop running.
    ASSERT_TRUE(waitUntil([&] { return client.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString();
    EXPECT_EQ(client.readAllStandardOutput().trimmed().toStdString(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, MprisPropertyTest, ::testing::ValuesIn(propertyRows), RowName());

class MprisWithoutBusTest : public PlayerFixture
{};

TEST_F(MprisWithoutBusTest, ThePlayerWorksAlone)
{
    QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=") +
                                                             folders.file(QStringLiteral("no-bus")),
                                                         QStringLiteral("none"));
    ASSERT_FALSE(none.isConnected());
    std::unique_ptr<MprisService> service;
    ASSERT_NO_THROW(service = std::make_unique<MprisService>(transport, none));
    EXPECT_FALSE(service->registered());
    QSignalSpy raised(service.get(), &MprisService::errorRaised);

    song = longSongWithSpaces();
    transport.play();
    EXPECT_EQ(service->playbackStatus(), QStringLiteral("Playing"));
    EXPECT_NO_THROW(service->playPause());
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModePaused);

    // Called from within the program, a failure is only reported.
    transport.stop();
    song->filename = folders.file(QStringLiteral("missing.mp3"));
    EXPECT_NO_THROW(service->playPause());
    ASSERT_EQ(raised.size(), 1);
    EXPECT_TRUE(raised[0][0].toString().startsWith(QStringLiteral("Input stream error")))
        << raised[0][0].toString().toStdString();

    service.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
}

} // namespace

#include "MprisServiceTest.moc"
