// The player's modes and calls around playing: Play, Pause, Stop, Restart, Seek, Close and the
// errors they report. Songs play into WAV files; a FIFO that nobody reads yet holds the play
// thread in a write wherever a test needs the player to stay in the playing mode.
#include "DecoderTestSupport.h"

#include <QDir>

#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <thread>
#include <unistd.h>

namespace {

constexpr long long FullSamples = 132300; // vbr_xing.mp3: 3 s at 44.1 kHz

constexpr long long WavHeaderBytes = 44;

class Playback : public DecoderTest
{
protected:
    // Starts playing vbr_xing.mp3 into the held output; the player stays in the playing mode
    // until the output is drained.
    void startHeld()
    {
        ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("vbr_xing.mp3")));
        SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, m_output.path().c_str());
        ASSERT_EQ(Play(0, 0, &m_ended), 0);
        ASSERT_EQ(LastError(), MPEGDLL_OK);
        ASSERT_EQ(GetPlayerMode(), MPEGDLL_MODE_PLAYING);
    }
    std::string wavPath() const { return tempPath("out.wav"); }

    HeldOutput m_output{tempPath("held.wav")};
    unsigned char m_ended = 0;
};

TEST_F(Playback, InitOnAnInitialisedCopyFails)
{
    EXPECT_EQ(init(), 0);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
    deinit();
    EXPECT_NE(init(), 0);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
}

TEST_F(Playback, CallsThatNeedASongAreModeErrorsWithoutOne)
{
    unsigned char ended = 0;
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"GetLength", [] { GetLength(); }},
        {"GetBitrate", [] { GetBitrate(); }},
        {"GetFrequency", [] { GetFrequency(); }},
        {"GetLayer", [] { GetLayer(); }},
        {"GetCurrentPos", [] { GetCurrentPos(); }},
        {"Seek", [] { Seek(1000); }},
        {"Pause", [] { Pause(0); }},
        {"Resume", [] { Pause(1); }},
        {"Restart", [] { Restart(); }},
        {"Stop", [] { Stop(); }},
        {"ResetPlayerMode", [] { ResetPlayerMode(); }},
        {"Play", [&ended] { EXPECT_NE(Play(0, 0, &ended), 0); }},
    };
    for (int round = 0; round < 2; ++round) {
        for (const auto& [name, call] : calls) {
            SCOPED_TRACE(name);
            call();
            EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
        }
        // The same once a song has been opened and closed again.
        ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("cbr128.mp3")));
        Close();
        EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_CLOSED);
    }
    EXPECT_EQ(Seekable(), 0);
}

TEST_F(Playback, LastErrorIsClearedByReadingIt)
{
    Open(mpegFixture("empty.mp3").c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
         nullptr);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_INPUT);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
}

TEST_F(Playback, ModesThroughPlayPauseResumeEndAndClose)
{
    ASSERT_NO_FATAL_FAILURE(startHeld());
    Pause(0);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_PAUSED);
    Pause(0);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
    Pause(1);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_PLAYING);
    Pause(1);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
    EXPECT_EQ(endFlag(m_ended), 0);

    m_output.drain();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_ENDED);
    EXPECT_EQ(endFlag(m_ended), 1);
    // The output is closed by the time the end shows: everything has come through.
    EXPECT_EQ(m_output.drained(), WavHeaderBytes + FullSamples * 4);
    EXPECT_EQ(GetCurrentPos(), 3000);

    ResetPlayerMode();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    EXPECT_EQ(endFlag(m_ended), 0);
    Close();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_CLOSED);
}

TEST_F(Playback, PauseOfASongThatIsNotPlayingIsAModeError)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("cbr128.mp3")));
    Pause(0);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
}

TEST_F(Playback, StopWhilePlayingThenRestartPlaysFromTheStartAgain)
{
    ASSERT_NO_FATAL_FAILURE(startHeld());
    m_output.drain(50); // Stop has to wait for the write the play thread is blocked in
    Stop();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    EXPECT_EQ(endFlag(m_ended), 0);
    EXPECT_LT(m_output.drained(), WavHeaderBytes + FullSamples * 4);

    // Restart plays into the output of the last Play again, a regular file this time.
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, wavPath().c_str());
    Restart();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_ENDED);
    EXPECT_EQ(endFlag(m_ended), 1);
    EXPECT_EQ(readWav(wavPath()).samples(), FullSamples);
}

TEST_F(Playback, StopWhilePaused)
{
    ASSERT_NO_FATAL_FAILURE(startHeld());
    Pause(0);
    m_output.drain(); // the thread finishes its write and then waits for the resume
    Stop();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    EXPECT_LT(m_output.drained(), WavHeaderBytes + FullSamples * 4);
}

TEST_F(Playback, CloseAndDeinitWhilePlaying)
{
    MemoryStream stream(readBytes(mpegFixture("vbr_xing.mp3")));
    stream.open();
    ASSERT_EQ(LastError(), MPEGDLL_OK);
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, m_output.path().c_str());
    ASSERT_EQ(Play(0, 0, nullptr), 0);
    m_output.drain(50);
    Close();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_CLOSED);
    EXPECT_EQ(stream.opened(), 1);
    EXPECT_EQ(stream.closed(), 1);
    m_output.drained();

    HeldOutput second(tempPath("second.wav"));
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("cbr128.mp3")));
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, second.path().c_str());
    ASSERT_EQ(Play(0, 0, nullptr), 0);
    second.drain(50);
    deinit();
    EXPECT_NE(init(), 0);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_CLOSED);
}

TEST_F(Playback, SeekWhileStoppedIsClampedToTheSong)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("vbr_xing.mp3")));
    const std::pair<int, int> seeks[] = {{1000, 1000}, {-50, 0}, {999999, 3000}, {2500, 2500}};
    for (const auto& [to, expected] : seeks) {
        SCOPED_TRACE(to);
        Seek(to);
        EXPECT_EQ(LastError(), MPEGDLL_OK);
        EXPECT_EQ(GetCurrentPos(), expected);
        EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    }
}

TEST_F(Playback, SeekWhilePlayingOrPausedContinuesFromThere)
{
    ASSERT_NO_FATAL_FAILURE(startHeld());
    Seek(1000);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetCurrentPos(), 1000);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_PLAYING);
    Pause(0);
    Seek(2000);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetCurrentPos(), 2000);
    Pause(1);
    m_output.drain();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(GetCurrentPos(), 3000);
    // Whatever had been decoded before the seek (the whole song at most), then the last second.
    const long long samples = (m_output.drained() - WavHeaderBytes) / 4;
    EXPECT_GE(samples, FullSamples - 88200);
    EXPECT_LE(samples, FullSamples + FullSamples - 88200);
}

TEST_F(Playback, PlayRangeDecodesExactlyThatRange)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("vbr_xing.mp3")));
    const struct
    {
        int start, end;
        long long samples;
    } ranges[] = {{1000, 2000, 44100}, {2500, 0, 22050}, {0, 99999, FullSamples}};
    for (const auto& range : ranges) {
        SCOPED_TRACE(range.start);
        const WavInfo wav = decodeToWav(range.start, range.end);
        EXPECT_EQ(wav.samples(), range.samples);
        EXPECT_EQ(GetCurrentPos(), range.end > 0 ? std::min(range.end, 3000) : 3000);
    }
}

TEST_F(Playback, SoundOutputWithoutSoundFailsAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("cbr128.mp3")));
    SetOutputDevice(MPEGDLL_DEVICE_SOUND, nullptr);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    unsigned char ended = 0;
    ::testing::internal::CaptureStderr();
    const int result = Play(0, 0, &ended);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    if (result == 0) {
        Stop();
        GTEST_SKIP() << "this machine has a sound output";
    }
    EXPECT_EQ(LastError(), MPEGDLL_ERR_OUTPUT);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    EXPECT_EQ(printed, "");
}

TEST_F(Playback, WavFileThatCannotBeWrittenIsAnOutputError)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("cbr128.mp3")));
    for (const std::string& target : {tempPath("missing/out.wav"), std::string()}) {
        SCOPED_TRACE(target);
        SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, target.c_str());
        EXPECT_NE(Play(0, 0, nullptr), 0);
        EXPECT_EQ(LastError(), MPEGDLL_ERR_OUTPUT);
        EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    }
    SetOutputDevice(7, tempPath("out.wav").c_str());
    EXPECT_EQ(LastError(), MPEGDLL_ERR_OUTPUT);
}

// A write that fails midway (a full disk) stops playing and reports an output error at the next
// call; the end flag stays clear.
TEST_F(Playback, WriteFailureWhilePlayingIsReportedAtTheNextCall)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("cbr128.mp3")));
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, "/dev/full");
    unsigned char ended = 0;
    if (Play(0, 0, &ended) != 0)
        GTEST_SKIP() << "/dev/full refused at once";
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_OUTPUT);
    EXPECT_EQ(endFlag(ended), 0);
}

// The wav writer would take "-" for standard output; here it is a file of that name.
TEST_F(Playback, WavFileNamedDashIsAFile)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("mpeg25_8k.mp3")));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, "-");
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Play(0, 0, nullptr), 0);
    EXPECT_TRUE(waitForEnd());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    QDir::setCurrent(previous);
    EXPECT_EQ(readWav(tempPath("-")).samples(), 24000);
}

TEST_F(Playback, OpenWhilePlayingClosesTheSongFirst)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("cbr128.mp3")));
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, wavPath().c_str());
    ASSERT_EQ(Play(0, 0, nullptr), 0);
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("mpeg2_mono_22k.mp3")));
    EXPECT_EQ(GetFrequency(), 22050);
    EXPECT_TRUE(readWav(wavPath()).valid);
}

TEST_F(Playback, StreamWithoutSeekingPlaysButCannotSeek)
{
    MemoryStream stream(readBytes(mpegFixture("vbr_xing.mp3")), false);
    stream.open();
    ASSERT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetLength(), 3000);
    EXPECT_EQ(Seekable(), 0);
    Seek(1000);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_NOT_SEEKABLE);
    EXPECT_EQ(decodeToWav().samples(), FullSamples);
    Close(); // before the stream goes
    EXPECT_EQ(stream.closed(), 1);
}

TEST_F(Playback, StreamWithSeekingMatchesTheFile)
{
    MemoryStream stream(readBytes(mpegFixture("vbr_noheader.mp3")));
    stream.open();
    ASSERT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetLength(), samplesToMs(133632, 44100));
    EXPECT_EQ(Seekable(), 1);
    EXPECT_EQ(decodeToWav(1000, 0).samples(), 133632 - 44100);
    Close();
}

TEST_F(Playback, ScaleFactorZeroSilencesTheOutput)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("cbr128.mp3")));
    UseScaleFactor(0.0);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    ASSERT_EQ(decodeToWav().samples(), FullSamples);
    const std::vector<char> bytes = readBytes(wavPath());
    EXPECT_EQ(std::count(bytes.begin() + 44, bytes.end(), '\0'),
              static_cast<long>(bytes.size()) - 44);
    UseScaleFactor(-1.0);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_DECODER);
}

// Nice values of the threads of this process.
std::vector<int> threadNiceValues()
{
    std::vector<int> values;
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr)
        return values;
    while (const dirent* entry = ::readdir(tasks)) {
        std::ifstream stat(std::string("/proc/self/task/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
            continue;
        // Fields after the command: state is field 3, nice field 19.
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 19 && rest >> field; ++i)
            if (i == 19)
                values.push_back(std::stoi(field));
    }
    ::closedir(tasks);
    return values;
}

TEST_F(Playback, IdlePriorityLowersThePlayThread)
{
    SetPriority(-15);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    ASSERT_NO_FATAL_FAILURE(startHeld());
    const std::vector<int> nice = threadNiceValues();
    EXPECT_NE(std::find(nice.begin(), nice.end(), 19), nice.end());
    m_output.drain();
    ASSERT_TRUE(waitForEnd());
}

} // namespace
