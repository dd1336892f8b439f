// Length, bitrate, frequency and layer of every kind of stream, and the exact sample count of a
// full decode. The sample counts are libmpg123's own after a scan of the whole file (see
// tests/data/mpeg/README); the length must match them for every kind, including those where
// libmpg123 without a scan guesses wrong (no header, glued files).
#include "DecoderTestSupport.h"
#include "testsupport/CaseNames.h"
#include "testsupport/DamagedStreams.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using namespace DamagedStreams;

std::vector<char> fixture(const char* name)
{
    return readBytes(mpegFixture(name));
}

struct StreamCase
{
    const char* file;
    long long samples; // per channel, gapless, after a full scan
    int rate;
    int channels;
    int layer;
    int kbps;     // average bitrate: audio bytes without a Xing frame over the frames' duration
    int sourceMs; // length of the audio that was encoded
};

void PrintTo(const StreamCase& c, std::ostream* os)
{
    *os << c.file;
}

const StreamCase Streams[] = {
    {"cbr128.mp3", 132300, 44100, 2, 3, 128, 3000},
    {"vbr_xing.mp3", 132300, 44100, 2, 3, 56, 3000},
    {"vbr_noheader.mp3", 133632, 44100, 2, 3, 56, 3000},
    {"vbr_xing_id3.mp3", 132300, 44100, 2, 3, 56, 3000},
    {"mpeg2_mono_22k.mp3", 66150, 22050, 1, 3, 21, 3000},
    {"mpeg25_8k.mp3", 24000, 8000, 1, 3, 24, 3000},
    {"layer2.mp2", 132480, 44100, 2, 2, 128, 3000},
    {"concatenated.mp3", 179208, 44100, 2, 3, 78, 4000},
};

class StreamProperties : public DecoderTest, public ::testing::WithParamInterface<StreamCase>
{};

TEST_P(StreamProperties, LengthIsTheScannedSampleCount)
{
    const StreamCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture(c.file)));
    const int length = GetLength();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(length, samplesToMs(c.samples, c.rate));
    // Encoder delay and padding of a file without gapless information stay within a few frames.
    EXPECT_NEAR(length, c.sourceMs, 70);
    EXPECT_EQ(GetFrequency(), c.rate);
    EXPECT_EQ(GetLayer(), c.layer);
    EXPECT_EQ(GetBitrate(), c.kbps);
    EXPECT_EQ(Seekable(), 1);
    EXPECT_EQ(GetCurrentPos(), 0);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
}

TEST_P(StreamProperties, DecodesExactlyTheScannedSampleCount)
{
    const StreamCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture(c.file)));
    const WavInfo wav = decodeToWav();
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.rate, c.rate);
    EXPECT_EQ(wav.channels, c.channels);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_EQ(wav.samples(), c.samples);
    EXPECT_EQ(GetCurrentPos(), samplesToMs(c.samples, c.rate));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, StreamProperties, ::testing::ValuesIn(Streams),
                         [](const auto& info) { return caseName(info.param.file); });

// Files made at test time from the fixtures, with the samples libmpg123 finds in them.
struct DerivedCase
{
    const char* name;
    std::vector<char> (*make)();
    long long samples;
    int kbps = 0; // the average bitrate, when the case is about it
};

void PrintTo(const DerivedCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<char> withApeAndId3v1Tags()
{
    std::vector<char> bytes = readBytes(mpegFixture("vbr_xing.mp3"));
    // APEv2 tag: one item, with header and footer; then an ID3v1 tag.
    const char item[] = "\x05\x00\x00\x00\x00\x00\x00\x00Title\0Hello";
    std::vector<char> ape;
    auto block = [&](bool header) {
        const unsigned size = 32 + sizeof item - 1;
        const unsigned flags = 0x80000000u | (header ? 0x20000000u : 0);
        ape.insert(ape.end(), {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'});
        for (unsigned v : {2000u, size, 1u, flags})
            for (int i = 0; i < 4; ++i)
                ape.push_back(static_cast<char>(v >> (8 * i)));
        ape.insert(ape.end(), 8, '\0');
    };
    block(true);
    ape.insert(ape.end(), item, item + sizeof item - 1);
    block(false);
    bytes.insert(bytes.end(), ape.begin(), ape.end());
    std::vector<char> id3v1(128, '\0');
    std::memcpy(id3v1.data(), "TAGSong", 7);
    bytes.insert(bytes.end(), id3v1.begin(), id3v1.end());
    return bytes;
}

// The last frame of a file without a header, cut in the middle: the whole frames still play.
std::vector<char> headerlessWithCutLastFrame()
{
    std::vector<char> bytes = readBytes(mpegFixture("vbr_noheader.mp3"));
    bytes.resize(bytes.size() - 20);
    return bytes;
}

// Zeros between two frames in the middle of the header-less file: the frame walk breaks off
// there and the decoder's scan, which steps over the gap, still counts every frame.
std::vector<char> headerlessWithGap()
{
    std::vector<char> bytes = readBytes(mpegFixture("vbr_noheader.mp3"));
    static constexpr int Kbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                     112, 128, 160, 192, 224, 256, 320, 0};
    size_t at = 0;
    for (int frame = 0; frame < 50 && at + 4 <= bytes.size(); ++frame) {
        const auto b2 = static_cast<unsigned char>(bytes[at + 2]); // MPEG-1 Layer III, 44.1 kHz
        at += static_cast<size_t>(144 * Kbps[b2 >> 4] * 1000 / 44100 + ((b2 >> 1) & 1));
    }
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), 37, '\0');
    return bytes;
}

// A VBRI header frame (all-zero audio, which libmpg123 decodes as one more frame of silence)
// in front of the header-less file. promisedFactor scales the byte count it states.
std::vector<char> withVbriHeader(long long promisedFactor)
{
    const std::vector<char> audio = readBytes(mpegFixture("vbr_noheader.mp3"));
    std::vector<char> frame(417, '\0'); // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, joint stereo
    const unsigned char header[] = {0xFF, 0xFB, 0x90, 0x64};
    std::memcpy(frame.data(), header, 4);
    std::memcpy(frame.data() + 36, "VBRI", 4);
    frame[36 + 5] = 1; // version 1
    const unsigned bytes = static_cast<unsigned>((frame.size() + audio.size()) * promisedFactor);
    const unsigned frames = 117;
    for (int i = 0; i < 4; ++i) {
        frame[36 + 10 + i] = static_cast<char>(bytes >> (24 - 8 * i));
        frame[36 + 14 + i] = static_cast<char>(frames >> (24 - 8 * i));
    }
    std::vector<char> out(frame.size() + audio.size());
    std::copy(frame.begin(), frame.end(), out.begin());
    std::copy(audio.begin(), audio.end(), out.begin() + std::ptrdiff_t(frame.size()));
    return out;
}

// vbr_xing.mp3 with a wrong frame count in its Xing header (the byte count still agrees): the
// bitrate it would mean is impossible, so the frames are counted instead.
std::vector<char> withXingFrameCount(unsigned frames)
{
    std::vector<char> bytes = readBytes(mpegFixture("vbr_xing.mp3"));
    const auto at = std::search(bytes.begin(), bytes.end(), "Xing", "Xing" + 4) - bytes.begin();
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<size_t>(at + 8 + i)] = static_cast<char>(frames >> (24 - 8 * i));
    return bytes;
}

// vbr_xing.mp3 with its Xing header stating factor times the file's bytes and, if frames is not
// 0, that frame count: a header that lies about an intact file, whose frames are counted.
std::vector<char> withXingBeyondTheFile(unsigned factor, unsigned frames)
{
    std::vector<char> bytes = readBytes(mpegFixture("vbr_xing.mp3"));
    const auto at = std::search(bytes.begin(), bytes.end(), "Xing", "Xing" + 4) - bytes.begin();
    const auto put = [&](long offset, unsigned value) {
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<size_t>(at + offset + i)] = static_cast<char>(value >> (24 - 8 * i));
    };
    put(12, static_cast<unsigned>(bytes.size()) * factor); // flags 0xF: frames, then bytes
    if (frames != 0)
        put(8, frames);
    return bytes;
}

const DerivedCase Derived[] = {
    {"ApeAndId3v1Tags", withApeAndId3v1Tags, 132300},
    {"CutLastFrame", headerlessWithCutLastFrame, 115 * 1152},
    {"GapBetweenFrames", headerlessWithGap, 116 * 1152},
    {"VbriHeader", [] { return withVbriHeader(1); }, 117 * 1152},
    // The counts libmpg123 itself reports after a full scan of these two files.
    {"XingFrameCountTooSmall", [] { return withXingFrameCount(5); }, 132300},
    {"XingFrameCountTooLarge", [] { return withXingFrameCount(100000); }, 133632},
    {"VbriByteCountBeyondTheFile", [] { return withVbriHeader(2); }, 117 * 1152},
    {"XingByteCountBeyondTheFile", [] { return withXingBeyondTheFile(3, 0); }, 132300},
    // libmpg123 drops the gapless trim when the header's frame count is wrong.
    {"XingByteAndFrameCountBeyondTheFile", [] { return withXingBeyondTheFile(3, 348); }, 133632},
    // Cut short: the frames that are whole, whatever the header promises. The decoder drops
    // the gapless trim of a header whose count the file does not hold (115 audio frames here).
    {"XingCutInTheLastFrame", [] { return cutInLastFrame(fixture("vbr_xing.mp3"), 60); },
     115 * 1152},
    {"InfoCutInTheLastFrame", [] { return cutInLastFrame(fixture("cbr128.mp3"), 100); },
     115 * 1152},
    {"XingFileCutToAThird", [] { return fixture("truncated.mp3"); }, 47 * 1152},
    // The bitrate is that of the frames alone.
    {"ZerosAfterTheFrames", [] { return withZerosAfter(fixture("cbr128.mp3"), 20000); }, 132300,
     128},
    {"ZerosAfterHeaderlessFrames", [] { return withZerosAfter(fixture("layer2.mp2"), 20000); },
     132480, 128},
    {"GarbageBetweenFrames", [] { return withGarbageBetweenFrames(fixture("cbr128.mp3"), 3000); },
     132300, 128},
    {"ApeLyrics3AndId3v1Tags",
     [] { return withApeAndLyrics3Tags(fixture("vbr_xing.mp3"), "TAG" + std::string(125, '\0')); },
     132300, 56},
    // A foreign encoder's count is checked against the frames that are there: 116 audio frames,
    // whether or not its count took the Xing frame in. Where the count is right, the decoder
    // trims its own delay (529 samples) at the start, as for every Xing file without an
    // encoder's delay and padding.
    {"XingCountingItsOwnFrame", [] { return withForeignXingCount(fixture("vbr_xing.mp3"), 1); },
     116 * 1152, 56},
    {"XingWithoutEncoder", [] { return withForeignXingCount(fixture("vbr_xing.mp3"), 0); },
     116 * 1152 - 529, 56},
};

class DerivedStreams : public DecoderTest, public ::testing::WithParamInterface<DerivedCase>
{};

TEST_P(DerivedStreams, LengthAndDecodeAgree)
{
    const DerivedCase& c = GetParam();
    const std::string path = tempPath("derived.mp3");
    writeBytes(path, c.make());
    ASSERT_NO_FATAL_FAILURE(openFile(path));
    EXPECT_EQ(GetLength(), samplesToMs(c.samples, 44100));
    if (c.kbps != 0) {
        EXPECT_EQ(GetBitrate(), c.kbps);
    }
    const WavInfo wav = decodeToWav();
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.samples(), c.samples);
}

INSTANTIATE_TEST_SUITE_P(Variants, DerivedStreams, ::testing::ValuesIn(Derived),
                         [](const auto& info) { return std::string(info.param.name); });

// A file cut in the middle of its last frame reads and plays exactly as the same file cut where
// that frame begins, whatever header it has.
struct CutCase
{
    const char* name;
    const char* fixture;
};

void PrintTo(const CutCase& c, std::ostream* os)
{
    *os << c.name;
}

const CutCase Cuts[] = {
    {"XingHeader", "vbr_xing.mp3"},
    {"InfoHeader", "cbr128.mp3"},
    {"NoHeader", "vbr_noheader.mp3"},
    {"Id3v2InFront", "vbr_xing_id3.mp3"},
};

class CutInTheLastFrame : public DecoderTest, public ::testing::WithParamInterface<CutCase>
{
protected:
    struct Read
    {
        int length = 0;
        int kbps = 0;
        long long samples = 0;
    };
    Read readAndDecode(const std::vector<char>& bytes)
    {
        const std::string path = tempPath("cut.mp3");
        writeBytes(path, bytes);
        Read read;
        openFile(path);
        read.length = GetLength();
        read.kbps = GetBitrate();
        read.samples = decodeToWav().samples();
        Close();
        return read;
    }
};

TEST_P(CutInTheLastFrame, ReadsAsTheCutWhereTheFrameBegins)
{
    std::vector<char> bytes = fixture(GetParam().fixture);
    const std::vector<size_t> starts = frameStarts(bytes);
    ASSERT_GT(starts.size(), 10u);
    const Read onBoundary = readAndDecode(cutInLastFrame(bytes, 0));
    ASSERT_GT(onBoundary.length, 2800);
    const Read cut = readAndDecode(cutInLastFrame(bytes, 32));
    EXPECT_EQ(cut.length, onBoundary.length);
    EXPECT_EQ(cut.kbps, onBoundary.kbps);
    EXPECT_EQ(cut.samples, onBoundary.samples);
    EXPECT_EQ(samplesToMs(cut.samples, 44100), cut.length);
}

INSTANTIATE_TEST_SUITE_P(Headers, CutInTheLastFrame, ::testing::ValuesIn(Cuts),
                         [](const auto& info) { return std::string(info.param.name); });

// A VBRI header that promises twice the bytes the file holds, over frames that are all whole:
// the header is wrong, not the file, which opens with the frames that are there.
TEST_F(DecoderTest, VbriHeaderPromisingMoreThanTheFileIsDistrusted)
{
    const std::string path = tempPath("lying.mp3");
    writeBytes(path, withVbriHeader(2));
    Open(path.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    EXPECT_EQ(GetLength(), samplesToMs(117 * 1152, 44100));
}

// Two fixtures of different rates glued byte for byte. Each frame counts with its own rate: the
// length is that of both parts (each with its encoder delay and padding, a frame or two), not
// the frame count times the first frame's duration.
struct GluedCase
{
    const char* name;
    const char* first;
    const char* second;
    int firstMs;  // length of each part on its own
    int secondMs; // (the second's audio and its Info frame, which is decoded as silence here)
};

void PrintTo(const GluedCase& c, std::ostream* os)
{
    *os << c.name;
}

const GluedCase Glued[] = {
    {"44k then 8k", "cbr128.mp3", "mpeg25_8k.mp3", 3000, 3000 + 3 * 72},
    {"8k then 44k", "mpeg25_8k.mp3", "cbr128.mp3", 3000, 3000 + 3 * 26},
    {"22k mono then 8k", "mpeg2_mono_22k.mp3", "mpeg25_8k.mp3", 3000, 3000 + 3 * 72},
};

class GluedRates : public DecoderTest, public ::testing::WithParamInterface<GluedCase>
{};

TEST_P(GluedRates, LengthSumsEachFramesOwnDuration)
{
    const GluedCase& c = GetParam();
    std::vector<char> bytes = readBytes(mpegFixture(c.first));
    const std::vector<char> second = readBytes(mpegFixture(c.second));
    bytes.insert(bytes.end(), second.begin(), second.end());
    const std::string path = tempPath("glued.mp3");
    writeBytes(path, bytes);
    ASSERT_NO_FATAL_FAILURE(openFile(path));
    const int length = GetLength();
    EXPECT_NEAR(length, c.firstMs + c.secondMs, 150);
    const WavInfo wav = decodeToWav();
    ASSERT_TRUE(wav.valid);
    // The decoder converts the other part to the first one's rate. What it writes is as long
    // but for the encoder padding it trims at the end, which it reckons at the first part's
    // rate: a few frames at most.
    EXPECT_NEAR(samplesToMs(wav.samples(), wav.rate), length, 100);
}

INSTANTIATE_TEST_SUITE_P(Parts, GluedRates, ::testing::ValuesIn(Glued),
                         [](const auto& info) { return caseName(info.param.name); });

} // namespace
