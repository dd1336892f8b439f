#pragma once

#include "mpegdll.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Path of a committed fixture under tests/data/mpeg.
std::string mpegFixture(const std::string& name);
std::vector<char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<char>& bytes);

// Milliseconds as the library gives them: samples * 1000 / rate, rounded to the nearest.
long long samplesToMs(long long samples, int rate);

// The format and size of a PCM WAV file, from its header chunks.
struct WavInfo
{
    bool valid = false;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    long long dataBytes = 0;
    long long samples() const { return channels > 0 ? dataBytes / (channels * bits / 8) : 0; }
};
WavInfo readWav(const std::string& path);

// Each test gets the library freshly initialised and a temporary folder; tear-down deinitialises
// it again, so that no song, thread or output survives a test.
class DecoderTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    std::string tempPath(const std::string& name) const;
    // Opens a file and expects success.
    void openFile(const std::string& path);
    // Plays the open song into a WAV file and waits for the end; returns the WAV's header data.
    WavInfo decodeToWav(int startMs = 0, int endMs = 0);

    QTemporaryDir m_dir;
};

// The end flag as the play thread leaves it (it stores the byte atomically).
int endFlag(unsigned char& flag);

// Polls the player until it leaves the playing and paused modes. The cap only turns a hang into
// a failure; nothing is asserted about the time taken.
bool waitForEnd();

// An in-memory song behind the stream callbacks, delivered in small pieces as a network stream
// would deliver it.
class MemoryStream
{
public:
    explicit MemoryStream(std::vector<char> data, bool seekable = true);

    // Opens the song in stream mode.
    void open();
    int opened() const { return m_opened; }
    int closed() const { return m_closed; }

private:
    static int onOpen(void* context);
    static void onClose(void* context);
    static int onRestart(void* context);
    static long long onRead(void* context, void* buffer, long long size);
    static long long onSeek(void* context, long long offset);
    static long long onGetSize(void* context);

    std::vector<char> m_data;
    bool m_seekable;
    long long m_position = 0;
    int m_opened = 0;
    int m_closed = 0;
};

// A FIFO to play into as if it were the WAV file. Until it is drained, the play thread blocks
// in a write once the pipe is full, a few hundred milliseconds into the song, so the player
// stays in the playing (or paused) mode for as long as a test needs. The read end is opened
// first, so that opening the FIFO for writing does not wait.
class HeldOutput
{
public:
    explicit HeldOutput(const std::string& path);
    ~HeldOutput();
    HeldOutput(const HeldOutput&) = delete;
    HeldOutput& operator=(const HeldOutput&) = delete;

    const std::string& path() const { return m_path; }
    // Starts reading everything that comes through, after a delay, on a thread of its own.
    void drain(int delayMs = 0);
    // Once the writer has closed the FIFO (or when it never opened it): the bytes that came
    // through.
    long long drained();

private:
    std::string m_path;
    int m_fd = -1;
    std::thread m_reader;
    long long m_bytes = 0;
    std::atomic<bool> m_finishing{false};
};
