#include "Player.h"

#include "BlockReader.h"
#include "FileByteSource.h"
#include "StreamProbe.h"
#include "mpegdll.h"

#include <mpg123.h>
#include <out123.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <future>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace mpegdll {

namespace {

// Sound output: named drivers only. out123's default list ends in OpenAL, which on a machine
// without sound opens "successfully" and then never finishes draining.
constexpr const char* SoundDrivers = "pulse,alsa";

// Decoding to a file runs as fast as it can: big chunks. The sound output gets small ones, so
// that Stop and Pause take effect within a fraction of a second.
constexpr size_t FileChunkBytes = 1 << 20;
constexpr size_t SoundChunkBytes = 16 << 10;

// The reader's block: scanning a file through frame-sized reads costs many times the time of
// reading it through a big buffer.
constexpr size_t ReaderBlockBytes = 1 << 20;

mpg123_ssize_t readCallback(void* handle, void* buffer, size_t size)
{
    return static_cast<mpg123_ssize_t>(static_cast<BlockReader*>(handle)->read(buffer, size));
}

off_t seekCallback(void* handle, off_t offset, int whence)
{
    return static_cast<off_t>(static_cast<BlockReader*>(handle)->seek(offset, whence));
}

// Nice value of the play thread for the priorities the caller knows.
int niceFor(int priority)
{
    switch (priority) {
    case -15:
        return 19;
    case -2:
        return 10;
    case -1:
        return 5;
    case 1:
        return -5;
    case 2:
        return -10;
    case 15:
        return -20;
    default:
        return 0;
    }
}

enum class LengthPlan { TrustHeader, Count, Refuse };

// Encoders whose Xing/Info frame count is known to leave the header frame itself out, as
// libmpg123 reads it. Others (iTunes, mp3HD among them) count it in, which would make the
// length a frame longer than what decodes.
bool encoderCountsAudioFramesOnly(const StreamLayout& layout)
{
    for (const char* name : {"LAME", "Lavc", "Lavf", "GOGO", "L3.9"}) {
        if (std::memcmp(layout.encoder, name, sizeof layout.encoder) == 0)
            return true;
    }
    return false;
}

// Decides whether the length header of the first frame can be believed. It can when an encoder
// of known habits wrote it and the byte count it gives is exactly the audio bytes that are there
// (counted with or without an ID3v2 tag in front, as encoders differ): then its frame count is
// the stream's. Anything else is counted: a header that promises more than the file holds (a
// cut file, or a wrong header), junk or zeros after the frames, a VBRI header, which libmpg123
// does not read, a header covering only the first of several glued files, no header at all.
LengthPlan planLength(const StreamLayout& layout, bool seekable)
{
    const long long audioBytes = layout.audioEnd >= 0 ? layout.audioEnd - layout.audioStart : -1;
    const bool xingFrames = layout.header == LengthHeader::Xing && layout.headerFrames > 0;
    if (!seekable) {
        // Nothing can be counted without going back: the header is all there is, unless it
        // promises more than there can be.
        const long long slack = layout.first.maxFrameBytes();
        if (layout.headerBytes >= 0 && audioBytes >= 0 &&
            layout.headerBytes > audioBytes + layout.id3v2Bytes + slack)
            return LengthPlan::Refuse;
        return LengthPlan::TrustHeader;
    }
    if (audioBytes < 0)
        return xingFrames ? LengthPlan::TrustHeader : LengthPlan::Count;
    const long long promised = layout.headerBytes;
    const bool exact = promised == audioBytes || promised == audioBytes + layout.id3v2Bytes;
    return xingFrames && exact && encoderCountsAudioFramesOnly(layout) ? LengthPlan::TrustHeader
                                                                       : LengthPlan::Count;
}

// Average bitrate in kbit/s of `bytes` of frames lasting `frames` of the first frame's
// duration; none when the bytes are unknown.
std::optional<double> averageKbps(const StreamLayout& layout, long long bytes, long long frames,
                                  long rate)
{
    if (bytes < 0 || frames <= 0 || rate <= 0)
        return std::nullopt;
    const double seconds = static_cast<double>(frames) * layout.first.samplesPerFrame / rate;
    return static_cast<double>(bytes) * 8.0 / seconds / 1000.0;
}

// The bytes of audio frames in the window: libmpg123 skips a Xing/Info frame but decodes a VBRI
// frame as audio, so only the former is left out. From the walk when there was one, which left
// out what lies between frames; -1 when the end of the audio is unknown.
long long audioFrameBytes(const StreamLayout& layout, const std::optional<FrameWalk>& walked)
{
    const long long header = layout.header == LengthHeader::Xing ? layout.first.frameBytes : 0;
    if (walked)
        return walked->frameBytes - header;
    if (layout.audioEnd < 0)
        return -1;
    return layout.audioEnd - layout.audioStart - header;
}

int samplesPerFrame(const mpg123_frameinfo& info)
{
    if (info.layer == 1)
        return 384;
    return info.layer == 3 && info.version != MPG123_1_0 ? 576 : 1152;
}

// The length in samples at the first frame's rate of a stream whose frames differ in rate:
// each frame counts with its own duration. The encoder delay and padding libmpg123 took off
// the scanned length (scannedSamples of scannedFrames) come off this one as well. Leaves the
// decoder at the start.
std::optional<long long> lengthOfMixedFrames(mpg123_handle* decoder, const MpegFrameHeader& first,
                                             long long scannedSamples, long long scannedFrames)
{
    if (mpg123_seek(decoder, 0, SEEK_SET) < 0)
        return std::nullopt;
    // Samples per frame summed by rate, so that the sum is exact until the one division.
    std::vector<std::pair<long, long long>> byRate;
    long long frames = 0;
    for (;;) {
        const int result = mpg123_framebyframe_next(decoder);
        if (result == MPG123_DONE)
            break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            return std::nullopt;
        mpg123_frameinfo info = {};
        if (mpg123_info(decoder, &info) != MPG123_OK || info.rate <= 0)
            return std::nullopt;
        auto entry = std::find_if(byRate.begin(), byRate.end(),
                                  [&](const auto& e) { return e.first == info.rate; });
        if (entry == byRate.end())
            entry = byRate.insert(byRate.end(), {info.rate, 0});
        entry->second += samplesPerFrame(info);
        ++frames;
    }
    if (mpg123_seek(decoder, 0, SEEK_SET) < 0)
        return std::nullopt;
    double total = 0;
    for (const auto& [rate, samples] : byRate)
        total += static_cast<double>(samples) * first.sampleRate / static_cast<double>(rate);
    const long long trimmed =
        frames == scannedFrames ? scannedFrames * first.samplesPerFrame - scannedSamples : 0;
    return std::llround(total) - trimmed;
}

bool plausibleKbps(const MpegFrameHeader& first, double kbps)
{
    return kbps <= first.maxBitrateKbps() * 1.1 + 1.0 && kbps >= first.minBitrateKbps() * 0.9 - 1.0;
}

} // namespace

Player::Player() = default;

Player::~Player()
{
    closeSong();
    if (m_handle != nullptr)
        mpg123_delete(m_handle);
}

void Player::record(int code, const char* detail)
{
    // A failure stays until LastError() reads it; a success reports a failure of the play
    // thread that nobody has been told of yet.
    if (code == MPEGDLL_OK) {
        code = m_pendingError.exchange(MPEGDLL_OK);
        detail = "";
    }
    if (code != MPEGDLL_OK) {
        m_lastError = code;
        m_lastErrorDetail = detail;
    }
}

bool Player::requireSong()
{
    if (m_decoder != nullptr)
        return true;
    record(MPEGDLL_ERR_MODE);
    return false;
}

long long Player::msToSamples(long long ms) const
{
    return ms * m_rate / 1000;
}

int Player::samplesToMs(long long samples) const
{
    // Rounded to the nearest millisecond.
    return m_rate > 0 ? static_cast<int>((samples * 1000 + m_rate / 2) / m_rate) : 0;
}

bool Player::init()
{
    if (m_initialized) {
        record(MPEGDLL_ERR_MODE);
        return false;
    }
    if (mpg123_init() != MPG123_OK) {
        record(MPEGDLL_ERR_DECODER);
        return false;
    }
    // Settings that hold for every song; the output format is the song's and set per Open.
    int status = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &status);
    const bool ok =
        handle != nullptr &&
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0) == MPG123_OK &&
        // Junk between frames is stepped over however long it is, as the frame walk steps
        // over it: by default the decoder gives up after a kilobyte, and the song would end
        // there. The probe has found a chain of frames before the decoder ever sees the file.
        mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0) == MPG123_OK &&
        mpg123_replace_reader_handle(handle, readCallback, seekCallback, nullptr) == MPG123_OK;
    if (!ok) {
        if (handle != nullptr)
            mpg123_delete(handle);
        record(MPEGDLL_ERR_DECODER);
        return false;
    }
    m_handle = handle;
    m_block = std::make_unique_for_overwrite<unsigned char[]>(ReaderBlockBytes);
    m_initialized = true;
    record(MPEGDLL_OK);
    return true;
}

void Player::deinit()
{
    closeSong();
    if (m_handle != nullptr) {
        mpg123_delete(m_handle);
        m_handle = nullptr;
    }
    m_block.reset();
    m_initialized = false;
    m_device = MPEGDLL_DEVICE_SOUND;
    m_outputFile.clear();
    m_scale = 1.0;
    m_nice = 0;
    record(MPEGDLL_OK);
}

void Player::open(const char* fileName, int streamMode, const CallbackByteSource::Callbacks& stream)
{
    closeSong();
    if (!m_initialized) {
        record(MPEGDLL_ERR_MODE);
        return;
    }
    std::unique_ptr<ByteSource> source;
    if (streamMode == 0)
        source = FileByteSource::open(fileName);
    else if (streamMode == 1)
        source = CallbackByteSource::open(stream);
    if (!source) {
        record(MPEGDLL_ERR_INPUT, streamMode == 1 ? "the stream cannot be opened"
                                                  : "the file cannot be opened as a file");
        return;
    }
    if (source->size() == 0) {
        record(MPEGDLL_ERR_INPUT, "the file is empty");
        return;
    }
    auto reader =
        std::make_unique<BlockReader>(*source, std::span(m_block.get(), ReaderBlockBytes));
    std::optional<StreamLayout> layout = StreamProbe::probe(*reader, source->size());
    if (!layout) {
        record(MPEGDLL_ERR_INPUT, "no MPEG audio frame found");
        return;
    }
    const bool seekable = source->seekable();
    LengthPlan plan = planLength(*layout, seekable);
    if (plan == LengthPlan::Refuse) {
        record(MPEGDLL_ERR_INPUT, "the stream is shorter than its header says");
        return;
    }
    // The frames that are there, never what a header promises: a cut last frame and whatever
    // follows the last whole frame stay outside the decoder's window, so a file cut in the
    // middle of a frame reads and plays exactly as one cut where that frame begins.
    std::optional<FrameWalk> walked;
    if (plan == LengthPlan::Count && layout->audioEnd >= 0) {
        walked = StreamProbe::walk(*reader, *layout);
        const long long headerFrames = layout->header == LengthHeader::Xing ? 1 : 0;
        if (walked->frames <= headerFrames) {
            record(MPEGDLL_ERR_INPUT, "no whole MPEG audio frame");
            return;
        }
        const bool trimmed = walked->wholeEnd < layout->audioEnd;
        layout->audioEnd = walked->wholeEnd;
        // Zeros or an unknown tag after complete frames were all that disagreed with the header.
        if (trimmed && !walked->cutAtEnd && walked->clean() &&
            planLength(*layout, seekable) == LengthPlan::TrustHeader)
            plan = LengthPlan::TrustHeader;
    }
    reader->setWindow(layout->audioStart, layout->audioEnd);

    mpg123_handle* decoder = m_handle;
    // One output format for the whole stream, the first frame's: glued files with another
    // rate or channel count are converted rather than switching formats midway.
    const MpegFrameHeader& first = layout->first;
    bool ok =
        mpg123_format_none(decoder) == MPG123_OK &&
        mpg123_format(decoder, first.sampleRate, first.channels == 1 ? MPG123_MONO : MPG123_STEREO,
                      MPG123_ENC_SIGNED_16) == MPG123_OK;
    if (!ok) {
        record(MPEGDLL_ERR_DECODER);
        return;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    ok = mpg123_open_handle(decoder, reader.get()) == MPG123_OK &&
         mpg123_getformat(decoder, &rate, &channels, &encoding) == MPG123_OK &&
         rate == first.sampleRate;
    // A clean stream without a header frame is counted by the walk alone. With a header frame,
    // the decoder trims what the header tells it to (an encoder's delay and padding, its own
    // delay), and only its scan knows what that leaves of frames that are not as promised.
    long long frames = -1;
    long long samples = -1;
    if (ok && plan == LengthPlan::Count) {
        if (walked && walked->clean() && layout->header == LengthHeader::None) {
            frames = walked->frames;
            samples = frames * first.samplesPerFrame;
        } else {
            ok = mpg123_scan(decoder) == MPG123_OK;
        }
    }
    if (ok && frames < 0)
        frames = static_cast<long long>(mpg123_framelength(decoder));
    const long long bytes = audioFrameBytes(*layout, walked);
    std::optional<double> average = averageKbps(*layout, bytes, frames, rate);
    // A header frame count that cannot be true (the bytes would make an impossible bitrate)
    // is replaced by counting.
    if (ok && plan == LengthPlan::TrustHeader && average && !plausibleKbps(first, *average) &&
        seekable) {
        ok = mpg123_scan(decoder) == MPG123_OK;
        frames = ok ? static_cast<long long>(mpg123_framelength(decoder)) : -1;
        average = averageKbps(*layout, bytes, frames, rate);
    }
    if (ok && samples < 0)
        samples = static_cast<long long>(mpg123_length(decoder));
    // libmpg123 counts every frame as long as the first one: glued parts of other rates need
    // their frames' own durations, which the walk has told apart. Such a walk is never clean,
    // so these samples are the scan's.
    if (ok && walked && walked->durationsVary && samples > 0) {
        const std::optional<long long> summed =
            lengthOfMixedFrames(decoder, first, samples, frames);
        if (summed)
            samples = *summed;
        else
            ok = false;
    }
    // An average outside what MPEG allows after counting means the "frames" are noise that
    // happened to look like frames.
    if (!ok || samples <= 0 || frames <= 0 || (average && !plausibleKbps(first, *average))) {
        mpg123_close(decoder);
        record(MPEGDLL_ERR_INPUT, ok ? "the frames found are not MPEG audio"
                                     : "the MPEG audio frames cannot be decoded");
        return;
    }
    int kbps = average ? static_cast<int>(std::lround(*average)) : 0;
    if (!average) {
        mpg123_frameinfo info = {};
        if (mpg123_info(decoder, &info) == MPG123_OK)
            kbps = info.bitrate;
    }
    mpg123_volume(decoder, m_scale);

    m_source = std::move(source);
    m_reader = std::move(reader);
    m_decoder = decoder;
    m_rate = static_cast<int>(rate);
    m_channels = channels;
    m_layer = first.layer;
    m_bitrate = kbps;
    m_lengthSamples = samples;
    m_seekable = m_source->seekable();
    m_position = 0;
    m_mode = MPEGDLL_MODE_STOPPED;
    record(MPEGDLL_OK);
}

void Player::closeSong()
{
    stopPlayback();
    if (m_decoder != nullptr) {
        mpg123_close(m_decoder); // the handle stays for the next song
        m_decoder = nullptr;
    }
    m_reader.reset();
    m_source.reset();
    m_rate = m_channels = m_layer = m_bitrate = 0;
    m_lengthSamples = 0;
    m_seekable = false;
    m_lastStartMs = m_lastEndMs = 0;
    m_endFlag = nullptr;
    m_position = 0;
    m_mode = MPEGDLL_MODE_CLOSED;
    m_pendingError = MPEGDLL_OK; // a failure of the song just closed concerns nobody now
}

void Player::close()
{
    closeSong();
    record(MPEGDLL_OK);
}

out123_handle* Player::openOutput() const
{
    out123_handle* output = out123_new();
    if (output == nullptr)
        return nullptr;
    out123_param_int(output, OUT123_FLAGS, OUT123_QUIET);
    int status = -1;
    if (m_device == MPEGDLL_DEVICE_PCMFILE) {
        // The wav writer takes "-" for standard output; a file of that name is meant here.
        const std::string path = m_outputFile == "-" ? "./-" : m_outputFile;
        if (!path.empty())
            status = out123_open(output, "wav", path.c_str());
    } else {
        status = out123_open(output, SoundDrivers, nullptr);
    }
    if (status != 0 || out123_start(output, m_rate, m_channels, MPG123_ENC_SIGNED_16) != 0) {
        out123_del(output);
        return nullptr;
    }
    return output;
}

int Player::play(int startMs, int endMs, unsigned char* endFlag)
{
    if (!requireSong())
        return MPEGDLL_ERR_MODE;
    stopPlayback();
    m_mode = MPEGDLL_MODE_STOPPED;
    const int result = startPlayback(startMs, endMs, endFlag);
    record(result);
    return result;
}

int Player::startPlayback(int startMs, int endMs, unsigned char* endFlag)
{
    m_lastStartMs = startMs;
    m_lastEndMs = endMs;
    m_endFlag = endFlag;
    if (endFlag != nullptr)
        std::atomic_ref<unsigned char>(*endFlag).store(0);

    out123_handle* output = openOutput();
    if (output == nullptr)
        return MPEGDLL_ERR_OUTPUT;
    const long long start = std::clamp(msToSamples(startMs), 0LL, m_lengthSamples);
    {
        std::lock_guard lock(m_decoderLock);
        if (static_cast<long long>(mpg123_tell(m_decoder)) != start) {
            const off_t at = mpg123_seek(m_decoder, static_cast<off_t>(start), SEEK_SET);
            if (at < 0) {
                out123_del(output);
                return m_seekable ? MPEGDLL_ERR_INPUT : MPEGDLL_ERR_NOT_SEEKABLE;
            }
        }
        m_position = start;
    }
    m_endSample = endMs > 0 ? std::min(msToSamples(endMs), m_lengthSamples) : -1;
    m_chunkBytes = m_device == MPEGDLL_DEVICE_PCMFILE ? FileChunkBytes : SoundChunkBytes;
    m_output = output;
    {
        std::lock_guard lock(m_control);
        m_stopRequested = false;
        m_pauseRequested = false;
    }
    m_mode = MPEGDLL_MODE_PLAYING;
    // Play returns once the thread runs at its priority, so that the priority is in force
    // from the first sample on.
    std::promise<void> started;
    std::future<void> running = started.get_future();
    m_thread = std::thread([this, &started] {
        m_threadId = static_cast<pid_t>(::gettid());
        applyPriority(m_threadId);
        started.set_value();
        run();
    });
    running.wait();
    return MPEGDLL_OK;
}

void Player::stopPlayback()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_control);
            m_stopRequested = true;
        }
        m_abort = true;
        m_wake.notify_all();
        m_thread.join();
        m_abort = false;
    }
    if (m_output != nullptr) {
        out123_drop(m_output);
        out123_del(m_output); // closes the device; a WAV file gets its final header
        m_output = nullptr;
    }
}

bool Player::writeAll(unsigned char* data, size_t bytes)
{
    // The output takes a piece at a time (the wav writer 16 KiB); no progress means failure.
    // A stop request ends the chunk early: Stop waits for no more than one piece.
    while (bytes > 0 && !m_abort.load(std::memory_order_relaxed)) {
        const size_t written = out123_play(m_output, data, bytes);
        if (written == 0)
            return false;
        data += written;
        bytes -= written;
    }
    return true;
}

void Player::run()
{
    const size_t frameBytes = static_cast<size_t>(m_channels) * 2;
    std::vector<unsigned char> buffer(m_chunkBytes - m_chunkBytes % frameBytes);
    int failure = MPEGDLL_OK;
    bool finished = false;
    while (!finished) {
        {
            std::unique_lock lock(m_control);
            if (m_pauseRequested && !m_stopRequested) {
                out123_pause(m_output);
                m_wake.wait(lock, [this] { return !m_pauseRequested || m_stopRequested; });
                if (!m_stopRequested)
                    out123_continue(m_output);
            }
            if (m_stopRequested)
                break;
        }
        size_t bytes = 0;
        int status = MPG123_OK;
        unsigned long long seeks = 0;
        {
            std::lock_guard lock(m_decoderLock);
            seeks = m_seekCount;
            status = mpg123_read(m_decoder, buffer.data(), buffer.size(), &bytes);
            const long long after = static_cast<long long>(mpg123_tell(m_decoder));
            if (m_endSample >= 0 && after >= m_endSample) {
                const long long first = after - static_cast<long long>(bytes / frameBytes);
                const long long keep = std::max(0LL, m_endSample - first);
                bytes = std::min(bytes, static_cast<size_t>(keep) * frameBytes);
                m_position = m_endSample;
                finished = true;
            } else {
                m_position = std::max(0LL, after);
            }
        }
        if (status == MPG123_DONE) {
            finished = true;
        } else if (status != MPG123_OK && status != MPG123_NEW_FORMAT) {
            failure = MPEGDLL_ERR_INPUT;
            finished = true;
        }
        if (!writeAll(buffer.data(), bytes)) {
            failure = MPEGDLL_ERR_OUTPUT;
            finished = true;
        } else if (finished && failure == MPEGDLL_OK) {
            // A Seek while the last chunk was being written moved the decoder back: go on.
            std::lock_guard lock(m_decoderLock);
            finished = m_seekCount == seeks;
        }
    }

    bool stopped = false;
    {
        std::lock_guard lock(m_control);
        stopped = m_stopRequested;
    }
    if (!stopped) {
        // Plays out what the device holds and closes it, which completes a WAV file, before
        // anybody can see the end.
        out123_stop(m_output);
        std::lock_guard lock(m_control);
        if (failure == MPEGDLL_ERR_OUTPUT) {
            m_pendingError = failure;
            m_mode = MPEGDLL_MODE_STOPPED;
        } else {
            if (failure != MPEGDLL_OK)
                m_pendingError = failure;
            // The flag first: whoever sees the ended mode also sees the flag.
            if (m_endFlag != nullptr)
                std::atomic_ref<unsigned char>(*m_endFlag).store(1);
            m_mode = MPEGDLL_MODE_ENDED;
        }
    }
    m_threadId = 0;
}

void Player::pause(bool resume)
{
    if (!requireSong())
        return;
    std::unique_lock lock(m_control);
    if (!resume && m_mode == MPEGDLL_MODE_PLAYING) {
        m_pauseRequested = true;
        m_mode = MPEGDLL_MODE_PAUSED;
    } else if (resume && m_mode == MPEGDLL_MODE_PAUSED) {
        m_pauseRequested = false;
        m_mode = MPEGDLL_MODE_PLAYING;
        lock.unlock();
        m_wake.notify_all();
    } else {
        record(MPEGDLL_ERR_MODE);
        return;
    }
    record(MPEGDLL_OK);
}

void Player::restart()
{
    if (!requireSong())
        return;
    stopPlayback();
    m_mode = MPEGDLL_MODE_STOPPED;
    record(startPlayback(m_lastStartMs, m_lastEndMs, m_endFlag));
}

void Player::stop()
{
    if (!requireSong())
        return;
    stopPlayback();
    m_mode = MPEGDLL_MODE_STOPPED;
    record(MPEGDLL_OK);
}

void Player::seek(int positionMs)
{
    if (!requireSong())
        return;
    if (!m_seekable) {
        record(MPEGDLL_ERR_NOT_SEEKABLE);
        return;
    }
    const long long target = std::clamp(msToSamples(positionMs), 0LL, m_lengthSamples);
    std::lock_guard lock(m_decoderLock);
    const off_t at = mpg123_seek(m_decoder, static_cast<off_t>(target), SEEK_SET);
    if (at < 0) {
        record(MPEGDLL_ERR_INPUT);
        return;
    }
    m_position = static_cast<long long>(at);
    ++m_seekCount;
    record(MPEGDLL_OK);
}

void Player::resetMode()
{
    if (!requireSong())
        return;
    if (m_mode == MPEGDLL_MODE_ENDED) {
        stopPlayback();
        m_mode = MPEGDLL_MODE_STOPPED;
        if (m_endFlag != nullptr)
            std::atomic_ref<unsigned char>(*m_endFlag).store(0);
    }
    record(MPEGDLL_OK);
}

void Player::applyPriority(pid_t thread) const
{
    // Raising the priority needs privileges; without them the thread keeps its priority.
    if (thread != 0)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(thread), m_nice.load());
}

void Player::setPriority(int priority)
{
    m_nice = niceFor(priority);
    applyPriority(m_threadId.load());
    record(MPEGDLL_OK);
}

void Player::setOutputDevice(int device, const char* fileName)
{
    if (device != MPEGDLL_DEVICE_SOUND && device != MPEGDLL_DEVICE_PCMFILE) {
        record(MPEGDLL_ERR_OUTPUT);
        return;
    }
    m_device = device;
    m_outputFile = fileName != nullptr ? fileName : "";
    record(MPEGDLL_OK);
}

void Player::setScaleFactor(double factor)
{
    if (!std::isfinite(factor) || factor < 0.0) {
        record(MPEGDLL_ERR_DECODER);
        return;
    }
    m_scale = factor;
    if (m_decoder != nullptr) {
        std::lock_guard lock(m_decoderLock);
        mpg123_volume(m_decoder, factor);
    }
    record(MPEGDLL_OK);
}

int Player::frequency()
{
    if (!requireSong())
        return 0;
    record(MPEGDLL_OK);
    return m_rate;
}

int Player::bitrate()
{
    if (!requireSong())
        return 0;
    record(MPEGDLL_OK);
    return m_bitrate;
}

int Player::layer()
{
    if (!requireSong())
        return 0;
    record(MPEGDLL_OK);
    return m_layer;
}

int Player::mode()
{
    record(MPEGDLL_OK);
    return m_mode.load();
}

int Player::currentPosition()
{
    if (!requireSong())
        return 0;
    record(MPEGDLL_OK);
    return samplesToMs(m_position.load());
}

int Player::length()
{
    if (!requireSong())
        return 0;
    record(MPEGDLL_OK);
    return samplesToMs(m_lengthSamples);
}

int Player::seekable()
{
    record(MPEGDLL_OK);
    return m_decoder != nullptr && m_seekable ? 1 : 0;
}

int Player::takeLastError()
{
    const int code = m_lastError.exchange(MPEGDLL_OK);
    return code != MPEGDLL_OK ? code : m_pendingError.exchange(MPEGDLL_OK);
}

} // namespace mpegdll
