#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

class QIODevice;

// Reads the six fields the catalogue keeps from the ID3v2 tag at the start of an MP3 file
// (versions 2.2, 2.3 and 2.4), as the taggers wrote them rather than as the standard says they
// should have: a frame with a malformed ID or a size of zero is stepped over, not taken for the
// end of the tag; 2.4 frame sizes written as plain numbers are recognised; UTF-16 text without
// a byte-order mark is read; the flags of frame headers (grouping, compression, encryption,
// unsynchronisation, data length) and of the tag (unsynchronisation, extended header) are
// honoured. A frame that cannot be read (an invalid text encoding, encrypted, compressed data
// that does not inflate) is skipped: nothing it holds is taken.
//
// Only reads: writing ID3v2 tags stays with TagLib (Id3v2Tag::mirror). Every size in the tag is
// checked against the bytes there are; nothing is allocated beyond the tag's own bytes, a copy
// of them, and a fixed bound for an inflated frame.
namespace Id3v2Reader {

struct Fields
{
    QString title{};
    QString artist{};
    QString album{};
    QString comment{}; // a COMM frame: the first without a description, else the first
    QString year{};    // four digits, or empty when the tag has none
    QString genre{};   // a numbered genre as its name in the intake genre list
    bool operator==(const Fields&) const = default;
};

// The tag header's length; the body follows it.
constexpr qsizetype HeaderSize = 10;

// The number of bytes that follow the header by its size field, or nothing when `header`
// (the first HeaderSize bytes of a file) is no ID3v2.2, 2.3 or 2.4 tag header.
std::optional<qsizetype> bodySize(QByteArrayView header);

// The fields of the tag that `bytes` start with, or nothing when they start with none. Bytes
// past the tag are not looked at; a tag cut short gives the frames that are whole.
std::optional<Fields> parse(QByteArrayView bytes);

// The fields of the tag at the start of `device` (open for reading, random access), reading
// only the tag's bytes. Moves the device's position.
std::optional<Fields> read(QIODevice& device);

} // namespace Id3v2Reader
