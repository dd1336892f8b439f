#pragma once

#include "CallbackByteSource.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>

struct mpg123_handle_struct;
struct out123_struct;

namespace mpegdll {

class BlockReader;
class ByteSource;

// The one player of a loaded copy of the library: an open song, its stream properties, and
// a play thread that decodes it to the sound output or a WAV file.
//
// All public calls come from one thread (the caller's). The play thread shares the decoder
// with them under m_decoderLock, and its run state (mode, pause and stop requests) under
// m_control; it reports back only through the mode, the position, the end flag and an error
// kept for the caller's next call.
class Player
{
public:
    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool init();
    void deinit();
    // fileName for streamMode 0, the callbacks for streamMode 1.
    void open(const char* fileName, int streamMode, const CallbackByteSource::Callbacks& stream);
    void close();
    // Returns 0 on success, else the error code (also recorded).
    int play(int startMs, int endMs, unsigned char* endFlag);
    void pause(bool resume);
    void restart();
    void stop();
    void seek(int positionMs);
    void resetMode();
    void setPriority(int priority);
    void setOutputDevice(int device, const char* fileName);
    void setScaleFactor(double factor);

    int frequency();
    int bitrate();
    int layer();
    int mode();
    int currentPosition();
    int length();
    int seekable();
    int takeLastError();
    // What the last failure found, in words ("the file is empty"); empty when it has no more
    // to say than its code. Not cleared by takeLastError.
    const char* lastErrorDetail() const { return m_lastErrorDetail.c_str(); }

private:
    // Records the outcome of a public call: its own failure, else a failure of the play thread
    // that nobody has been told of yet.
    void record(int code, const char* detail = "");
    bool requireSong();
    int startPlayback(int startMs, int endMs, unsigned char* endFlag);
    void stopPlayback();
    void closeSong();
    out123_struct* openOutput() const;
    long long msToSamples(long long ms) const;
    int samplesToMs(long long samples) const;
    void applyPriority(pid_t thread) const;
    bool writeAll(unsigned char* data, size_t bytes);
    void run();

    bool m_initialized = false;

    // Kept from init() to deinit(): a fresh decoder and a fresh (zeroed) megabyte per song
    // cost more than probing a typical file. The song's reader works in m_block.
    mpg123_handle_struct* m_handle = nullptr;
    std::unique_ptr<unsigned char[]> m_block;

    // The open song; m_decoder is null when none is open, else m_handle.
    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<BlockReader> m_reader;
    mpg123_handle_struct* m_decoder = nullptr;
    int m_rate = 0;
    int m_channels = 0;
    int m_layer = 0;
    int m_bitrate = 0;
    long long m_lengthSamples = 0;
    bool m_seekable = false;

    // Where the next Play goes.
    int m_device = 0;
    std::string m_outputFile;
    double m_scale = 1.0;
    std::atomic<int> m_nice{0};

    // The range and end flag of the last Play, for Restart.
    int m_lastStartMs = 0;
    int m_lastEndMs = 0;
    unsigned char* m_endFlag = nullptr;

    // Playback. m_output and m_endSample are set before the thread starts and released after
    // it has been joined.
    out123_struct* m_output = nullptr;
    long long m_endSample = -1;
    size_t m_chunkBytes = 0;
    std::thread m_thread;
    std::mutex m_decoderLock;
    std::mutex m_control;
    std::condition_variable m_wake;
    bool m_stopRequested = false;     // guarded by m_control
    bool m_pauseRequested = false;    // guarded by m_control
    std::atomic<bool> m_abort{false}; // m_stopRequested, for a glance between writes
    std::atomic<int> m_mode{0};
    std::atomic<long long> m_position{0}; // samples; written under m_decoderLock
    unsigned long long m_seekCount = 0;   // guarded by m_decoderLock
    std::atomic<pid_t> m_threadId{0};
    std::atomic<int> m_lastError{0};
    std::atomic<int> m_pendingError{0};
    std::string m_lastErrorDetail; // the caller's thread only
};

} // namespace mpegdll
