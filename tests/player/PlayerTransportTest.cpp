// The transport of the built-in player on the real decoder library: what each button does in
// each mode, the time display and its two timers, a song played to its end, and the errors of
// songs that cannot be played. Songs play to the pcmfile device; the clock is the test's own.
#include "PlayerTestSupport.h"

#include "platform/Clock.h"
#include "player/PlayerTransport.h"
#include "testsupport/CaseNames.h"

#include <QSignalSpy>

namespace {

class FakeClock : public Clock
{
public:
    QDateTime now() const override { return m_now; }
    void advance(int milliseconds) { m_now = m_now.addMSecs(milliseconds); }

private:
    QDateTime m_now = QDateTime(QDate(2026, 3, 1), QTime(12, 0));
};

using Song = PlayerTransport::Song;

class PlayerTransportTest : public ::testing::Test
{
protected:
    PlayerTransportTest()
    {
        player.setPathToDLL(folders.withLibrary(QStringLiteral("lib")));
        player.setOutFilename(wav);
        player.setOutputDevice(TMPEGPlayer::pcmfile);
        transport.setSongSource([this] { return current; });
    }
    ~PlayerTransportTest() override
    {
        if (player.loaded())
            player.unloadLibrary();
    }

    static Song song(const QString& path)
    {
        return {QStringLiteral("Artist"), QStringLiteral("Title"), path};
    }
    // Lets the start-up timer see the clock move, so that the display timer takes over.
    void letClockMove()
    {
        clock.advance(1);
        EXPECT_TRUE(waitUntil([&] { return transport.mTimer2()->isActive(); }, 5000));
    }
    // The loaded song's length as the display writes it.
    QString lengthText() { return PlayerTransport::timeText(player.storedLength()); }
    static void fire(QTimer* timer) { QMetaObject::invokeMethod(timer, "timeout"); }

    LibraryFolders folders;
    const QString wav = folders.file(QStringLiteral("out.wav"));
    TMPEGPlayer player;
    FakeClock clock;
    PlayerTransport transport{player, clock};
    std::optional<Song> current = song(longSong());
};

struct TimeRow
{
    const char* name;
    int milliseconds;
    const char* text;
};

class TimeTextTest : public ::testing::TestWithParam<TimeRow>
{};

TEST_P(TimeTextTest, WritesHoursMinutesSeconds)
{
    EXPECT_EQ(PlayerTransport::timeText(GetParam().milliseconds),
              QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Times, TimeTextTest,
                         ::testing::Values(TimeRow{"zero", 0, "0:00:00"},
                                           TimeRow{"under a second", 999, "0:00:00"},
                                           TimeRow{"under a minute", 59999, "0:00:59"},
                                           TimeRow{"one minute", 60000, "0:01:00"},
                                           TimeRow{"a song", 205000, "0:03:25"},
                                           TimeRow{"under an hour", 3599999, "0:59:59"},
                                           TimeRow{"one hour", 3600000, "1:00:00"},
                                           TimeRow{"ten hours", 36000000, "10:00:00"}),
                         RowName());

TEST_F(PlayerTransportTest, ButtonsThatDoNotApplyDoNothing)
{
    QSignalSpy changed(&transport, &PlayerTransport::changed);
    // Closed, and the library not even loaded yet.
    transport.stop();
    transport.pause();
    transport.seek(1000);
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModeClosed);
    EXPECT_FALSE(player.loaded());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(transport.display(), QStringLiteral("0:00:00/0:00:00"));
    EXPECT_EQ(transport.titleText(), QStringLiteral(" "));

    // No list window open or no file in the editor: ">" has no song to play.
    for (const std::optional<Song>& none : {std::optional<Song>(), std::optional(song({}))}) {
        current = none;
        transport.play();
        EXPECT_EQ(transport.mode(), TMPEGPlayer::ModeClosed);
    }

    current = song(longSong());
    transport.play();
    transport.pause();
    ASSERT_EQ(transport.mode(), TMPEGPlayer::ModePaused);
    const int count = changed.count();
    transport.pause();
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModePaused);
    EXPECT_EQ(changed.count(), count);
}

TEST_F(PlayerTransportTest, PlayShowsTheSongAndStopEmptiesTheDisplays)
{
    transport.play();
    EXPECT_TRUE(player.loaded());
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModePlaying);
    EXPECT_EQ(transport.titleText(), QStringLiteral("Artist - Title"));
    EXPECT_EQ(transport.loadedSong().filename, longSong());
    EXPECT_NEAR(transport.length(), longSongMinutes * 60000, 2000);
    EXPECT_EQ(transport.length(), player.storedLength());
    EXPECT_EQ(transport.display(), QStringLiteral("0:00:00/") + lengthText());
    EXPECT_TRUE(transport.mTimer()->isActive());

    transport.stop();
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModeClosed);
    EXPECT_EQ(transport.display(), QStringLiteral("0:00:00/0:00:00"));
    EXPECT_EQ(transport.titleText(), QString());
    EXPECT_EQ(transport.position(), 0);
    EXPECT_EQ(transport.length(), 0);
    EXPECT_TRUE(transport.loadedSong().filename.isEmpty());
    EXPECT_FALSE(transport.mTimer()->isActive());
    EXPECT_FALSE(transport.mTimer2()->isActive());

    // Stopping a closed player does nothing.
    transport.stop();
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModeClosed);
}

TEST_F(PlayerTransportTest, ASongLoadedWithoutPlayingPlaysAsLoaded)
{
    const QString shortSong = mpegFixture(QStringLiteral("cbr128.mp3"));
    transport.loadSong({QStringLiteral("Other"), QStringLiteral("Song"), shortSong});
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModeStopped);
    EXPECT_EQ(transport.titleText(), QStringLiteral("Other - Song"));
    transport.play();
    EXPECT_NE(transport.mode(), TMPEGPlayer::ModeStopped);
    EXPECT_EQ(transport.loadedSong().filename, shortSong);
    EXPECT_EQ(transport.titleText(), QStringLiteral("Other - Song"));
}

TEST_F(PlayerTransportTest, DisplayTimerTakesOverOnlyWhenTheClockMoves)
{
    transport.play();
    // However often the start-up timer runs, a clock standing still keeps it waiting.
    for (int i = 0; i < 5; ++i)
        fire(transport.mTimer());
    QTest::qWait(20);
    EXPECT_TRUE(transport.mTimer()->isActive());
    EXPECT_FALSE(transport.mTimer2()->isActive());
    EXPECT_EQ(transport.display(), QStringLiteral("0:00:00/") + lengthText());

    // Decoding into a file runs far ahead of the clock: the position has moved by now, and the
    // display shows it as soon as the display timer takes over.
    ASSERT_TRUE(waitUntil([&] { return player.position() > 0; }, 5000));
    letClockMove();
    EXPECT_FALSE(transport.mTimer()->isActive());
    EXPECT_GT(transport.position(), 0);
    EXPECT_EQ(transport.display(),
              PlayerTransport::timeText(transport.position()) + QLatin1Char('/') + lengthText());

    // Pause stops the display; ">" resumes and waits for the clock again.
    transport.pause();
    EXPECT_FALSE(transport.mTimer2()->isActive());
    transport.play();
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModePlaying);
    EXPECT_TRUE(transport.mTimer()->isActive());
    EXPECT_FALSE(transport.mTimer2()->isActive());
}

TEST_F(PlayerTransportTest, SeekingOnlyWhilePlayingOrPaused)
{
    QSignalSpy seeked(&transport, &PlayerTransport::seeked);
    transport.seek(5000);
    EXPECT_EQ(seeked.count(), 0);

    transport.play();
    letClockMove();
    transport.seek(10 * 60000);
    ASSERT_EQ(seeked.count(), 1);
    EXPECT_EQ(seeked.at(0).at(0).toInt(), 10 * 60000);
    EXPECT_EQ(transport.display(), QStringLiteral("0:10:00/") + lengthText());
    // The display timer rests until the clock moves past the seek.
    EXPECT_FALSE(transport.mTimer2()->isActive());
    EXPECT_TRUE(transport.mTimer()->isActive());
    EXPECT_GE(player.position(), 10 * 60000);

    transport.pause();
    transport.seek(60000);
    EXPECT_EQ(seeked.count(), 2);
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModePaused);
    EXPECT_NEAR(player.position(), 60000, 100);

    // A position past either end is the nearest end.
    transport.seek(-5);
    EXPECT_EQ(seeked.at(2).at(0).toInt(), 0);
    transport.seek(99 * 60000);
    EXPECT_EQ(seeked.at(3).at(0).toInt(), player.storedLength());
}

TEST_F(PlayerTransportTest, SongPlayedToItsEndShowsItsLengthAndPlaysAgain)
{
    const QString shortSong = mpegFixture(QStringLiteral("cbr128.mp3"));
    current = song(shortSong);
    transport.play();
    // The song may end before the clock moves: the hand-over then finds it ended at once.
    clock.advance(1);
    ASSERT_TRUE(waitUntil([&] { return transport.mode() == TMPEGPlayer::ModeEnded; }));
    fire(transport.mTimer2());
    const int length = player.storedLength();
    EXPECT_EQ(transport.position(), length);
    EXPECT_EQ(transport.length(), length);
    EXPECT_EQ(transport.display(), PlayerTransport::timeText(length) + QLatin1Char('/') +
                                       PlayerTransport::timeText(length));
    EXPECT_FALSE(transport.mTimer2()->isActive());

    // ">" plays the same song again from its start: the whole song is written once more.
    QFile::remove(wav);
    transport.play();
    ASSERT_TRUE(waitUntil([&] { return transport.mode() == TMPEGPlayer::ModeEnded; }));
    transport.stop();
    EXPECT_NEAR(readWav(wav).milliseconds(), length, 50);

    // Or the song the editor shows by then.
    transport.play();
    ASSERT_TRUE(waitUntil([&] { return transport.mode() == TMPEGPlayer::ModeEnded; }));
    current = song(longSong());
    transport.play();
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModePlaying);
    EXPECT_EQ(transport.loadedSong().filename, longSong());
    EXPECT_EQ(transport.display(), QStringLiteral("0:00:00/") + lengthText());

    // Stop after the end closes the song as well.
    current = song(shortSong);
    transport.stop();
    transport.play();
    ASSERT_TRUE(waitUntil([&] { return transport.mode() == TMPEGPlayer::ModeEnded; }));
    transport.stop();
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModeClosed);
    EXPECT_EQ(transport.display(), QStringLiteral("0:00:00/0:00:00"));
}

struct BadSongRow
{
    const char* name;
    // Makes the song's file in `folders`; returns its path.
    QString (*make)(LibraryFolders& folders);
    const char* message;
};

class BadSongTest : public PlayerTransportTest, public ::testing::WithParamInterface<BadSongRow>
{};

TEST_P(BadSongTest, RaisesThePlayersErrorAndTheNextSongPlays)
{
    const QString path = GetParam().make(folders);
    current = song(path);
    const std::optional<TMPEGError> error = mpegErrorOf([&] { transport.play(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), TMPEGError::InputStreamError);
    const QString message = QString::fromLatin1(GetParam().message);
    EXPECT_EQ(error->message(),
              message.contains(QLatin1String("%1")) ? message.arg(path) : message);
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModeClosed);
    EXPECT_EQ(transport.display(), QStringLiteral("0:00:00/0:00:00"));
    EXPECT_EQ(transport.titleText(), QString());
    EXPECT_FALSE(transport.mTimer()->isActive());

    current = song(longSong());
    transport.play();
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModePlaying);
    EXPECT_EQ(transport.titleText(), QStringLiteral("Artist - Title"));
}

INSTANTIATE_TEST_SUITE_P(
    Songs, BadSongTest,
    ::testing::Values(
        BadSongRow{"missing file",
                   [](LibraryFolders& f) { return f.file(QStringLiteral("gone.mp3")); },
                   "Input stream error: the file \"%1\" does not exist"},
        BadSongRow{"no audio in it",
                   [](LibraryFolders& f) {
                       return writeTestFile(f.file(QStringLiteral("text.mp3")),
                                            QByteArray("no frames here\n").repeated(100));
                   },
                   "Input stream error"},
        BadSongRow{
            "empty file",
            [](LibraryFolders& f) { return writeTestFile(f.file(QStringLiteral("empty.mp3"))); },
            "Input stream error"}),
    RowName());

TEST_F(PlayerTransportTest, OutputThatCannotOpenLeavesThePlayerClosedAndUsable)
{
    player.setOutFilename(folders.file(QStringLiteral("no/such/folder/out.wav")));
    EXPECT_MPEG_ERROR(transport.play(), TMPEGError::OutputDeviceFailure, "Output device failure");
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModeClosed);
    EXPECT_EQ(transport.display(), QStringLiteral("0:00:00/0:00:00"));
    EXPECT_FALSE(transport.mTimer()->isActive());

    player.setOutFilename(wav);
    transport.play();
    EXPECT_EQ(transport.mode(), TMPEGPlayer::ModePlaying);
}

} // namespace
