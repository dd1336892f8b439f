// The personal server's answer to a search over the 100,000-song corpus of the list benchmark
// (every song on the hard disk, every file there): the records of ShareCatalogue::search, from
// the typed artist and title to the text after the verb, for a few searches:
//   common word     a title word a quarter of the songs hold: the answer is full long before
//                   the table ends;
//   common, both    an artist word and a title word with a letter beyond A to Z;
//   rare            one artist's number and a title word: a handful of songs;
//   no song         a word no song holds: the whole table is read;
//   empty texts     every song matches: the first records in artist order.
// Each figure is the median and the slowest of its runs, after one untimed run; the goal is at
// most 50 ms a search.
//
//   ShareSearchBench [CORPUS-DIR]   (the corpus is made on the first run, about 1 minute, and kept)
#include "ListCorpus.h"
#include "net/ShareCatalogue.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

using namespace ListCorpus;

namespace {

constexpr int runs = 21;
constexpr double goalMs = 50.0;

struct Search
{
    const char* name;
    QString artist;
    QString title;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString dir = args.isEmpty() ? QStringLiteral(T3_LIST_CORPUS) : args.first();
    try {
        if (!QFileInfo::exists(stampFile(dir)))
            makeCorpus(dir);
        SongDatabase db(QDir(dir).filePath(QStringLiteral("home")));
        const ShareCatalogue catalogue(db);

        const Search searches[] = {
            {"common word", QString(), QStringLiteral("love")},
            {"common, both", QStringLiteral("night"), QStringLiteral("CAFÉ")},
            {"rare", QStringLiteral("1999"), QStringLiteral("dream")},
            {"no song", QStringLiteral("zebra"), QString()},
            {"empty texts", QString(), QString()},
        };

        std::printf("Share search over %d songs, %d runs each (goal: at most %.0f ms)\n", songCount,
                    runs, goalMs);
        std::printf("%-14s %-8s %-8s %8s %8s %11s %9s\n", "search", "artist", "title", "records",
                    "bytes", "median ms", "max ms");
        bool met = true;
        for (const Search& search : searches) {
            ShareCatalogue::Answer answer = catalogue.search(search.artist, search.title);
            std::vector<double> times;
            for (int run = 0; run < runs; ++run) {
                const auto start = std::chrono::steady_clock::now();
                answer = catalogue.search(search.artist, search.title);
                times.push_back(secondsSince(start) * 1000.0);
            }
            const double slowest = *std::max_element(times.begin(), times.end());
            met = met && median(times) <= goalMs;
            std::printf(
                "%-14s %-8s %-8s %8d %8lld %11.2f %9.2f\n", search.name,
                qPrintable(search.artist.isEmpty() ? QStringLiteral("-") : search.artist),
                qPrintable(search.title.isEmpty() ? QStringLiteral("-") : search.title),
                answer.count,
                static_cast<long long>(
                    (QLatin1String(ShareCatalogue::resultVerb) + answer.records).toUtf8().size()),
                median(times), slowest);
        }
        std::printf("%s\n", met ? "Every median within the goal." : "GOAL MISSED.");
        return 0;
    } catch (const TamboroError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
}
