#include "container/LZRW1KH.h"

#include "platform/Errors.h"

#include <array>
#include <cstring>

namespace LZRW1KH {

namespace {

constexpr qsizetype MinRun = 16;
constexpr qsizetype MaxRun = 4095;
constexpr qsizetype MinMatch = 3;
constexpr qsizetype MaxMatch = 18;
constexpr qsizetype MaxDistance = 4095;
constexpr int GroupSize = 16;

using HashTable = std::array<qint32, 4096>;

// Hash of the three bytes at p; the caller guarantees that three bytes are there.
inline quint32 hashOf(const quint8* p)
{
    const quint32 key = (((quint32(p[0]) << 4) ^ p[1]) << 4) ^ p[2];
    return ((key * 40543u) >> 4) & 0x0FFF;
}

[[noreturn]] void corrupt(const char* what)
{
    throw ECompressError(QStringLiteral("Corrupt compressed block: %1").arg(QLatin1String(what)));
}

} // namespace

QByteArray compressBlock(QByteArrayView block)
{
    const qsizetype n = block.size();
    if (n > BlockSize)
        throw ECompressError(QStringLiteral("Cannot compress a block of %1 bytes (at most %2)")
                                 .arg(n)
                                 .arg(BlockSize));
    const auto* src = reinterpret_cast<const quint8*>(block.data());

    // The loop runs only while the output fits in n bytes, and one step adds at most a control
    // word and a run code (6 bytes) past that.
    QByteArray coded(n + 6, Qt::Uninitialized);
    auto* dst = reinterpret_cast<quint8*>(coded.data());

    HashTable hash;
    hash.fill(-1);

    dst[0] = quint8(FlagCompressed);
    qsizetype x = 0; // next input byte
    qsizetype y = 3; // next output byte; the first control word sits at 1 and 2
    qsizetype z = 1; // where the current group's control word goes
    int bit = 0;     // items in the current group
    quint32 command = 0;

    while (x < n && y <= n) {
        if (bit == GroupSize) {
            dst[z] = quint8(command >> 8);
            dst[z + 1] = quint8(command);
            z = y;
            y += 2;
            bit = 0;
            command = 0;
        }

        qsizetype run = 1;
        while (run < MaxRun && x + run < n && src[x + run] == src[x])
            ++run;

        if (run >= MinRun) {
            const qsizetype extra = run - MinRun;
            dst[y] = 0;
            dst[y + 1] = quint8(extra >> 8);
            dst[y + 2] = quint8(extra);
            dst[y + 3] = src[x];
            y += 4;
            x += run;
            command = (command << 1) | 1;
        } else {
            qsizetype length = 0;
            qsizetype distance = 0;
            // With fewer than three bytes left nothing can match, so nothing is hashed either.
            if (n - x >= MinMatch) {
                const quint32 h = hashOf(src + x);
                const qint32 entry = hash[h];
                hash[h] = qint32(x);
                if (entry >= 0 && x - entry <= MaxDistance) {
                    while (length < MaxMatch && x + length < n &&
                           src[x + length] == src[entry + length])
                        ++length;
                    distance = x - entry;
                }
            }
            if (length >= MinMatch) {
                const quint32 code = (quint32(distance) << 4) | quint32(length - MinMatch);
                dst[y] = quint8(code >> 8);
                dst[y + 1] = quint8(code);
                y += 2;
                x += length;
                command = (command << 1) | 1;
            } else {
                dst[y++] = src[x++];
                command <<= 1;
            }
        }
        ++bit;
    }

    // The last group's bits move to the top of its control word.
    command = (command << (GroupSize - bit)) & 0xFFFF;
    dst[z] = quint8(command >> 8);
    dst[z + 1] = quint8(command);

    if (y > n) {
        QByteArray stored;
        stored.reserve(n + 1);
        stored.append(FlagStored);
        stored.append(block);
        return stored;
    }
    coded.truncate(y);
    return coded;
}

QByteArray decompressBlock(QByteArrayView block)
{
    const qsizetype n = block.size();
    if (n == 0)
        corrupt("the block is empty");
    const auto* src = reinterpret_cast<const quint8*>(block.data());

    if (src[0] == quint8(FlagStored)) {
        if (n - 1 > BlockSize)
            corrupt("a stored block is longer than a block can be");
        return block.sliced(1).toByteArray();
    }
    if (src[0] != quint8(FlagCompressed))
        throw ECompressError(QStringLiteral("Corrupt compressed block: unknown flag byte 0x%1")
                                 .arg(uint(src[0]), 2, 16, QLatin1Char('0')));
    if (n < 3)
        corrupt("truncated control word");

    QByteArray plain(BlockSize, Qt::Uninitialized);
    auto* dst = reinterpret_cast<quint8*>(plain.data());
    qsizetype x = 1;
    qsizetype y = 0;
    quint32 command = 0;
    int bits = 0;

    while (x < n) {
        if (bits == 0) {
            if (n - x < 2)
                corrupt("truncated control word");
            command = (quint32(src[x]) << 8) | src[x + 1];
            x += 2;
            bits = GroupSize;
            if (x == n)
                break;
        }

        if (command & 0x8000) {
            if (n - x < 2)
                corrupt("truncated copy code");
            const qsizetype distance = (qsizetype(src[x]) << 4) | (src[x + 1] >> 4);
            if (distance == 0) {
                if (n - x < 4)
                    corrupt("truncated run code");
                const qsizetype run = ((qsizetype(src[x + 1]) << 8) | src[x + 2]) + MinRun;
                if (run > BlockSize - y)
                    corrupt("the output grows beyond the block size");
                std::memset(dst + y, src[x + 3], size_t(run));
                y += run;
                x += 4;
            } else {
                const qsizetype length = (src[x + 1] & 0x0F) + MinMatch;
                if (distance > y)
                    corrupt("a copy reaches before the start of the block");
                if (length > BlockSize - y)
                    corrupt("the output grows beyond the block size");
                // Byte by byte: the copy may overlap the bytes it produces.
                for (qsizetype k = 0; k < length; ++k, ++y)
                    dst[y] = dst[y - distance];
                x += 2;
            }
        } else {
            if (y >= BlockSize)
                corrupt("the output grows beyond the block size");
            dst[y++] = src[x++];
        }
        command = (command << 1) & 0xFFFF;
        --bits;
    }

    plain.truncate(y);
    return plain;
}

} // namespace LZRW1KH
