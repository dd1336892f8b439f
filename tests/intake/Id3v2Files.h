#pragma once

#include "intake/TagTestFiles.h"

#include <QFile>
#include <QString>

#include <taglib/id3v2frame.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>

#include <optional>

// Files of today for the tag tests: the committed untagged fixture, given an ID3v2 tag by
// TagLib at test time (so nothing opaque is committed), with or without an ID3v1 tag behind.
namespace Id3v2Files {

struct Tag
{
    QString title, artist, album, comment, genre;
    unsigned year = 0;
    QString composer; // a frame the catalogue never touches
};

inline TagLib::String toTagLib(const QString& text)
{
    return TagLib::String(text.toStdWString());
}

inline QString fromTagLib(const TagLib::String& text)
{
    return QString::fromStdWString(text.toWString());
}

// Gives the file at `path` an ID3v2 tag of that major version (3 or 4); its other bytes stay.
inline void addTag(const QString& path, int version, const Tag& tag)
{
    TagLib::FileStream stream(QFile::encodeName(path).constData(), false);
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    TagLib::ID3v2::Tag* v2 = file.ID3v2Tag(true);
    v2->setTitle(toTagLib(tag.title));
    v2->setArtist(toTagLib(tag.artist));
    v2->setAlbum(toTagLib(tag.album));
    v2->setComment(toTagLib(tag.comment));
    v2->setGenre(toTagLib(tag.genre));
    v2->setYear(tag.year);
    if (!tag.composer.isEmpty()) {
        auto* frame = new TagLib::ID3v2::TextIdentificationFrame("TCOM", TagLib::String::UTF8);
        frame->setText(toTagLib(tag.composer));
        v2->addFrame(frame);
    }
    file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
              version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4, TagLib::File::DoNotDuplicate);
}

// The ID3v2 tag of the file as TagLib reads it, with its major version; nothing without one.
struct ReadTag
{
    Tag tag;
    int version = 0;
};

inline std::optional<ReadTag> readTag(const QString& path)
{
    TagLib::FileStream stream(QFile::encodeName(path).constData(), true);
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.hasID3v2Tag())
        return std::nullopt;
    TagLib::ID3v2::Tag* v2 = file.ID3v2Tag();
    ReadTag read;
    read.version = v2->header()->majorVersion();
    read.tag.title = fromTagLib(v2->title());
    read.tag.artist = fromTagLib(v2->artist());
    read.tag.album = fromTagLib(v2->album());
    read.tag.comment = fromTagLib(v2->comment());
    read.tag.genre = fromTagLib(v2->genre());
    read.tag.year = v2->year();
    const TagLib::ID3v2::FrameList composer = v2->frameListMap()["TCOM"];
    if (!composer.isEmpty())
        read.tag.composer = fromTagLib(composer.front()->toString());
    return read;
}

// An ID3v2.3 tag of ISO-8859-1 text frames and no padding, as some taggers write them: any
// longer value makes the tag grow and the audio move.
inline QByteArray tightV23(const QList<QPair<QByteArray, QByteArray>>& frames)
{
    QByteArray body;
    for (const auto& [id, text] : frames) {
        const QByteArray content = '\0' + text;
        const quint32 size = quint32(content.size());
        body += id;
        for (int shift = 24; shift >= 0; shift -= 8)
            body += char((size >> shift) & 0xff);
        body += QByteArray(2, '\0') + content;
    }
    QByteArray tag("ID3\x03\x00\x00", 6);
    const quint32 size = quint32(body.size());
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += char((size >> shift) & 0x7f);
    return tag + body;
}

// The audio of a file: its bytes between the ID3v2 tag (header, body and footer) and the
// ID3v1 block.
inline QByteArray audioOf(const QByteArray& bytes)
{
    qsizetype start = 0;
    if (bytes.startsWith("ID3") && bytes.size() >= 10) {
        qsizetype size = 0;
        for (int i = 6; i < 10; ++i)
            size = size << 7 | (quint8(bytes[i]) & 0x7f);
        const bool footer = quint8(bytes[5]) & 0x10;
        start = 10 + size + (footer ? 10 : 0);
    }
    qsizetype end = bytes.size();
    if (end - start >= 128 && bytes.mid(end - 128, 3) == "TAG")
        end -= 128;
    return bytes.mid(start, end - start);
}

} // namespace Id3v2Files
