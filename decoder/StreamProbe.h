#pragma once

#include <cstdint>
#include <optional>

namespace mpegdll {

class BlockReader;

// One MPEG audio frame header (four bytes). Free-format frames (bitrate index 0) are not
// accepted: their length cannot be told from the header.
struct MpegFrameHeader
{
    int version = 1; // 1 = MPEG-1, 2 = MPEG-2, 25 = MPEG-2.5
    int layer = 3;
    int sampleRate = 0;
    int channels = 0;
    int bitrateKbps = 0;
    int frameBytes = 0;
    int samplesPerFrame = 0;
    bool crc = false;

    static std::optional<MpegFrameHeader> parse(const unsigned char* bytes);
    // Frames of one stream share version, layer, rate and mono-ness; the stereo mode may vary.
    bool sameStream(const MpegFrameHeader& other) const;
    // Size of a padded frame at the highest bitrate of this version and layer.
    int maxFrameBytes() const;
    int minBitrateKbps() const;
    int maxBitrateKbps() const;
};

enum class LengthHeader { None, Xing, Vbri };

// Where the audio of a song lies and what its first frame says about the whole stream.
struct StreamLayout
{
    long long audioStart = 0; // offset of the first frame (after any ID3v2 tag and junk)
    long long audioEnd = -1;  // end of the frames (before ID3v1 and APEv2 tags); -1 unknown
    long long id3v2Bytes = 0; // size of the ID3v2 tags in front
    MpegFrameHeader first;
    LengthHeader header = LengthHeader::None; // a Xing/Info or VBRI header in the first frame
    long long headerFrames = -1;              // its frame count, -1 when it has none
    long long headerBytes = -1;               // its byte count, -1 when it has none
    // The encoder named in the LAME extension of a Xing/Info frame ("LAME", "Lavc", ...);
    // zeros when there is none.
    char encoder[4] = {};
};

// What a walk over the frames of a stream, from its first frame to the end of its audio, found.
// Only whole frames count: a frame that runs past the end (a download that stopped, a copy
// from a scratched CD) and the bytes between frames (junk, damage, zeros) are left out.
struct FrameWalk
{
    long long frames = 0;     // whole frames, a Xing or VBRI frame in front included
    long long frameBytes = 0; // the bytes of those frames
    long long wholeEnd = -1;  // where the last whole frame ends
    long long skipped = 0;    // bytes stepped over between frames
    bool cutAtEnd = false;    // the frame after the last whole one runs past the end
    bool oneStream = true;    // every frame of the first frame's stream (version, layer, rate)
    // Some frame lasts another time than the first (another rate, or another number of
    // samples per frame): glued files, whose length is not frames x the first frame's.
    bool durationsVary = false;

    // Frames of one stream and nothing else from the first frame to wholeEnd.
    bool clean() const { return skipped == 0 && oneStream; }
};

// Finds the audio in a song: skips ID3v2 tags in front and ID3v1, Lyrics3 and APEv2 tags behind,
// looks for the first frame that starts a consistent chain of frames, and reads its length header.
class StreamProbe
{
public:
    // How far past the tags the first frame is looked for.
    static constexpr long long SearchLimit = 64 * 1024;
    // Most files have their first frame right after the tags: this much is searched first.
    static constexpr long long FirstSearch = 4 * 1024;
    // Frames that must follow each other at the expected places before a header counts as the
    // start of the stream (fewer when the stream ends sooner).
    static constexpr int ChainLength = 4;

    // Null when no MPEG audio frame chain is found. size: the source's size, -1 unknown.
    static std::optional<StreamLayout> probe(BlockReader& reader, long long size);

    // Walks every frame from the first to the end of the audio in one pass over the file,
    // stepping over junk between frames. Unknown end: nothing found.
    static FrameWalk walk(BlockReader& reader, const StreamLayout& layout);

private:
    // Looks for the first frame in [start, start + searchLimit) and fills in layout from it.
    static bool findFirstFrame(BlockReader& reader, long long start, long long searchLimit,
                               StreamLayout& layout);
};

} // namespace mpegdll
