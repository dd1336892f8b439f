// The component on the real decoder library: opening, the transport, the position timer.
// Songs play to the pcmfile device (a WAV file); the test machine has no sound output.
#include "PlayerTestSupport.h"

#include <QSignalSpy>

namespace {

class TMPEGPlayerPlayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        player.setPathToDLL(folders.withLibrary(QStringLiteral("lib")));
        player.loadLibrary();
    }
    void TearDown() override
    {
        if (player.loaded())
            player.unloadLibrary();
    }

    // Sends `p`'s output to a WAV file of this test; returns its path.
    QString toWav(TMPEGPlayer& p, const QString& name)
    {
        const QString path = folders.file(name);
        p.setOutFilename(path);
        p.setOutputDevice(TMPEGPlayer::pcmfile);
        return path;
    }

    void openFixture(const QString& name)
    {
        player.setStreamName(mpegFixture(name));
        player.open();
    }

    bool waitForMode(TMPEGPlayer& p, int mode)
    {
        return waitUntil([&] { return p.mode() == mode; });
    }

    LibraryFolders folders;
    TMPEGPlayer player;
};

TEST_F(TMPEGPlayerPlayTest, OpenReadsTheStreamProperties)
{
    openFixture(QStringLiteral("cbr128.mp3"));
    EXPECT_TRUE(player.opened());
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(player.playedXTimes(), 1);
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeStopped);
    EXPECT_NEAR(player.storedLength(), 3000, 30);
    EXPECT_EQ(player.length(), player.storedLength());
    EXPECT_EQ(player.frequency(), 44100);
    EXPECT_EQ(player.bitrate(), 128);

    player.close();
    EXPECT_FALSE(player.opened());
    EXPECT_EQ(player.playedXTimes(), 0);
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeClosed);
}

TEST_F(TMPEGPlayerPlayTest, EmptyStreamNameIsRefused)
{
    openFixture(QStringLiteral("cbr128.mp3"));
    player.setStreamName(QString());
    EXPECT_MPEG_ERROR(player.open(), 254, "Can't play non-specified stream");
    EXPECT_FALSE(player.opened());
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeClosed);
}

TEST_F(TMPEGPlayerPlayTest, NamingASongClosesTheOpenOne)
{
    openFixture(QStringLiteral("cbr128.mp3"));
    player.setStreamName(mpegFixture(QStringLiteral("vbr_xing.mp3")));
    EXPECT_FALSE(player.opened());
    EXPECT_EQ(player.playedXTimes(), 0);
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeClosed);
}

TEST_F(TMPEGPlayerPlayTest, UnreadableInputIsAnInputStreamError)
{
    const QString folder = folders.emptyFolder(QStringLiteral("a folder.mp3"));
    const QString cannotOpen = QStringLiteral("the file cannot be opened as a file");
    // Each with what the library found, which the error carries beside its fixed message.
    const std::pair<QString, QString> inputs[] = {
        {mpegFixture(QStringLiteral("empty.mp3")), QStringLiteral("the file is empty")},
        {mpegFixture(QStringLiteral("random.mp3")), QStringLiteral("no MPEG audio frame found")},
        {mpegFixture(QStringLiteral("wma.mp3")), QStringLiteral("no MPEG audio frame found")},
        {folder, cannotOpen},
        {folders.file(QStringLiteral("missing.mp3")), cannotOpen},
    };
    for (const auto& [input, detail] : inputs) {
        SCOPED_TRACE(input.toStdString());
        // A song open before is closed by the failed open, not kept.
        openFixture(QStringLiteral("cbr128.mp3"));
        player.setStreamName(input);
        EXPECT_MPEG_ERROR(player.open(), 3, "Input stream error");
        EXPECT_EQ(mpegErrorOf([&] { player.open(); }).value_or(TMPEGError(0)).detail(), detail);
        EXPECT_EQ(player.lastError(), 3);
        EXPECT_FALSE(player.opened());
        EXPECT_EQ(player.playedXTimes(), 0);
        EXPECT_EQ(player.mode(), TMPEGPlayer::ModeClosed);
        EXPECT_MPEG_ERROR(player.play(), 3, "Input stream error"); // play opens first
        EXPECT_FALSE(player.playing());
    }
    // The player is still fine.
    openFixture(QStringLiteral("vbr_xing.mp3"));
    EXPECT_TRUE(player.opened());
}

TEST_F(TMPEGPlayerPlayTest, TransportOnASongThatIsNotPlaying)
{
    openFixture(QStringLiteral("cbr128.mp3"));
    EXPECT_MPEG_ERROR(player.pause(true), 2, "Incorrect mode");
    EXPECT_FALSE(player.paused());
    player.pause(false); // nothing to resume, nothing to complain about
    EXPECT_FALSE(player.paused());
    EXPECT_MPEG_ERROR(player.stop(), 2, "Incorrect mode");
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeStopped);
    EXPECT_EQ(player.playedXTimes(), 1);
}

// Pause, resume, stop, and a second Play after Stop, which restarts the open song.
TEST_F(TMPEGPlayerPlayTest, PlayAfterStopRestartsTheSong)
{
    toWav(player, QStringLiteral("restart.wav"));
    player.setStreamName(longSong());
    player.open();
    EXPECT_EQ(player.playedXTimes(), 1);

    player.play();
    EXPECT_EQ(player.playedXTimes(), 2);
    EXPECT_TRUE(player.playing());
    player.pause(true);
    EXPECT_TRUE(player.paused());
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModePaused);
    // The play thread stops at its next block: the position then stands still, far from the end.
    int pausedAt = -1;
    EXPECT_TRUE(waitUntil([&] {
        const int before = player.position();
        QTest::qWait(20);
        pausedAt = player.position();
        return pausedAt == before;
    }));
    EXPECT_LT(pausedAt, player.storedLength() / 2);
    player.play(); // resumes: no new start
    EXPECT_FALSE(player.paused());
    EXPECT_EQ(player.playedXTimes(), 2);
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModePlaying);

    player.stop();
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeStopped);

    player.play();
    EXPECT_EQ(player.playedXTimes(), 3);
    EXPECT_TRUE(player.playing());
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModePlaying);
    player.close();
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeClosed);
}

TEST_F(TMPEGPlayerPlayTest, AutoPlayStartsOnOpenOnce)
{
    toWav(player, QStringLiteral("auto.wav"));
    player.setAutoPlay(true);
    openFixture(QStringLiteral("cbr128.mp3"));
    EXPECT_TRUE(player.playing());
    EXPECT_EQ(player.playedXTimes(), 2);
    ASSERT_TRUE(waitForMode(player, TMPEGPlayer::ModeEnded));

    // Play on a closed song opens it, which starts it: it is not started a second time.
    player.close();
    player.play();
    EXPECT_TRUE(player.playing());
    EXPECT_EQ(player.playedXTimes(), 2);
    ASSERT_TRUE(waitForMode(player, TMPEGPlayer::ModeEnded));
}

TEST_F(TMPEGPlayerPlayTest, WithoutTimerNoEventIsRaised)
{
    const QString wav = toWav(player, QStringLiteral("quiet.wav"));
    player.setTimerFreq(5);
    player.setUseTimer(false);
    QSignalSpy positions(&player, &TMPEGPlayer::OnPosUpdate);
    QSignalSpy ends(&player, &TMPEGPlayer::OnPlayEnd);

    openFixture(QStringLiteral("vbr_xing.mp3"));
    player.play();
    ASSERT_TRUE(waitForMode(player, TMPEGPlayer::ModeEnded));
    QTest::qWait(50);
    EXPECT_EQ(positions.count(), 0);
    EXPECT_EQ(ends.count(), 0);
    EXPECT_NEAR(readWav(wav).milliseconds(), player.storedLength(), 30);

    // Nobody noticed the end: the component still counts the song as playing, and the end flag
    // makes Stop a wrong mode.
    EXPECT_TRUE(player.playing());
    EXPECT_TRUE(player.ended());
    EXPECT_MPEG_ERROR(player.stop(), 2, "Incorrect mode");
}

TEST_F(TMPEGPlayerPlayTest, TimerReportsPositionsAndTheEndOnce)
{
    toWav(player, QStringLiteral("timed.wav"));
    player.setUseTimer(true);
    player.setTimerFreq(2);
    QSignalSpy positions(&player, &TMPEGPlayer::OnPosUpdate);
    QSignalSpy ends(&player, &TMPEGPlayer::OnPlayEnd);

    openFixture(QStringLiteral("cbr128.mp3"));
    player.play();
    EXPECT_GE(positions.count(), 1); // the first tick runs at once
    ASSERT_TRUE(waitUntil([&] { return ends.count() > 0; }));
    QTest::qWait(50);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_FALSE(player.playing());
    EXPECT_FALSE(player.ended()); // the end was handed to the handler
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeEnded);

    const int count = positions.count();
    int previous = 0;
    for (const QList<QVariant>& update : positions) {
        const int position = update.at(0).toInt();
        EXPECT_EQ(update.at(1).toInt(), player.storedLength());
        EXPECT_GE(position, 0);
        EXPECT_LE(position, player.storedLength());
        if (position > 0) { // a position past the length reads as 0
            EXPECT_GE(position, previous);
            previous = position;
        }
    }
    QTest::qWait(20);
    EXPECT_EQ(positions.count(), count); // the timer is off
}

// Without a handler for the end the flag stays set; the next Play takes the restart path.
TEST_F(TMPEGPlayerPlayTest, TimerWithoutEndHandlerLeavesTheFlag)
{
    const QString wav = toWav(player, QStringLiteral("again.wav"));
    player.setUseTimer(true);
    player.setTimerFreq(2);
    int updates = 0;
    QObject::connect(&player, &TMPEGPlayer::OnPosUpdate, [&](int, int) { ++updates; });

    openFixture(QStringLiteral("cbr128.mp3"));
    player.play();
    ASSERT_TRUE(waitUntil([&] { return !player.playing(); }));
    EXPECT_TRUE(player.ended());
    EXPECT_GE(updates, 1);

    QFile::remove(wav);
    player.play();
    EXPECT_EQ(player.playedXTimes(), 3);
    ASSERT_TRUE(waitUntil([&] { return !player.playing(); }));
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeEnded);
    EXPECT_NEAR(readWav(wav).milliseconds(), player.storedLength(), 30);
}

// A handler that raises must not take the event loop down: the tick stops the timer.
TEST_F(TMPEGPlayerPlayTest, ErrorInATickStopsTheTimer)
{
    toWav(player, QStringLiteral("raise.wav"));
    player.setUseTimer(true);
    player.setTimerFreq(1);
    bool armed = false;
    int raised = 0;
    QObject::connect(&player, &TMPEGPlayer::OnPosUpdate, [&](int, int) {
        if (armed) {
            ++raised;
            throw TMPEGError(TMPEGError::InternalError);
        }
    });

    player.setStreamName(longSong());
    player.open();
    player.play();
    ASSERT_TRUE(player.playing());
    armed = true;
    QTest::qWait(50);
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(player.playing()); // the failed tick changed nothing
    player.close();
}

TEST_F(TMPEGPlayerPlayTest, NoSoundOutputIsAnOutputDeviceFailure)
{
    openFixture(QStringLiteral("cbr128.mp3"));
    ASSERT_EQ(player.outputDevice(), TMPEGPlayer::wavemapper);
    const std::optional<TMPEGError> error = mpegErrorOf([&] { player.play(); });
    if (!error) {
        player.close();
        GTEST_SKIP() << "this machine has a sound output";
    }
    EXPECT_EQ(error->code(), 5);
    EXPECT_EQ(error->message(), "Output device failure");
    EXPECT_TRUE(player.opened());
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(player.playedXTimes(), 1);
    EXPECT_EQ(player.mode(), TMPEGPlayer::ModeStopped);
}

TEST_F(TMPEGPlayerPlayTest, TwoCopiesPlayAtTheSameTime)
{
    TMPEGPlayer other;
    other.setPathToDLL(folders.withLibrary(QStringLiteral("other")));
    other.loadLibrary();
    const QString firstWav = toWav(player, QStringLiteral("first.wav"));
    const QString otherWav = toWav(other, QStringLiteral("other.wav"));
    openFixture(QStringLiteral("concatenated.mp3"));
    other.setStreamName(mpegFixture(QStringLiteral("mpeg2_mono_22k.mp3")));
    other.open();

    player.play();
    other.play();
    EXPECT_TRUE(waitUntil([&] {
        return player.mode() == TMPEGPlayer::ModeEnded && other.mode() == TMPEGPlayer::ModeEnded;
    }));
    const WavInfo first = readWav(firstWav);
    const WavInfo second = readWav(otherWav);
    EXPECT_TRUE(first.valid);
    EXPECT_TRUE(second.valid);
    EXPECT_EQ(first.rate, 44100);
    EXPECT_EQ(second.rate, 22050);
    EXPECT_NEAR(first.milliseconds(), player.storedLength(), 30);
    EXPECT_NEAR(second.milliseconds(), other.storedLength(), 30);
    other.unloadLibrary();
}

// The song read through the stream events gives what the file gives.
TEST_F(TMPEGPlayerPlayTest, StreamEventsFeedTheSong)
{
    openFixture(QStringLiteral("vbr_xing.mp3"));
    const int fileLength = player.storedLength();
    const QString fileWav = toWav(player, QStringLiteral("file.wav"));
    player.play();
    ASSERT_TRUE(waitForMode(player, TMPEGPlayer::ModeEnded));
    player.close();

    QFile source(mpegFixture(QStringLiteral("vbr_xing.mp3")));
    int opens = 0;
    int closes = 0;
    player.setOnOpenStream([&] {
        ++opens;
        return source.isOpen() || source.open(QIODevice::ReadOnly);
    });
    player.setOnCloseStream([&] {
        ++closes;
        source.close();
    });
    player.setOnGetStreamSize([&] { return source.size(); });
    player.setOnSeekStream([&](qint64 offset) { return source.seek(offset) ? offset : -1; });
    player.setOnReadStream([&](char* buffer, qint64 size) { return source.read(buffer, size); });
    player.setFromStream(true);
    player.setStreamName(QString()); // not needed in stream mode

    player.open();
    EXPECT_GE(opens, 1);
    EXPECT_EQ(player.storedLength(), fileLength);
    const QString streamWav = toWav(player, QStringLiteral("stream.wav"));
    player.play();
    ASSERT_TRUE(waitForMode(player, TMPEGPlayer::ModeEnded));
    player.close();
    EXPECT_EQ(closes, opens);

    QFile a(fileWav);
    QFile b(streamWav);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
}

TEST_F(TMPEGPlayerPlayTest, StreamWithoutReadEventIsAnInputStreamError)
{
    player.setFromStream(true);
    EXPECT_MPEG_ERROR(player.open(), 3, "Input stream error");
    EXPECT_FALSE(player.opened());
}

} // namespace
