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

constexpr int songCount = 100'000;
constexpr int runs = 7;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

// A /proc/self/status value in kB ("VmHWM", "VmRSS"), -1 when missing.
long statusKb(const char* name)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// ---- The corpus: a home with the song table, and the files below files/ ----

QString stampFile(const QString& dir)
{
    return QDir(dir).filePath(QStringLiteral("complete-%1").arg(songCount));
}

QString pick(QRandomGenerator& random, const QStringList& words, int from, int to)
{
    QStringList parts;
    const int n = from + int(random.bounded(to - from + 1));
    for (int i = 0; i < n; ++i)
        parts << words.at(int(random.bounded(int(words.size()))));
    return parts.join(QLatin1Char(' '));
}

void makeCorpus(const QString& dir)
{
    std::printf("Making the corpus of %d songs in %s ...\n", songCount, qPrintable(dir));
    std::fflush(stdout);
    QDir(dir).removeRecursively();
    const QString home = QDir(dir).filePath(QStringLiteral("home"));
    const QString files = QDir(dir).filePath(QStringLiteral("files"));
    if (!QDir().mkpath(home) || !QDir().mkpath(files))
        throw EInOutError(QStringLiteral("Cannot make %1").arg(dir));
    SongDatabase::createSongTable(QDir(home).filePath(QStringLiteral("tamboro.db")));

    const QStringList words = {
        QStringLiteral("Love"),  QStringLiteral("Night"), QStringLiteral("Rock"),
        QStringLiteral("Blue"),  QStringLiteral("Song"),  QStringLiteral("Heart"),
        QStringLiteral("Dance"), QStringLiteral("Fire"),  QStringLiteral("Dream"),
        QStringLiteral("Road"),  QStringLiteral("Rain"),  QStringLiteral("Gold"),
        QStringLiteral("Motör"), QStringLiteral("Café"),  QStringLiteral("Street"),
        QStringLiteral("Sun"),   QStringLiteral("It's"),  QStringLiteral("#1"),
        QStringLiteral("Live:"), QStringLiteral("Home"),
    };
    QRandomGenerator random(7);
    SongDatabase db(home);
    UQuery uq(db);
    Transaction transaction(db);
    // 2,000 artists with 5 albums of 10 songs each.
    QString artist;
    QString album;
    QString folder;
    for (int i = 0; i < songCount; ++i) {
        if (i % 50 == 0)
            artist = QStringLiteral("%1 %2").arg(pick(random, words, 1, 2)).arg(i / 50);
        if (i % 10 == 0) {
            album = QStringLiteral("%1 %2").arg(pick(random, words, 1, 3)).arg(i / 10 % 5);
            folder = QDir(files).filePath(artist + QLatin1Char('/') + album);
            QDir().mkpath(folder);
        }
        const QString title = pick(random, words, 1, 4);
        const QString path =
            folder +
            QStringLiteral("/%1 - %2.mp3").arg(i % 10 + 1, 2, 10, QLatin1Char('0')).arg(title);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw EInOutError(QStringLiteral("Cannot write %1").arg(path));

        Statements::SongFields song;
        song.artist = TextCodec::reFilter(artist);
        song.title = TextCodec::reFilter(title);
        song.filename = TextCodec::reFilter(path);
        const int seconds = 90 + int(random.bounded(330));
        song.trackLength = QStringLiteral("0:%1:%2")
                               .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                               .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        song.location = QStringLiteral("Disk!");
        song.genre = QStringLiteral("Rock");
        song.album = TextCodec::reFilter(album);
        song.bitrate = QStringLiteral("128");
        song.frequency = QStringLiteral("44100");
        song.comment = TextCodec::reFilter(QStringLiteral("Track %1").arg(i % 10 + 1));
        song.year = QString::number(1960 + i % 60);
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }
    transaction.commit();
    QFile stamp(stampFile(dir));
    if (!stamp.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Cannot write %1").arg(stampFile(dir)));
}

// ---- The three measured passes ----

struct Totals
{
    int rows = 0;
    int available = 0;
    qint64 seconds = 0;
};

void openQuery(RQuery& rq)
{
    rq.close();
    rq.setSql(Statements::selectAllByArtistTitle());
    rq.open();
}

// The least any list of this table must do.
Totals floorPass(RQuery& rq)
{
    Totals totals;
    openQuery(rq);
    for (rq.first(); !rq.eof(); rq.next()) {
        ++totals.rows;
        const QString path = TextCodec::filter(rq.field(SongColumn::Filename));
        struct stat info;
        if (::stat(QFile::encodeName(path).constData(), &info) == 0)
            ++totals.available;
        const QStringList parts = rq.field(SongColumn::Track_Length).split(QLatin1Char(':'));
        if (parts.size() == 3)
            totals.seconds +=
                parts[0].toLongLong() * 3600 + parts[1].toLongLong() * 60 + parts[2].toLongLong();
    }
    rq.close();
    return totals;
}

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
