#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The LZRW1-KH block compressor: a fast LZ77 variant with 16-item control words, 2-byte copy
// codes (12-bit distance, 4-bit length) and 4-byte run codes. Every block is compressed on its
// own with a fresh hash table, so blocks can be decoded independently.
//
// Block layout: a flag byte, FlagCompressed followed by the coded items, or FlagStored followed
// by the input bytes unchanged (chosen whenever coding would not fit in the input's size).
namespace LZRW1KH {

// The largest input a block may hold: the algorithm's 32768-byte buffer plus 15 bytes of slack.
constexpr qsizetype BlockSize = 32783;
// A compressed block is never longer than its input plus the flag byte.
constexpr qsizetype MaxCompressedSize = BlockSize + 1;

constexpr char FlagCompressed = 0x40;
constexpr char FlagStored = char(0x80);

// Compresses up to BlockSize bytes; throws ECompressError for a larger input.
QByteArray compressBlock(QByteArrayView block);

// Decodes one block. Every length, distance and code is checked against the block's bounds;
// anything malformed throws ECompressError, so hostile input cannot make it read or write out
// of bounds. The result holds at most BlockSize bytes.
QByteArray decompressBlock(QByteArrayView block);

} // namespace LZRW1KH
