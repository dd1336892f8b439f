#include "StreamProbe.h"

#include "BlockReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace mpegdll {

namespace {

// kbit/s by [MPEG-1 or not][layer - 1][bitrate index]; index 0 (free format) and 15 are invalid.
constexpr int Bitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};

constexpr int SampleRates[3][3] = {
    {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

// The largest frame of any kind: Layer II at 160 kbit/s and 8 kHz.
constexpr long long LargestFrame = 2881;

int frameBytesFor(int version, int layer, int kbps, int rate, int padding)
{
    if (layer == 1)
        return (12 * kbps * 1000 / rate + padding) * 4;
    const int factor = (layer == 3 && version != 1) ? 72 : 144;
    return factor * kbps * 1000 / rate + padding;
}

const int* bitrateRow(int version, int layer)
{
    return Bitrates[version == 1 ? 0 : 1][layer - 1];
}

unsigned long bigEndian32(const unsigned char* p)
{
    return (static_cast<unsigned long>(p[0]) << 24) | (static_cast<unsigned long>(p[1]) << 16) |
           (static_cast<unsigned long>(p[2]) << 8) | static_cast<unsigned long>(p[3]);
}

unsigned long littleEndian32(const unsigned char* p)
{
    return (static_cast<unsigned long>(p[3]) << 24) | (static_cast<unsigned long>(p[2]) << 16) |
           (static_cast<unsigned long>(p[1]) << 8) | static_cast<unsigned long>(p[0]);
}

// Total size of the ID3v2 tags at the start of the source (several may follow each other).
long long skipId3v2(BlockReader& reader, long long size)
{
    long long position = 0;
    for (;;) {
        unsigned char h[10];
        if (reader.readAt(position, h, sizeof h) != static_cast<long long>(sizeof h))
            break;
        if (std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF ||
            ((h[6] | h[7] | h[8] | h[9]) & 0x80) != 0)
            break;
        const long long body =
            (static_cast<long long>(h[6]) << 21) | (h[7] << 14) | (h[8] << 7) | h[9];
        const long long total = 10 + body + ((h[5] & 0x10) ? 10 : 0);
        if (size >= 0 && position + total > size)
            break;
        position += total;
    }
    return position;
}

// The size of an APEv2 tag (with its header, if any) that ends at `end`; 0 when none does.
long long apeTagBefore(BlockReader& reader, long long start, long long end)
{
    unsigned char footer[32];
    if (end - start < 32 || reader.readAt(end - 32, footer, 32) != 32 ||
        std::memcmp(footer, "APETAGEX", 8) != 0)
        return 0;
    const long long tagSize = static_cast<long long>(littleEndian32(footer + 12));
    const bool hasHeader = (littleEndian32(footer + 20) & 0x80000000UL) != 0;
    const long long total = tagSize + (hasHeader ? 32 : 0);
    return tagSize >= 32 && total <= end - start ? total : 0;
}

// The size of a Lyrics3 tag (version 2: "LYRICS200" after six digits of size; version 1:
// "LYRICSEND", at most 5100 bytes after its "LYRICSBEGIN") that ends at `end`; 0 when none does.
long long lyrics3TagBefore(BlockReader& reader, long long start, long long end)
{
    constexpr char Begin[] = "LYRICSBEGIN";
    constexpr long long BeginLength = sizeof Begin - 1;
    unsigned char tail[15];
    if (end - start < 15 + BeginLength || reader.readAt(end - 15, tail, 15) != 15)
        return 0;
    if (std::memcmp(tail + 6, "LYRICS200", 9) == 0) {
        long long size = 0;
        for (int i = 0; i < 6; ++i) {
            if (tail[i] < '0' || tail[i] > '9')
                return 0;
            size = size * 10 + (tail[i] - '0');
        }
        const long long total = size + 15;
        unsigned char begin[BeginLength];
        if (size < BeginLength || total > end - start ||
            reader.readAt(end - total, begin, BeginLength) != BeginLength ||
            std::memcmp(begin, Begin, BeginLength) != 0)
            return 0;
        return total;
    }
    if (std::memcmp(tail + 6, "LYRICSEND", 9) == 0) {
        constexpr long long MaxVersion1 = 5100 + BeginLength + 9;
        const long long span = std::min(MaxVersion1, end - start);
        std::vector<unsigned char> data(static_cast<size_t>(span));
        if (reader.readAt(end - span, data.data(), data.size()) != span)
            return 0;
        // The last "LYRICSBEGIN": should the lyrics quote the word, what is left in front of it
        // is junk after the frames, which the frame walk leaves out all the same.
        const auto found = std::find_end(data.begin(), data.end() - 9, Begin, Begin + BeginLength);
        if (found == data.end() - 9)
            return 0;
        return static_cast<long long>(data.end() - found);
    }
    return 0;
}

// End of the audio: before a trailing ID3v1 tag, and before the APEv2 and Lyrics3 tags in front
// of it, in whatever order the taggers left them.
long long trimTrailingTags(BlockReader& reader, long long start, long long end)
{
    unsigned char tag[3];
    if (end - start >= 128 && reader.readAt(end - 128, tag, 3) == 3 &&
        std::memcmp(tag, "TAG", 3) == 0)
        end -= 128;
    for (int tags = 0; tags < 4; ++tags) {
        long long size = apeTagBefore(reader, start, end);
        if (size == 0)
            size = lyrics3TagBefore(reader, start, end);
        if (size == 0)
            break;
        end -= size;
    }
    return end;
}

// True when frames follow the one at offset at the places their headers say, up to
// ChainLength of them or to the end of the data. dataEnd is relative to data, -1 unknown.
bool chainHolds(const std::vector<unsigned char>& data, size_t offset, const MpegFrameHeader& first,
                long long dataEnd)
{
    long long at = static_cast<long long>(offset);
    MpegFrameHeader current = first;
    const long long loaded = static_cast<long long>(data.size());
    for (int k = 0; k < StreamProbe::ChainLength; ++k) {
        const long long next = at + current.frameBytes;
        if (dataEnd >= 0 && next > dataEnd)
            return k >= 1; // this frame is cut by the end; the ones before it are whole
        if (dataEnd >= 0 && next + 4 > dataEnd)
            return true; // a whole frame, then the end (or a few stray bytes)
        if (next + 4 > loaded)
            return k >= 1;
        const auto header = MpegFrameHeader::parse(data.data() + next);
        if (!header || !header->sameStream(first))
            return false;
        at = next;
        current = *header;
    }
    return true;
}

// Reads a Xing/Info or VBRI header in the first frame, which starts at data[offset].
void readLengthHeader(const std::vector<unsigned char>& data, size_t offset, StreamLayout& layout)
{
    const MpegFrameHeader& h = layout.first;
    if (h.layer != 3)
        return;
    const size_t frameEnd = std::min(data.size(), offset + static_cast<size_t>(h.frameBytes));
    const bool mono = h.channels == 1;
    const size_t sideInfo = h.version == 1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    // The rule libmpg123 applies, so that both agree on which frame is a header and not audio:
    // the tag right after the side information, zeros before it (but for a possible CRC word),
    // and room for the traditional 120 bytes of it.
    const size_t body = offset + 4;
    const size_t at = body + sideInfo;
    const size_t zerosEnd = std::min(at, frameEnd);
    const bool zeros =
        body + 2 <= zerosEnd && std::all_of(data.begin() + static_cast<long>(body + 2),
                                            data.begin() + static_cast<long>(zerosEnd),
                                            [](unsigned char c) { return c == 0; });
    if (static_cast<size_t>(h.frameBytes) - 4 >= 120 + sideInfo && at + 8 <= frameEnd && zeros &&
        (std::memcmp(data.data() + at, "Xing", 4) == 0 ||
         std::memcmp(data.data() + at, "Info", 4) == 0)) {
        const unsigned long flags = bigEndian32(data.data() + at + 4);
        size_t field = at + 8;
        layout.header = LengthHeader::Xing;
        if ((flags & 1) != 0 && field + 4 <= frameEnd) {
            layout.headerFrames = static_cast<long long>(bigEndian32(data.data() + field));
            field += 4;
        }
        if ((flags & 2) != 0 && field + 4 <= frameEnd) {
            layout.headerBytes = static_cast<long long>(bigEndian32(data.data() + field));
            field += 4;
        }
        field += ((flags & 4) != 0 ? 100 : 0) + ((flags & 8) != 0 ? 4 : 0);
        if (field + sizeof layout.encoder <= frameEnd)
            std::memcpy(layout.encoder, data.data() + field, sizeof layout.encoder);
        return;
    }
    const size_t vbri = offset + 4 + 32;
    if (vbri + 18 <= frameEnd && std::memcmp(data.data() + vbri, "VBRI", 4) == 0) {
        layout.header = LengthHeader::Vbri;
        layout.headerBytes = static_cast<long long>(bigEndian32(data.data() + vbri + 10));
        layout.headerFrames = static_cast<long long>(bigEndian32(data.data() + vbri + 14));
    }
}

} // namespace

std::optional<MpegFrameHeader> MpegFrameHeader::parse(const unsigned char* b)
{
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int versionBits = (b[1] >> 3) & 3;
    const int layerBits = (b[1] >> 1) & 3;
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (b[3] & 3) == 2)
        return std::nullopt;
    MpegFrameHeader h;
    h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    h.layer = 4 - layerBits;
    h.crc = (b[1] & 1) == 0;
    h.sampleRate = SampleRates[h.version == 1 ? 0 : h.version == 2 ? 1 : 2][rateIndex];
    h.channels = (b[3] >> 6) == 3 ? 1 : 2;
    h.bitrateKbps = bitrateRow(h.version, h.layer)[bitrateIndex];
    h.frameBytes = frameBytesFor(h.version, h.layer, h.bitrateKbps, h.sampleRate, (b[2] >> 1) & 1);
    h.samplesPerFrame = h.layer == 1 ? 384 : (h.layer == 3 && h.version != 1) ? 576 : 1152;
    return h;
}

bool MpegFrameHeader::sameStream(const MpegFrameHeader& other) const
{
    return version == other.version && layer == other.layer && sampleRate == other.sampleRate &&
           (channels == 1) == (other.channels == 1);
}

int MpegFrameHeader::maxFrameBytes() const
{
    return frameBytesFor(version, layer, maxBitrateKbps(), sampleRate, 1);
}

int MpegFrameHeader::minBitrateKbps() const
{
    return bitrateRow(version, layer)[1];
}

int MpegFrameHeader::maxBitrateKbps() const
{
    return bitrateRow(version, layer)[14];
}

std::optional<StreamLayout> StreamProbe::probe(BlockReader& reader, long long size)
{
    StreamLayout layout;
    const long long start = skipId3v2(reader, size);
    layout.id3v2Bytes = start;
    layout.audioEnd = size >= 0 ? trimTrailingTags(reader, start, size) : -1;
    // The small window finds what the large one would: every chain starting in it lies wholly
    // in it. Only where the end of the audio is known, since otherwise the end of the window
    // read is what tells a short stream's end.
    if (layout.audioEnd >= 0 && findFirstFrame(reader, start, FirstSearch, layout))
        return layout;
    if (findFirstFrame(reader, start, SearchLimit, layout))
        return layout;
    return std::nullopt;
}

FrameWalk StreamProbe::walk(BlockReader& reader, const StreamLayout& layout)
{
    FrameWalk result;
    if (layout.audioEnd < 0)
        return result;
    const MpegFrameHeader& first = layout.first;
    // The frames of the first frame's stream are told by their header word alone, as a walk
    // over thousands of them should: sync, version, layer and rate as the first frame's, the
    // same mono-ness, a valid emphasis; the bitrate and padding give the length (0: invalid).
    unsigned char head[4];
    if (reader.readAt(layout.audioStart, head, sizeof head) != 4)
        return result;
    constexpr unsigned long Mask = 0xFFFE0C00UL;
    const unsigned long expected = bigEndian32(head) & Mask;
    const bool mono = first.channels == 1;
    int lengths[16][2] = {};
    for (int index = 1; index < 15; ++index)
        for (int padding = 0; padding < 2; ++padding)
            lengths[index][padding] = frameBytesFor(first.version, first.layer,
                                                    bitrateRow(first.version, first.layer)[index],
                                                    first.sampleRate, padding);
    const auto lengthInStream = [&](const unsigned char* p) {
        if ((bigEndian32(p) & Mask) != expected || ((p[3] >> 6) == 3) != mono || (p[3] & 3) == 2)
            return 0;
        return lengths[p[2] >> 4][(p[2] >> 1) & 1];
    };

    constexpr size_t Chunk = 128 * 1024;
    std::vector<unsigned char> buffer(Chunk);
    long long position = layout.audioStart;
    long long lastEnd = layout.audioStart;
    // In step: the previous frame ended where this one begins. Out of step (after junk), a
    // header only counts when another header of its stream follows it, so that junk that
    // happens to look like a header is neither a frame nor a cut one.
    bool inStep = true;
    while (position + 4 <= layout.audioEnd) {
        const size_t want =
            static_cast<size_t>(std::min<long long>(Chunk, layout.audioEnd - position));
        if (reader.readAt(position, buffer.data(), want) != static_cast<long long>(want))
            break;
        const bool last = position + static_cast<long long>(want) == layout.audioEnd;
        size_t at = 0;
        while (at + 4 <= want) {
            // The common case, frame after frame of one stream, in a tight loop.
            if (inStep) {
                const size_t runStart = at;
                while (at + 4 <= want) {
                    const int length = lengthInStream(buffer.data() + at);
                    const size_t next = at + static_cast<size_t>(length);
                    if (length == 0 || (next + 4 > want && (!last || next > want)))
                        break;
                    ++result.frames;
                    result.frameBytes += length;
                    at = next;
                }
                if (at != runStart)
                    lastEnd = position + static_cast<long long>(at);
                if (at + 4 > want)
                    break;
            }
            const auto header = MpegFrameHeader::parse(buffer.data() + at);
            const size_t next = at + (header ? static_cast<size_t>(header->frameBytes) : 0);
            if (header && next + 4 > want && !last)
                break; // the frame after this one is in the next chunk
            bool counts = header.has_value() && (inStep || next == want);
            if (header && !counts && next + 4 <= want) {
                const auto following = MpegFrameHeader::parse(buffer.data() + next);
                counts = following && following->sameStream(*header);
            }
            if (!counts) {
                inStep = false;
                ++at;
                continue;
            }
            if (next > want) {
                result.cutAtEnd = true;
                break;
            }
            const long long frameStart = position + static_cast<long long>(at);
            result.skipped += frameStart - lastEnd;
            lastEnd = position + static_cast<long long>(next);
            ++result.frames;
            result.frameBytes += header->frameBytes;
            if (!header->sameStream(first))
                result.oneStream = false;
            if (static_cast<long long>(header->samplesPerFrame) * first.sampleRate !=
                static_cast<long long>(first.samplesPerFrame) * header->sampleRate)
                result.durationsVary = true;
            inStep = true;
            at = next;
        }
        if (last || result.cutAtEnd || at == 0)
            break;
        position += static_cast<long long>(at);
    }
    if (result.frames > 0)
        result.wholeEnd = lastEnd;
    return result;
}

bool StreamProbe::findFirstFrame(BlockReader& reader, long long start, long long searchLimit,
                                 StreamLayout& layout)
{
    const long long want = searchLimit + ChainLength * LargestFrame + 4;
    long long limit = start + want;
    if (layout.audioEnd >= 0)
        limit = std::min(limit, layout.audioEnd);
    if (limit <= start)
        return false;
    std::vector<unsigned char> data(static_cast<size_t>(limit - start));
    const long long got = reader.readAt(start, data.data(), data.size());
    if (got <= 0)
        return false;
    data.resize(static_cast<size_t>(got));
    long long dataEnd = -1; // relative to data
    if (layout.audioEnd >= 0)
        dataEnd = std::min(layout.audioEnd - start, got);
    else if (got < want)
        dataEnd = got; // the stream ended within the first block
    if (dataEnd >= 0 && dataEnd < want && layout.audioEnd < 0)
        layout.audioEnd = start + dataEnd;

    const size_t searchEnd = std::min(data.size(), static_cast<size_t>(searchLimit));
    for (size_t offset = 0; offset < searchEnd && offset + 4 <= data.size(); ++offset) {
        if (data[offset] != 0xFF)
            continue;
        const auto header = MpegFrameHeader::parse(data.data() + offset);
        if (!header || !chainHolds(data, offset, *header, dataEnd))
            continue;
        layout.audioStart = start + static_cast<long long>(offset);
        layout.first = *header;
        readLengthHeader(data, offset, layout);
        return true;
    }
    return false;
}

} // namespace mpegdll
