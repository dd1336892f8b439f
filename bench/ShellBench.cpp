// The main window over the 100,000-song corpus of the list benchmark:
//   start-up   from constructing the main window to its window shown, with 100 cached
//              selections in reqs.dat that start-up re-checks and turns into menu items;
//   whole db   from the "&Whole database" command to its list window filled, beside the floor
//              (the same query, every file stat-ed, the lengths summed, in one plain loop),
//              and the memory the window holds (resident size before and after).
// Each figure is the median of its runs; every start-up run gets a fresh copy of reqs.dat,
// since start-up rewrites it.
//
//   ShellBench [CORPUS-DIR]    (the corpus is made on the first run, about 1 minute, and kept)
#include "BenchServices.h"
#include "ListCorpus.h"
#include "app/ui/AppServices.h"
#include "app/ui/MainWindow.h"
#include "lists/ui/ListWindow.h"
#include "platform/Clock.h"
#include "platform/ShellVerbs.h"
#include "platform/Volumes.h"
#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>
#include <malloc.h>
#include <memory>

using namespace ListCorpus;

namespace {

constexpr int startRuns = 5;
constexpr int listRuns = 5;
constexpr int cachedQueries = 100;

// 100 selections as the parameter dialog caches them: by artist, album, year, medium, genre and
// combinations; a few match nothing and are dropped by start-up.
QByteArray reqsFile()
{
    QByteArray text;
    for (int i = 0; i < cachedQueries; ++i) {
        QString caption;
        QString query;
        const int artist = i * 19 % 2000;
        switch (i % 6) {
        case 0:
            caption = QStringLiteral(" (artists: #%1)").arg(artist);
            query =
                QStringLiteral("select * from tamboro where (artist like \"%% %1\")").arg(artist);
            break;
        case 1:
            caption = QStringLiteral(" (years: %1)").arg(1960 + i % 60);
            query = QStringLiteral("select * from tamboro where (syear=\"%1\")").arg(1960 + i % 60);
            break;
        case 2:
            caption = QStringLiteral(" (genres: Rock) (years: %1)").arg(1960 + i % 60);
            query =
                QStringLiteral("select * from tamboro where (genre=\"Rock\") and (syear=\"%1\")")
                    .arg(1960 + i % 60);
            break;
        case 3:
            caption = QStringLiteral(" (mediums: Disk)");
            query = QStringLiteral("select * from tamboro where (location like \"Disk%\")");
            break;
        case 4:
            // Nothing matches: start-up drops it.
            caption = QStringLiteral(" (genres: Jazz)");
            query = QStringLiteral("select * from tamboro where (genre=\"Jazz\")");
            break;
        default:
            caption = QStringLiteral(" (mediums: CD%1)").arg(i);
            query =
                QStringLiteral(
                    "select * from tamboro where (location like \"CD%1%\") and (syear=\"1999\")")
                    .arg(i);
            break;
        }
        text += (caption + QLatin1Char('|') + query).toUtf8() + "\r\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    // "--window": in this fresh process, start the main window, open the whole database once
    // and print the resident size and its peak in kB: what a user's process holds.
    const bool windowOnly = !args.isEmpty() && args.first() == QLatin1String("--window");
    if (windowOnly)
        args.removeFirst();
    const QString dir = args.isEmpty() ? QStringLiteral(T3_LIST_CORPUS) : args.first();
    try {
        if (!QFileInfo::exists(stampFile(dir)))
            makeCorpus(dir);

        // A home of the benchmark's own beside the corpus: the song table is shared read-only
        // in spirit, reqs.dat is written fresh for every start.
        QTemporaryDir work;
        const QString home = work.filePath(QStringLiteral("home"));
        QDir().mkpath(home);
        const QString table = QDir(dir).filePath(QStringLiteral("home/tamboro.db"));
        if (!QFile::link(table, QDir(home).filePath(QStringLiteral("tamboro.db"))))
            throw EInOutError(QStringLiteral("Cannot link %1").arg(table));

        BenchApp bench(home, work.path());
        AppServices& services = bench.services;
        PrintingDialogs& dialogs = bench.dialogs;

        if (windowOnly) {
            MainWindow window(services);
            window.show();
            QApplication::processEvents();
            window.findChild<QAction*>(QStringLiteral("Wholedatabase1"))->trigger();
            QApplication::processEvents();
            std::printf("%ld %ld\n", statusKb("VmRSS"), statusKb("VmHWM"));
            return 0;
        }

        const QByteArray reqs = reqsFile();
        const QString reqsPath = QDir(home).filePath(QStringLiteral("reqs.dat"));
        std::vector<double> startTimes;
        int menuItems = 0;
        for (int run = 0; run <= startRuns; ++run) {
            QFile file(reqsPath);
            if (!file.open(QIODevice::WriteOnly) || file.write(reqs) != reqs.size())
                throw EInOutError(QStringLiteral("Cannot write %1").arg(reqsPath));
            file.close();

            const auto start = std::chrono::steady_clock::now();
            MainWindow window(services);
            window.show();
            while (!window.windowHandle() || !window.windowHandle()->isExposed())
                QApplication::processEvents();
            const double seconds = secondsSince(start);
            if (run > 0) // the first start warms the page cache and the engine
                startTimes.push_back(seconds);
            menuItems = int(window.itemCounter());
        }

        // The whole database, through the main window's own command.
        Totals floorTotals;
        std::vector<double> floorTimes;
        {
            SongDatabase db(home);
            RQuery rq(db);
            floorPass(rq);
            for (int run = 0; run < listRuns; ++run) {
                const auto start = std::chrono::steady_clock::now();
                floorTotals = floorPass(rq);
                floorTimes.push_back(secondsSince(start));
            }
        }
        std::vector<double> listTimes;
        long windowKb = 0;
        long openKb = 0;
        int rows = 0;
        {
            QFile::remove(reqsPath);
            MainWindow window(services);
            window.show();
            QApplication::processEvents();
            QAction* whole = window.findChild<QAction*>(QStringLiteral("Wholedatabase1"));
            whole->trigger(); // warm-up
            for (ListWindow* list : window.listWindows())
                delete list->parentWidget();
            QApplication::processEvents();
            malloc_trim(0);
            for (int run = 0; run < listRuns; ++run) {
                const long before = statusKb("VmRSS");
                const auto start = std::chrono::steady_clock::now();
                whole->trigger();
                QApplication::processEvents();
                listTimes.push_back(secondsSince(start));
                openKb = statusKb("VmRSS");
                windowKb = openKb - before;
                rows = window.listWindows().isEmpty()
                           ? 0
                           : window.listWindows().first()->panelText(0).section(' ', 3).toInt();
                for (ListWindow* list : window.listWindows())
                    delete list->parentWidget();
                QApplication::processEvents();
                malloc_trim(0);
            }
        }

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--window"), dir});
        child.waitForFinished(-1);
        const QList<QByteArray> fresh = child.readAllStandardOutput().trimmed().split(' ');

        std::printf("Main window over %d songs (every file on disk, warm page cache)\n\n",
                    floorTotals.rows);
        std::printf("  start-up to window shown, %d cached selections: median %.3f s, "
                    "min %.3f s  (%d menu items kept; goal 0.5 s)\n",
                    cachedQueries, median(startTimes),
                    *std::min_element(startTimes.begin(), startTimes.end()), menuItems);
        const double floorMedian = median(floorTimes);
        std::printf("  floor: query + stat + sum, one plain loop:      median %.3f s\n",
                    floorMedian);
        std::printf("  \"&Whole database\" to the window filled:         median %.3f s  "
                    "(%.2f x floor; goal 2.00)  %d songs in list\n",
                    median(listTimes), median(listTimes) / floorMedian, rows);
        std::printf("  memory the list window holds (VmRSS after - before): %.1f MB  "
                    "(goal 200 MB)\n",
                    windowKb / 1024.0);
        std::printf("  a fresh process with the main window and the whole-database window open: "
                    "VmRSS %.1f MB, peak VmHWM %.1f MB  (goal 200 MB)\n",
                    fresh.value(0).toLong() / 1024.0, fresh.value(1).toLong() / 1024.0);
        std::printf("  (this benchmark's own process after all its runs: VmRSS %.1f MB)\n",
                    openKb / 1024.0);
        return dialogs.messages == 0 ? 0 : 1;
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}
