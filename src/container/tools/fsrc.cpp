// Build-time packer of the files the program carries inside it.
//
//   fsrc pack [--compress] IN OUT   write the stored image of IN: a 32-bit little-endian length
//                                   and the bytes, or with --compress a compressed image
//   fsrc unpack IN OUT              write the file held in the stored image IN
//
// Exit status: 0 done, 1 failure (message on stderr), 2 wrong usage.

#include "container/DeviceIo.h"
#include "container/TCompressStream.h"
#include "container/TFileSource.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace {

int usage()
{
    std::fputs("usage: fsrc pack [--compress] IN OUT\n"
               "       fsrc unpack IN OUT\n",
               stderr);
    return 2;
}

void fail(const QString& message)
{
    throw EInOutError(message);
}

// OUT appears only when it is complete: a failure leaves any earlier OUT as it was. OUT is a
// regular file or a new name: the complete file would be renamed over whatever had the name, and
// a device, a FIFO or a folder named by mistake must not be replaced.
void writeOutput(const QString& path, const std::function<void(QIODevice&)>& produce)
{
    const QFileInfo existing(path);
    if ((existing.exists() || existing.isSymLink()) && !existing.isFile())
        fail(QStringLiteral("%1 exists and is not a regular file: it is not replaced").arg(path));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot create %1: %2").arg(path, out.errorString()));
    try {
        produce(out);
    } catch (...) {
        out.cancelWriting();
        throw;
    }
    if (!out.commit())
        fail(QStringLiteral("Cannot write %1: %2").arg(path, out.errorString()));
}

// IN is read to its end: files of /proc and the like say they are empty and still have content.
void pack(const QString& in, const QString& outPath, bool compress)
{
    QFile file(in);
    if (in.isEmpty() || !file.exists())
        fail(QStringLiteral("fsrc cannot store file: %1 (file is missing)").arg(in));
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot open %1: %2").arg(in, file.errorString()));
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0)
            fail(QStringLiteral("Cannot read %1: %2").arg(in, file.errorString()));
        if (n == 0)
            break;
        bytes.append(chunk, n);
    }
    QBuffer content(&bytes);
    content.open(QIODevice::ReadOnly);
    writeOutput(outPath,
                [&](QIODevice& out) { TFileSource::packFileData(content, compress, out); });
}

// Which form IN holds: a compressed image whose total matches the file's size, else a plain
// image whose length matches.
bool isCompressedImage(QFile& in)
{
    const qint64 size = in.size();
    if (size < TCompressStream::HeaderSize)
        return false;
    const QByteArray header = DeviceIo::readUpTo(in, TCompressStream::HeaderSize);
    DeviceIo::seek(in, 0);
    return header.startsWith(TCompressStream::Magic) &&
           DeviceIo::readInt32Le(header.sliced(TCompressStream::MagicSize)) ==
               size - TCompressStream::HeaderSize;
}

bool isPlainImage(QFile& in)
{
    const qint64 size = in.size();
    if (size < 4)
        return false;
    const QByteArray header = DeviceIo::readUpTo(in, 4);
    DeviceIo::seek(in, 0);
    return DeviceIo::readInt32Le(header) == size - 4;
}

void unpack(const QString& inPath, const QString& outPath)
{
    QFile in(inPath);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot open %1: %2").arg(inPath, in.errorString()));
    bool compressed = false;
    if (isCompressedImage(in))
        compressed = true;
    else if (!isPlainImage(in))
        fail(QStringLiteral("%1 is not a stored file image").arg(inPath));
    writeOutput(outPath, [&](QIODevice& out) { TFileSource::unpackFileData(in, compressed, out); });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("pack")) {
            bool compress = false;
            if (!args.isEmpty() && args.first() == QLatin1String("--compress")) {
                compress = true;
                args.removeFirst();
            }
            if (args.size() != 2)
                return usage();
            pack(args[0], args[1], compress);
        } else if (command == QLatin1String("unpack")) {
            if (args.size() != 2)
                return usage();
            unpack(args[0], args[1]);
        } else {
            return usage();
        }
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "fsrc: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
