#include "container/TCompressStream.h"

#include "container/DeviceIo.h"
#include "container/LZRW1KH.h"
#include "platform/Errors.h"

#include <QBuffer>

#include <limits>

namespace {

[[noreturn]] void corruptImage(const QString& what)
{
    throw ECompressError(QStringLiteral("Corrupt compressed image: %1").arg(what));
}

} // namespace

void TCompressStream::compress(QIODevice& in, QIODevice& out)
{
    // In append mode the total would land at the end instead of over its placeholder.
    if (out.isSequential() || out.openMode().testFlag(QIODevice::Append)) {
        throw EInOutError(
            QStringLiteral(
                "Cannot write a compressed image to %1: it cannot go back to write the total")
                .arg(DeviceIo::deviceName(out)));
    }
    const qint64 start = out.pos();
    DeviceIo::writeAll(out, QByteArrayView(Magic, MagicSize));
    DeviceIo::writeAll(out, DeviceIo::int32Le(0));

    qint64 total = 0;
    for (;;) {
        const QByteArray piece = DeviceIo::readUpTo(in, LZRW1KH::BlockSize);
        if (piece.isEmpty())
            break;
        const QByteArray block = LZRW1KH::compressBlock(piece);
        total += 4 + block.size();
        if (total > std::numeric_limits<qint32>::max())
            throw ECompressError(QStringLiteral("The file is too large for a compressed image"));
        DeviceIo::writeAll(out, DeviceIo::int32Le(qint32(block.size())));
        DeviceIo::writeAll(out, block);
        if (piece.size() < LZRW1KH::BlockSize)
            break;
    }

    const qint64 end = out.pos();
    DeviceIo::seek(out, start + MagicSize);
    DeviceIo::writeAll(out, DeviceIo::int32Le(qint32(total)));
    DeviceIo::seek(out, end);
}

void TCompressStream::decompress(QIODevice& in, QIODevice& out)
{
    if (DeviceIo::readUpTo(in, MagicSize) != QByteArrayView(Magic, MagicSize))
        throw ECompressError(QStringLiteral("Wrong file type"));

    const QByteArray totalBytes = DeviceIo::readUpTo(in, 4);
    if (totalBytes.size() < 4)
        corruptImage(QStringLiteral("the header is truncated"));
    const qint64 total = DeviceIo::readInt32Le(totalBytes);
    if (total < 0)
        corruptImage(QStringLiteral("negative total length %1").arg(total));
    if (!in.isSequential() && total > in.size() - in.pos()) {
        corruptImage(
            QStringLiteral("the total length %1 goes beyond the end of the data (%2 bytes)")
                .arg(total)
                .arg(in.size() - in.pos()));
    }

    qint64 remaining = total;
    while (remaining > 0) {
        if (remaining < 4)
            corruptImage(QStringLiteral("a chunk length does not fit in the total length"));
        const QByteArray lengthBytes = DeviceIo::readUpTo(in, 4);
        if (lengthBytes.size() < 4)
            corruptImage(QStringLiteral("the data ends inside a chunk length"));
        const qint64 length = DeviceIo::readInt32Le(lengthBytes);
        remaining -= 4;
        if (length <= 0 || length > LZRW1KH::MaxCompressedSize)
            corruptImage(QStringLiteral("impossible chunk length %1").arg(length));
        if (length > remaining)
            corruptImage(QStringLiteral("a chunk goes beyond the total length"));
        const QByteArray block = DeviceIo::readUpTo(in, length);
        if (block.size() < length)
            corruptImage(QStringLiteral("the data ends inside a chunk"));
        remaining -= length;
        DeviceIo::writeAll(out, LZRW1KH::decompressBlock(block));
    }
}

namespace {

// Runs one of the device forms over in-memory buffers.
QByteArray throughBuffers(const QByteArray& input, void (*run)(QIODevice&, QIODevice&))
{
    QByteArray source = input;
    QBuffer in(&source);
    in.open(QIODevice::ReadOnly);
    QByteArray result;
    QBuffer out(&result);
    out.open(QIODevice::WriteOnly);
    run(in, out);
    return result;
}

} // namespace

QByteArray TCompressStream::compress(const QByteArray& file)
{
    return throughBuffers(file, &TCompressStream::compress);
}

QByteArray TCompressStream::decompress(const QByteArray& image)
{
    return throughBuffers(image, &TCompressStream::decompress);
}
