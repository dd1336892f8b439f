#pragma once

#include "intake/Id3v2Reader.h"
#include "platform/LegacyText.h"

#include <QString>

#include <optional>

class QIODevice;

// The ID3v2 tag at the start of an MP3 file, as far as the catalogue cares: the six fields an
// ID3v1 tag also has. Players show the ID3v2 tag when a file has both, so a change written into
// the ID3v1 tag goes into an ID3v2 tag too; intake reads it from a file that has no ID3v1 tag.
// Read by our own Id3v2Reader, which reads the tags real taggers wrote where TagLib loses them;
// written through TagLib. No ID3v2 tag is ever created where none was.
namespace Id3v2Tag {

using Fields = Id3v2Reader::Fields;

// The fields of the ID3v2 tag at the start of the file, or nothing when it has none. Reads only
// the tag's bytes. Throws EInOutError when the file cannot be opened.
std::optional<Fields> read(const QString& fileName);

// What goes into an existing ID3v2 tag after an ID3v1 save: the fields the save changed. A
// field left empty (nothing) keeps what the ID3v2 tag holds, so that a re-tag of the album does
// not cut a long title of the ID3v2 tag to the ID3v1 tag's 30 characters.
struct Mirror
{
    std::optional<QString> title{}, artist{}, album{}, comment{}, year{};
    // The ID3v1 genre number. The tag's genre is left alone when it stands for the same number
    // (a genre of its own, such as "Psytrance", stands for 12 as the ID3v1 tag has it) or when
    // no name is known for the number.
    std::optional<int> genreID{};
    // The code page the ID3v1 tag was written in. A field of the ID3v2 tag that reads the
    // same as the new value once cut to the ID3v1 width and put through it is left as it is:
    // a long title must not be cut only because the artist was changed.
    SingleByteCodePage codePage{};
};

// Whether `device` (open for reading, random access) starts with an MPEG audio frame header.
// Such a file has no ID3v2 tag, so a save can skip opening it a second time for one; this is
// what makes a re-tag of thousands of plain files cost no more than their ID3v1 writes. Moves
// the device's position.
bool startsWithAudio(QIODevice& device);

// Writes `values` into the file's ID3v2 tag, keeping its version (2.3 or 2.4) and every other
// frame, and the ID3v1 tag as it is. Returns false, writing nothing, when the file has no
// ID3v2 tag. Throws EInOutError when the file cannot be opened or the tag not be written.
bool mirror(const QString& fileName, const Mirror& values);

} // namespace Id3v2Tag
