#pragma once

#include <QByteArray>

class QIODevice;

// The compressed image of a whole file: the magic "PMCS10", a 32-bit little-endian total of the
// bytes that follow, then chunks until that total is used up, each a 32-bit little-endian
// length and one LZRW1-KH block. Block k holds bytes [k * BlockSize, (k + 1) * BlockSize) of
// the file.
class TCompressStream
{
public:
    static constexpr char Magic[] = "PMCS10";
    static constexpr qint64 MagicSize = 6;
    static constexpr qint64 HeaderSize = MagicSize + 4;

    // Compresses everything `in` still holds into an image at out's current position. `out`
    // must be seekable: the total is written last, over a placeholder. Device failures throw
    // EInOutError; an image that would exceed the 32-bit total throws ECompressError.
    static void compress(QIODevice& in, QIODevice& out);

    // Reads one image from `in` and writes the file it holds to `out`. Throws ECompressError
    // with "Wrong file type" when `in` does not start with the magic, ECompressError for any
    // malformed, inconsistent or truncated image, EInOutError for device failures.
    static void decompress(QIODevice& in, QIODevice& out);

    // In-memory forms of the two above.
    static QByteArray compress(const QByteArray& file);
    static QByteArray decompress(const QByteArray& image);
};
