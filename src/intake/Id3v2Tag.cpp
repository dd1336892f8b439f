#include "intake/Id3v2Tag.h"

#include "intake/GenreLists.h"
#include "intake/Id3v1Block.h"
#include "platform/Errors.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>

#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tfilestream.h>

namespace {

// MPEG::File makes an empty ID3v2 tag for every file it reads: whether the file has one is
// hasID3v2Tag(), never a null ID3v2Tag().

QString fromTagLib(const TagLib::String& text)
{
    return QString::fromStdWString(text.toWString());
}

TagLib::String toTagLib(const QString& text)
{
    return TagLib::String(text.toStdWString());
}

QByteArray systemName(const QString& fileName)
{
    return QFile::encodeName(fileName);
}

// Whether the tag's `current` text already says `wanted` as far as an ID3v1 field can.
bool sameInVersion1(const QString& current, const QString& wanted, int width,
                    const SingleByteCodePage& codePage)
{
    return Id3v1Block::asStored(current, width, codePage) ==
           Id3v1Block::asStored(wanted, width, codePage);
}

// The ID3v1 number a genre name stands for: its place in either list of names, else "Other"
// (12), which is what an ID3v1 tag carries for a genre it cannot name.
int genreNumberOf(const QString& name)
{
    for (const QStringList* list : {&GenreLists::intake(), &GenreLists::pick()}) {
        for (int i = 0; i < list->size(); ++i) {
            if (list->at(i).compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
    }
    return 12;
}

// Whether the tag is the file's first bytes: only then does a copy know where it ends.
bool startsWithTag(TagLib::FileStream& stream)
{
    stream.seek(0);
    return stream.readBlock(3) == TagLib::ByteVector("ID3", 3);
}

} // namespace

bool Id3v2Tag::startsWithAudio(QIODevice& device)
{
    unsigned char header[4] = {};
    if (!device.seek(0) || device.read(reinterpret_cast<char*>(header), 4) != 4)
        return false;
    const bool sync = header[0] == 0xFF && (header[1] & 0xE0) == 0xE0;
    const int version = (header[1] >> 3) & 0x03;    // 1 is reserved
    const int layer = (header[1] >> 1) & 0x03;      // 0 is reserved
    const int bitrate = header[2] >> 4;             // 15 is invalid
    const int sampleRate = (header[2] >> 2) & 0x03; // 3 is reserved
    return sync && version != 1 && layer != 0 && bitrate != 15 && sampleRate != 3;
}

std::optional<Id3v2Tag::Fields> Id3v2Tag::read(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open \"%1\" for reading").arg(fileName));
    return Id3v2Reader::read(file);
}

namespace {

// The change made in place where the tag still fits its place; else the grown tag is handed
// back with the size of the old one, and nothing is written.
bool mirrorInPlace(const QString& fileName, const Id3v2Tag::Mirror& values, QByteArray& grownTag,
                   qint64& oldTagSize)
{
    TagLib::FileStream stream(systemName(fileName).constData(), false);
    if (!stream.isOpen() || stream.readOnly())
        throw EInOutError(QStringLiteral("Cannot open \"%1\" for writing").arg(fileName));
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    TagLib::ID3v2::Tag* tag = file.isValid() && file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
    if (!tag)
        return false;

    const SingleByteCodePage& page = values.codePage;
    const int width = Id3v1Block::TextWidth;
    bool changed = false;
    const auto put = [&](const TagLib::String& current, const std::optional<QString>& wanted,
                         int fieldWidth, const auto& set) {
        if (!wanted || sameInVersion1(fromTagLib(current), *wanted, fieldWidth, page))
            return;
        set(toTagLib(*wanted));
        changed = true;
    };
    put(tag->title(), values.title, width, [&](const TagLib::String& t) { tag->setTitle(t); });
    put(tag->artist(), values.artist, width, [&](const TagLib::String& t) { tag->setArtist(t); });
    put(tag->album(), values.album, width, [&](const TagLib::String& t) { tag->setAlbum(t); });
    put(tag->comment(), values.comment, width,
        [&](const TagLib::String& t) { tag->setComment(t); });
    const QString currentYear = tag->year() ? QString::number(tag->year()) : QString();
    if (values.year && !sameInVersion1(currentYear, *values.year, Id3v1Block::YearWidth, page)) {
        // A year that is no number cannot be a year frame of TagLib: the frame goes.
        tag->setYear(values.year->trimmed().toUInt());
        changed = true;
    }
    const QString genre = values.genreID ? GenreLists::intake().value(*values.genreID) : QString();
    if (!genre.isEmpty() && genreNumberOf(fromTagLib(tag->genre())) != *values.genreID) {
        tag->setGenre(toTagLib(genre));
        changed = true;
    }
    if (!changed)
        return true;

    // 2.3 stays 2.3 (older players read nothing newer); 2.2 and 2.4 are written as 2.4.
    const TagLib::ID3v2::Version version =
        tag->header()->majorVersion() == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
    // A tag that no longer fits its place would make TagLib move the audio within the file,
    // and a kill or a full disk on the way would ruin the song. Such a tag is written into a
    // new copy of the file instead, which replaces it only when complete.
    // The size before rendering: rendering sets the header to the new one.
    oldTagSize = tag->header()->completeTagSize();
    const TagLib::ByteVector rendered = tag->render(version);
    if (rendered.size() > oldTagSize && startsWithTag(stream)) {
        grownTag = QByteArray(rendered.data(), qsizetype(rendered.size()));
        return true;
    }
    if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version,
                   TagLib::File::DoNotDuplicate))
        throw EInOutError(QStringLiteral("Cannot write the ID3v2 tag of \"%1\"").arg(fileName));
    return true;
}

// The file rewritten with `tag` in place of its first `oldTagSize` bytes.
void replaceTag(const QString& fileName, const QByteArray& tag, qint64 oldTagSize)
{
    QFile original(fileName);
    if (!original.open(QIODevice::ReadOnly) || !original.seek(oldTagSize))
        throw EInOutError(
            QStringLiteral("Cannot read \"%1\": %2").arg(fileName, original.errorString()));
    QSaveFile copy(fileName);
    // The copy keeps the file's permissions; it is written beside it and renamed over it.
    if (!copy.open(QIODevice::WriteOnly) || copy.write(tag) != tag.size())
        throw EInOutError(QStringLiteral("Cannot write the ID3v2 tag of \"%1\": %2")
                              .arg(fileName, copy.errorString()));
    QByteArray chunk;
    while (!(chunk = original.read(1 << 20)).isEmpty()) {
        if (copy.write(chunk) != chunk.size())
            throw EInOutError(QStringLiteral("Cannot write the ID3v2 tag of \"%1\": %2")
                                  .arg(fileName, copy.errorString()));
    }
    if (original.error() != QFileDevice::NoError)
        throw EInOutError(
            QStringLiteral("Cannot read \"%1\": %2").arg(fileName, original.errorString()));
    original.close();
    if (!copy.commit())
        throw EInOutError(QStringLiteral("Cannot write the ID3v2 tag of \"%1\": %2")
                              .arg(fileName, copy.errorString()));
}

} // namespace

bool Id3v2Tag::mirror(const QString& fileName, const Mirror& values)
{
    QByteArray grownTag;
    qint64 oldTagSize = 0;
    if (!mirrorInPlace(fileName, values, grownTag, oldTagSize))
        return false;
    if (!grownTag.isEmpty())
        replaceTag(fileName, grownTag, oldTagSize);
    return true;
}
