// Text codec throughput over one million tag-like strings (artists, titles, paths), about one
// in ten holding a character the codec encodes, as a real catalogue does.
#include "db/TextCodec.h"

#include <QRandomGenerator>
#include <QStringList>
#include <benchmark/benchmark.h>

namespace {

constexpr int stringCount = 1'000'000;

const QStringList& plainStrings()
{
    static const QStringList strings = [] {
        const char* const words[] = {"Love",  "Night", "Rock",   "Blue", "Song",   "Heart",
                                     "Dance", "Fire",  "Dream",  "Road", "Rain",   "Gold",
                                     "Motör", "Café",  "Street", "Sun",  "Lights", "Home"};
        const char* const specials[] = {"'", "\"", "#", "*", ":", "`"};
        QRandomGenerator random(42);
        QStringList list;
        list.reserve(stringCount);
        for (int i = 0; i < stringCount; ++i) {
            QString s;
            const int wordCount = 2 + int(random.bounded(4));
            for (int w = 0; w < wordCount; ++w) {
                if (w)
                    s += QLatin1Char(' ');
                s += QString::fromUtf8(words[random.bounded(int(std::size(words)))]);
            }
            if (random.bounded(10) == 0)
                s.insert(int(random.bounded(int(s.size()))),
                         QString::fromLatin1(specials[random.bounded(6)]));
            list << s;
        }
        return list;
    }();
    return strings;
}

const QStringList& storedStrings()
{
    static const QStringList strings = [] {
        QStringList list;
        list.reserve(stringCount);
        for (const QString& s : plainStrings())
            list << TextCodec::reFilter(s);
        return list;
    }();
    return strings;
}

void encodeMillionStrings(benchmark::State& state)
{
    const QStringList& input = plainStrings();
    for (auto _ : state) {
        for (const QString& s : input)
            benchmark::DoNotOptimize(TextCodec::reFilter(s));
    }
    state.SetItemsProcessed(state.iterations() * input.size());
}

void decodeMillionStrings(benchmark::State& state)
{
    const QStringList& input = storedStrings();
    for (auto _ : state) {
        for (const QString& s : input)
            benchmark::DoNotOptimize(TextCodec::filter(s));
    }
    state.SetItemsProcessed(state.iterations() * input.size());
}

// The floor: copying each string once, which any codec that returns a new string pays.
void copyMillionStrings(benchmark::State& state)
{
    const QStringList& input = plainStrings();
    for (auto _ : state) {
        for (const QString& s : input) {
            QString copy(s.constData(), s.size());
            benchmark::DoNotOptimize(copy);
        }
    }
    state.SetItemsProcessed(state.iterations() * input.size());
}

} // namespace

BENCHMARK(encodeMillionStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeMillionStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(copyMillionStrings)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
