#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// Deterministic inputs for the compressor tests: the same seed gives the same bytes.
namespace SampleData {

inline QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (auto& b : bytes)
        b = char(rng.bounded(256));
    return bytes;
}

// English-like text: repeated words, so copies are frequent and short.
inline QByteArray text(qsizetype size, quint32 seed)
{
    static const char* const words[] = {"the",    "song",  "artist",  "album", "title",  "year",
                                        "genre",  "list",  "medium",  "file",  "player", "tag",
                                        "window", "of",    "and",     "a",     "to",     "table",
                                        "query",  "drive", "Tamboro", "is",    "on",     "with"};
    QRandomGenerator rng(seed);
    QByteArray bytes;
    bytes.reserve(size + 16);
    while (bytes.size() < size) {
        bytes.append(words[rng.bounded(int(std::size(words)))]);
        bytes.append(rng.bounded(12) == 0 ? ".\n" : " ");
    }
    bytes.truncate(size);
    return bytes;
}

// Runs of a repeated byte, short and long, as in padded binary files.
inline QByteArray runs(qsizetype size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        const int length = rng.bounded(2) ? rng.bounded(1, 20) : rng.bounded(16, 6000);
        bytes.append(qMin<qsizetype>(length, size - bytes.size()), char(rng.bounded(256)));
    }
    return bytes;
}

// Text, random and run segments in turn.
inline QByteArray mixed(qsizetype size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray bytes;
    bytes.reserve(size);
    int kind = 0;
    while (bytes.size() < size) {
        const qsizetype length = qMin<qsizetype>(rng.bounded(1, 9000), size - bytes.size());
        const quint32 partSeed = rng.generate();
        switch (kind++ % 3) {
        case 0:
            bytes.append(text(length, partSeed));
            break;
        case 1:
            bytes.append(randomBytes(length, partSeed));
            break;
        default:
            bytes.append(runs(length, partSeed));
            break;
        }
    }
    return bytes;
}

} // namespace SampleData
