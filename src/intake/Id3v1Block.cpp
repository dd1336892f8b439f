#include "intake/Id3v1Block.h"

#include "platform/Errors.h"

#include <QIODevice>

namespace Id3v1Block {

namespace {

// Only the space counts as padding: a tab or a trailing zero-width character is content.
QByteArray withoutTrailingSpaces(QByteArray bytes)
{
    while (!bytes.isEmpty() && bytes.back() == ' ')
        bytes.chop(1);
    return bytes;
}

QString slotText(const QByteArray& block, int offset, int width, const SingleByteCodePage& codePage)
{
    QByteArray bytes = block.mid(offset, width);
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return codePage.decode(withoutTrailingSpaces(bytes));
}

void putSlot(QByteArray& block, int offset, int width, const QString& text,
             const SingleByteCodePage& codePage)
{
    const QByteArray bytes = codePage.encode(cut(text, width));
    block.replace(offset, bytes.size(), bytes);
}

QString deviceError(const QIODevice& device)
{
    const QString text = device.errorString();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

// Positions `device` at the start of its last block.
void seekToBlock(QIODevice& device, const QString& name)
{
    if (device.isSequential())
        throw EInOutError(
            QStringLiteral("Cannot read the tag of \"%1\": it cannot be sought").arg(name));
    const qint64 size = device.size();
    if (size < Size)
        throw EInOutError(QStringLiteral("Cannot read the tag of \"%1\": the file is %2 bytes "
                                         "long, shorter than a %3-byte tag")
                              .arg(name)
                              .arg(size)
                              .arg(Size));
    const qint64 position = size - Size;
    if (!device.seek(position))
        throw EInOutError(
            QStringLiteral("Cannot seek in \"%1\": %2").arg(name, deviceError(device)));
}

} // namespace

QByteArray readTagBlock(QIODevice& device, const QString& name)
{
    seekToBlock(device, name);
    QByteArray block(Size, '\0');
    qint64 done = 0;
    while (done < Size) {
        const qint64 got = device.read(block.data() + done, Size - done);
        if (got <= 0)
            throw EInOutError(QStringLiteral("Cannot read the tag of \"%1\": %2")
                                  .arg(name, got < 0 ? deviceError(device)
                                                     : QStringLiteral("the file ended early")));
        done += got;
    }
    return block;
}

bool writeTagBlock(QIODevice& device, const QByteArray& block, const QString& name)
{
    Q_ASSERT(block.size() == Size);
    if (!hasTag(readTagBlock(device, name)))
        return false;
    seekToBlock(device, name);
    qint64 done = 0;
    while (done < Size) {
        const qint64 put = device.write(block.constData() + done, Size - done);
        if (put <= 0)
            throw EInOutError(QStringLiteral("Cannot write the tag of \"%1\": %2")
                                  .arg(name, deviceError(device)));
        done += put;
    }
    return true;
}

QByteArray identifier(const QByteArray& block)
{
    return block.left(3);
}

bool hasTag(const QByteArray& block)
{
    return identifier(block) == "TAG";
}

Fields parse(const QByteArray& block, const SingleByteCodePage& codePage)
{
    Q_ASSERT(block.size() == Size);
    Fields fields;
    fields.title = slotText(block, TitleOffset, TextWidth, codePage);
    fields.artist = slotText(block, ArtistOffset, TextWidth, codePage);
    fields.album = slotText(block, AlbumOffset, TextWidth, codePage);
    fields.year = slotText(block, YearOffset, YearWidth, codePage);
    fields.comment = slotText(block, CommentOffset, TextWidth, codePage);
    fields.genreID = static_cast<quint8>(block.at(GenreOffset));
    return fields;
}

QByteArray build(const Fields& fields, const SingleByteCodePage& codePage)
{
    QByteArray block(Size, ' ');
    block.replace(0, 3, "TAG");
    putSlot(block, TitleOffset, TextWidth, fields.title, codePage);
    putSlot(block, ArtistOffset, TextWidth, fields.artist, codePage);
    putSlot(block, AlbumOffset, TextWidth, fields.album, codePage);
    putSlot(block, CommentOffset, TextWidth, fields.comment, codePage);
    putSlot(block, YearOffset, YearWidth, fields.year, codePage);
    block[GenreOffset] = static_cast<char>(fields.genreID);
    return block;
}

QString asStored(const QString& text, int width, const SingleByteCodePage& codePage)
{
    return codePage.decode(withoutTrailingSpaces(codePage.encode(cut(text, width))));
}

QString cut(const QString& text, int width)
{
    qsizetype end = 0;
    for (int i = 0; i < width && end < text.size(); ++i) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() &&
                          text.at(end + 1).isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

} // namespace Id3v1Block
