#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// MP3 files as they come from the wild, made from a good file's bytes: cut downloads, padding,
// junk, tags other programs leave behind, and the Xing headers of other encoders. For MPEG-1
// Layer III at 44.1 kHz, the kind of the decoder fixtures.
namespace DamagedStreams {

using Bytes = std::vector<char>;

// The size of an ID3v2 tag in front, 0 when there is none.
inline size_t id3v2Size(const Bytes& bytes)
{
    if (bytes.size() < 10 || std::string(bytes.data(), 3) != "ID3")
        return 0;
    size_t size = 0;
    for (size_t i = 6; i < 10; ++i)
        size = (size << 7) | (static_cast<unsigned char>(bytes[i]) & 0x7F);
    return 10 + size;
}

// Where each frame of the stream that starts right after any ID3v2 tag begins, up to the first
// byte that is no frame header (or the end).
inline std::vector<size_t> frameStarts(const Bytes& bytes)
{
    static constexpr int Kbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                     112, 128, 160, 192, 224, 256, 320, 0};
    std::vector<size_t> starts;
    size_t at = id3v2Size(bytes);
    while (at + 4 <= bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xFF) {
        starts.push_back(at);
        const auto b2 = static_cast<unsigned char>(bytes[at + 2]);
        at += static_cast<size_t>(144 * Kbps[b2 >> 4] * 1000 / 44100 + ((b2 >> 1) & 1));
    }
    return starts;
}

// The stream cut `into` bytes after the start of its last frame: 0 cuts where it begins.
// Whatever follows the frames (an ID3v1 tag) goes with the cut.
inline Bytes cutInLastFrame(Bytes bytes, size_t into)
{
    bytes.resize(frameStarts(bytes).back() + into);
    return bytes;
}

// `count` zero bytes after the frames, as a download padded to its announced size.
inline Bytes withZerosAfter(Bytes bytes, size_t count)
{
    bytes.insert(bytes.end(), count, '\0');
    return bytes;
}

// `count` bytes of noise (no 0xFF in it, so no frame header) in front of the 50th frame.
inline Bytes withGarbageBetweenFrames(Bytes bytes, size_t count)
{
    Bytes garbage(count);
    for (size_t i = 0; i < count; ++i)
        garbage[i] = static_cast<char>((i * 37 + 11) % 251);
    const size_t at = frameStarts(bytes).at(50);
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), garbage.begin(), garbage.end());
    return bytes;
}

// A Xing header as iTunes and mp3HD write it: the frame count raised by `extra` (1 takes the
// Xing frame itself in), and no encoder extension, hence no gapless information either.
inline Bytes withForeignXingCount(Bytes bytes, unsigned extra)
{
    const char xing[] = "Xing";
    const auto at = std::search(bytes.begin(), bytes.end(), xing, xing + 4) - bytes.begin();
    const auto field = [&](long offset) { return bytes.begin() + at + offset; };
    unsigned frames = 0;
    for (int i = 0; i < 4; ++i)
        frames = (frames << 8) | static_cast<unsigned char>(*field(8 + i));
    frames += extra;
    for (int i = 0; i < 4; ++i)
        *field(8 + i) = static_cast<char>(frames >> (24 - 8 * i));
    std::fill(field(120), field(156), '\0'); // after flags, frames, bytes, TOC and quality
    return bytes;
}

// An APEv2 tag (with header and footer), then a Lyrics3 v2 tag behind the frames; `id3v1`
// (a whole 128-byte tag, or nothing) after them, where a Lyrics3 tag expects one.
inline Bytes withApeAndLyrics3Tags(Bytes bytes, const std::string& id3v1)
{
    const std::string item("\x05\0\0\0\0\0\0\0Title\0Hello", 19);
    const auto ape = [&](bool header) {
        std::string block = "APETAGEX";
        for (unsigned v :
             {2000u, unsigned(32 + item.size()), 1u, 0x80000000u | (header ? 0x20000000u : 0)})
            for (int i = 0; i < 4; ++i)
                block.push_back(static_cast<char>(v >> (8 * i)));
        return block + std::string(8, '\0');
    };
    const std::string lyrics = "LYRICSBEGININD00003110LYR00011Hello world";
    char size[7];
    std::snprintf(size, sizeof size, "%06zu", lyrics.size());
    const std::string tags = ape(true) + item + ape(false) + lyrics + size + "LYRICS200" + id3v1;
    bytes.insert(bytes.end(), tags.begin(), tags.end());
    return bytes;
}

} // namespace DamagedStreams
