#pragma once

#include "platform/LegacyText.h"

#include <QString>

#include <optional>

// The ID3v2 tag at the start of an MP3 file, as far as the catalogue cares: the six fields an
// ID3v1 tag also has. Players show the ID3v2 tag when a file has both, so a change written into
// the ID3v1 tag goes into an ID3v2 tag too; intake reads it from a file that has no ID3v1 tag.
// Through TagLib; no ID3v2 tag is ever created where none was.
namespace Id3v2Tag {

struct Fields
{
    QString title;
    QString artist;
    QString album;
    QString comment;
    QString year;  // empty when the tag has none
    QString genre; // the name, as TagLib resolves a numbered genre
};

// The fields of the file's ID3v2 tag, or nothing when it has none (or is no MPEG file).
// Throws EInOutError when the file cannot be opened.
std::optional<Fields> read(const QString& fileName);

// What goes into an existing ID3v2 tag after an ID3v1 save.
struct Mirror
{
    QString title;
    QString artist;
    QString album;
    QString comment;
    QString year;
    // The ID3v1 genre number. The tag's genre is left alone when it stands for the same number
    // (a genre of its own, such as "Psytrance", stands for 12 as the ID3v1 tag has it) or when
    // no name is known for the number.
    int genreID = 12;
    // The code page the ID3v1 tag was written in. A field of the ID3v2 tag that reads the
    // same as the new value once cut to the ID3v1 width and put through it is left as it is:
    // a long title must not be cut only because the artist was changed.
    SingleByteCodePage codePage;
};

// Writes `values` into the file's ID3v2 tag, keeping its version (2.3 or 2.4) and every other
// frame, and the ID3v1 tag as it is. Returns false, writing nothing, when the file has no
// ID3v2 tag. Throws EInOutError when the file cannot be opened or the tag not be written.
bool mirror(const QString& fileName, const Mirror& values);

} // namespace Id3v2Tag
