// List building against its floor on a song table of 100,000 songs whose files all exist:
//   floor      the same query run and read to the end, each file stat-ed once and the lengths
//              summed, in one plain loop;
//   buildList  the same query and the rows, availability and sums of a list window;
//   model      buildList and the rows handed to the list window's model (when it is built).
// The passes run in turns, seven rounds after one untimed run of each (so the page cache is warm
// for all); each figure is the median and the fastest of its runs. Peak memory is VmHWM of a
// fresh process that runs the pass once and holds its result.
//
//   ListBench [CORPUS-DIR]     (the corpus is made on the first run, about 1 minute, and kept)
#include "ListCorpus.h"
#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "lists/ListBuilder.h"
#include "platform/Errors.h"

#ifdef T3_HAVE_LIST_MODEL
#include "lists/ui/ListModel.h"
#include <QGuiApplication>
#else
#include <QCoreApplication>
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <vector>

namespace {

using namespace ListCorpus;

constexpr int runs = 7;

ListBuildResult buildPass(RQuery& rq, const QStringList& roots)
{
    openQuery(rq);
    ListBuildResult result = buildList(rq, roots, {});
    rq.close();
    return result;
}

// One run of `pass` and its seconds; what it built is dropped at once.
template <typename Pass> double timeOnce(Pass& pass)
{
    const auto start = std::chrono::steady_clock::now();
    [[maybe_unused]] const auto result = pass();
    return secondsSince(start);
}

} // namespace

int main(int argc, char** argv)
{
#ifdef T3_HAVE_LIST_MODEL
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QStringList args = QCoreApplication::arguments().mid(1);
    // "--peak N": run pass N once in this fresh process and print its VmHWM in kB.
    int peakPass = -1;
    if (args.size() >= 2 && args.first() == QLatin1String("--peak")) {
        peakPass = args.at(1).toInt();
        args = args.mid(2);
    }
    const QString dir = args.isEmpty() ? QStringLiteral(T3_LIST_CORPUS) : args.first();
    try {
        if (peakPass < 0 && !QFileInfo::exists(stampFile(dir)))
            makeCorpus(dir);
        SongDatabase db(QDir(dir).filePath(QStringLiteral("home")));
        RQuery rq(db);
        const QStringList roots{QStringLiteral("/")};

        struct Pass
        {
            const char* name;
            std::function<int()> run; // returns the rows built
            std::vector<double> times;
            long peakKb = 0;
        };
        std::vector<Pass> passes;
        passes.push_back({"floor: query + stat + sum, one plain loop",
                          [&] { return floorPass(rq).rows; },
                          {},
                          0});
        passes.push_back({"buildList", [&] { return buildPass(rq, roots).songs; }, {}, 0});
#ifdef T3_HAVE_LIST_MODEL
        ListModel model;
        passes.push_back({"buildList + ListModel::setEntries",
                          [&] {
                              model.clear(); // a re-query clears the rows first
                              ListBuildResult result = buildPass(rq, roots);
                              model.setEntries(std::move(result.rows));
                              return model.rowCount();
                          },
                          {},
                          0});
#endif

        if (peakPass >= 0) {
            if (peakPass >= int(passes.size()))
                return 2;
            // The result stays held while the peak is read (the model holds its rows).
            ListBuildResult held;
            if (peakPass == 1)
                held = buildPass(rq, roots);
            else
                passes[std::size_t(peakPass)].run();
            std::printf("%ld\n", statusKb("VmHWM"));
            return 0;
        }

        const Totals floorTotals = floorPass(rq);
        {
            const ListBuildResult built = buildPass(rq, roots);
            if (built.songs != floorTotals.rows || built.playable != floorTotals.available ||
                built.listTime.seconds != floorTotals.seconds) {
                std::fprintf(stderr,
                             "buildList disagrees with the floor: %d/%d rows, %d/%d playable\n",
                             built.songs, floorTotals.rows, built.playable, floorTotals.available);
                return 1;
            }
        }
        // Rounds of one run of each pass, so that a busy machine slows all of them alike.
        for (Pass& pass : passes)
            timeOnce(pass.run); // untimed: warms the page cache and the engine
        for (int round = 0; round < runs; ++round)
            for (Pass& pass : passes)
                pass.times.push_back(timeOnce(pass.run));
        // Peaks, each in a process of its own: a heap that has held another pass's rows keeps
        // pages resident that would count for the next.
        for (std::size_t i = 0; i < passes.size(); ++i) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--peak"), QString::number(i), dir});
            child.waitForFinished(-1);
            passes[i].peakKb = child.readAllStandardOutput().trimmed().toLong();
        }

        std::printf("List building, %d songs, every file on disk, warm page cache, %d rounds\n\n",
                    floorTotals.rows, runs);
        std::printf("  %-40s %9s %9s %9s %9s\n", "pass", "median s", "min s", "x floor",
                    "VmHWM MB");
        const double floorMedian = median(passes.front().times);
        for (const Pass& pass : passes)
            std::printf("  %-40s %9.3f %9.3f %9.2f %9.1f\n", pass.name, median(pass.times),
                        *std::min_element(pass.times.begin(), pass.times.end()),
                        median(pass.times) / floorMedian, pass.peakKb / 1024.0);
#ifndef T3_HAVE_LIST_MODEL
        std::printf("  (the list model is not built: no model figure)\n");
#endif
        std::printf("\n  VmHWM: one run of the pass in a fresh process, its result held.\n"
                    "  Goal: buildList within 2.00 x the floor's median.\n");
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
