#pragma once

#include "platform/LegacyText.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The 128-byte ID3v1 block at the end of an MP3 file, and the device-level reads and writes of
// it. TMP3Info opens the files; these functions only see an open, random-access device, so that
// failing devices can be tried without real broken disks. Every I/O failure throws EInOutError
// naming `name`, the file the device stands for.
namespace Id3v1Block {

constexpr qint64 Size = 128;

// Offsets and widths of the fields inside the block.
constexpr int TitleOffset = 3;
constexpr int ArtistOffset = 33;
constexpr int AlbumOffset = 63;
constexpr int YearOffset = 93;
constexpr int CommentOffset = 97;
constexpr int GenreOffset = 127;
constexpr int TextWidth = 30;
constexpr int YearWidth = 4;

struct Fields
{
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    quint8 genreID = 12;
};

// Reads the last 128 bytes of `device` (open for reading). Throws when the device is shorter
// than a block, cannot seek, or delivers fewer bytes.
QByteArray readTagBlock(QIODevice& device, const QString& name);

// Overwrites the last 128 bytes of `device` (open for reading and writing) with `block`, but
// only when those bytes still start with "TAG": the file may have been replaced since it was
// read, and audio data must never be overwritten. Returns false, writing nothing, when they do
// not. The device's length never changes.
bool writeTagBlock(QIODevice& device, const QByteArray& block, const QString& name);

// The block's identifier: its first three bytes.
QByteArray identifier(const QByteArray& block);
bool hasTag(const QByteArray& block);

// Decodes the text fields and the raw genre byte of a block that has a tag, its text in
// `codePage`. A field ends at its first zero byte; trailing spaces are dropped, leading ones
// kept.
Fields parse(const QByteArray& block, const SingleByteCodePage& codePage = SingleByteCodePage());

// Builds a block: "TAG", the fields in `codePage` (characters it lacks as "?"), cut to their
// widths, every unused byte a space, the genre number last.
QByteArray build(const Fields& fields, const SingleByteCodePage& codePage = SingleByteCodePage());

// What `text` reads as once it has been through a field of `width`: cut, put in `codePage`,
// read back and without trailing spaces.
QString asStored(const QString& text, int width, const SingleByteCodePage& codePage);

// The first `width` characters (code points, so that a surrogate pair is never split).
QString cut(const QString& text, int width);

} // namespace Id3v1Block
