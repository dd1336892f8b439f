// LZRW1-KH block compression and decompression speed beside a plain memcpy of the same data.
//
// The input is 4 MiB built from 64 KiB segments in a fixed pseudo-random order, meant to look
// like the files the program carries and a catalogue's data: 40% English-like text, 25% table
// records (little-endian counters, small integers, zero-padded names), 25% random bytes (like
// compressed audio frames) and 10% zero padding.

#include "container/LZRW1KH.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <cstring>

namespace {

constexpr qsizetype DataSize = 4 << 20;
constexpr qsizetype SegmentSize = 64 << 10;

QByteArray textSegment(QRandomGenerator& rng)
{
    static const char* const words[] = {
        "the",   "of",      "and",   "a",       "to",     "in",      "is",       "song",
        "album", "live",    "remix", "version", "artist", "title",   "medium",   "player",
        "list",  "Tamboro", "track", "year",    "genre",  "comment", "database", "window"};
    QByteArray out;
    out.reserve(SegmentSize + 16);
    while (out.size() < SegmentSize) {
        // Low indices far more often, roughly as word frequencies go.
        const int pick = int(rng.bounded(24) * rng.bounded(24) / 24);
        out.append(words[pick]);
        out.append(rng.bounded(10) == 0 ? ".\n" : " ");
    }
    out.truncate(SegmentSize);
    return out;
}

QByteArray recordSegment(QRandomGenerator& rng)
{
    static const char* const names[] = {"Blue Train", "So What",   "Naima",
                                        "Footprints", "Take Five", "Round Midnight"};
    QByteArray out;
    out.reserve(SegmentSize + 64);
    quint32 id = rng.generate() % 10000;
    while (out.size() < SegmentSize) {
        char record[48] = {};
        const quint32 fields[] = {id++, quint32(rng.bounded(600)), 128, 44100};
        std::memcpy(record, fields, sizeof fields);
        const char* name = names[rng.bounded(6)];
        std::memcpy(record + 16, name, std::strlen(name));
        out.append(record, sizeof record);
    }
    out.truncate(SegmentSize);
    return out;
}

QByteArray randomSegment(QRandomGenerator& rng)
{
    QByteArray out(SegmentSize, Qt::Uninitialized);
    for (auto& b : out)
        b = char(rng.bounded(256));
    return out;
}

const QByteArray& sampleData()
{
    static const QByteArray data = [] {
        QRandomGenerator rng(20240309);
        QByteArray out;
        out.reserve(DataSize);
        while (out.size() < DataSize) {
            const int kind = rng.bounded(20);
            if (kind < 8)
                out.append(textSegment(rng));
            else if (kind < 13)
                out.append(recordSegment(rng));
            else if (kind < 18)
                out.append(randomSegment(rng));
            else
                out.append(QByteArray(SegmentSize, '\0'));
        }
        out.truncate(DataSize);
        return out;
    }();
    return data;
}

QList<QByteArray> compressAll(const QByteArray& data)
{
    QList<QByteArray> blocks;
    for (qsizetype at = 0; at < data.size(); at += LZRW1KH::BlockSize)
        blocks.append(LZRW1KH::compressBlock(
            QByteArrayView(data).sliced(at, qMin(LZRW1KH::BlockSize, data.size() - at))));
    return blocks;
}

void BM_Compress(benchmark::State& state)
{
    const QByteArray& data = sampleData();
    qsizetype compressed = 0;
    for (auto _ : state) {
        compressed = 0;
        for (const QByteArray& block : compressAll(data))
            compressed += block.size();
        benchmark::DoNotOptimize(compressed);
    }
    state.SetBytesProcessed(state.iterations() * data.size());
    state.counters["ratio"] = double(compressed) / double(data.size());
}

void BM_Decompress(benchmark::State& state)
{
    const QByteArray& data = sampleData();
    const QList<QByteArray> blocks = compressAll(data);
    for (auto _ : state) {
        qsizetype total = 0;
        for (const QByteArray& block : blocks)
            total += LZRW1KH::decompressBlock(block).size();
        if (total != data.size())
            state.SkipWithError("decompressed size differs");
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

void BM_Memcpy(benchmark::State& state)
{
    const QByteArray& data = sampleData();
    QByteArray copy(data.size(), Qt::Uninitialized);
    for (auto _ : state) {
        std::memcpy(copy.data(), data.constData(), size_t(data.size()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

} // namespace

BENCHMARK(BM_Compress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
