// The add run over a corpus of 10,000 MP3 files, against its floor:
//   a. TagLib floor  every file opened by TagLib: the tag's artist, title, album, year and genre
//                    and the average audio properties (length, bitrate, sampling frequency);
//   b. intake        IntakeRun over the same files into an empty song table;
//   c. intake        the same into a song table that already holds 100,000 other songs;
//   a', b'           a and b over the readable files only, leaving out those the add run reports
//                    as bad: TagLib reads a file of random bytes to its end looking for a frame,
//                    which on its own takes most of the time of a.
// The medium is not writable, so no file is ever changed: every run sees the same corpus (the
// program checks that no file's size or time moved). Each intake run gets a fresh copy of its
// table in a home of its own. All files are read once before timing, so every pass runs from
// the page cache; the passes run in turns, three rounds after one untimed run of each, and each
// figure is the median of its three runs.
//
//   IntakeBench [--library PATH/mpegdll.so] [CORPUS-DIR]
//
// The corpus comes from bench/make-intake-corpus.sh (about 10 GB); the 100,000-song table is
// made on the first run, below the corpus folder, and kept.
#include "MpegBenchSupport.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "intake/IntakeRun.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QThread>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/stat.h>

using namespace mpegbench;

namespace {

constexpr int rounds = 3;
constexpr int catalogueSongs = 100'000;

// Every MP3 file below CORPUS/songs, by name.
QStringList listSongs(const QString& corpus)
{
    QStringList files;
    QDirIterator it(QDir(corpus).filePath(QStringLiteral("songs")), {QStringLiteral("*.mp3")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

// ---- a. The floor ----

// Files for which TagLib gave no length (no audio properties, or a length of zero).
int tagLibPass(const QStringList& files)
{
    int failures = 0;
    // What was read is summed so that none of it can be skipped.
    static volatile long long sink = 0;
    long long sum = 0;
    for (const QString& path : files) {
        const QByteArray name = QFile::encodeName(path);
        const TagLib::FileRef ref(name.constData(), true, TagLib::AudioProperties::Average);
        if (ref.isNull()) {
            ++failures;
            continue;
        }
        if (const TagLib::Tag* tag = ref.tag())
            sum += tag->artist().size() + tag->title().size() + tag->album().size() + tag->year() +
                   tag->genre().size();
        const TagLib::AudioProperties* audio = ref.audioProperties();
        if (audio && audio->lengthInMilliseconds() > 0)
            sum += audio->lengthInMilliseconds() + audio->bitrate() + audio->sampleRate();
        else
            ++failures;
    }
    sink = sink + sum;
    return failures;
}

// ---- b and c. The add run ----

// A song table file to copy from: empty, or holding `songs` songs of artists that the corpus
// does not have.
void makeTable(const QString& home, int songs)
{
    QDir(home).removeRecursively();
    if (!QDir().mkpath(home))
        throw EInOutError(QStringLiteral("Cannot make %1").arg(home));
    SongDatabase::createSongTable(QDir(home).filePath(QStringLiteral("tamboro.db")));
    if (songs == 0)
        return;
    SongDatabase db(home);
    UQuery uq(db);
    Transaction transaction(db);
    // 5,000 artists with 20 songs each, on 10 media.
    for (int i = 0; i < songs; ++i) {
        Song song;
        song.artist = TextCodec::reFilter(QStringLiteral("Catalogue Artist %1").arg(i / 20));
        song.title = TextCodec::reFilter(QStringLiteral("Catalogue Song %1").arg(i));
        song.filename = TextCodec::reFilter(
            QStringLiteral("/music/catalogue/%1/%2.mp3").arg(i / 20).arg(i % 20 + 1));
        const int seconds = 90 + i * 7919 % 330;
        song.trackLength = QStringLiteral("0:%1:%2")
                               .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                               .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        song.location = QStringLiteral("Catalogue %1!").arg(i % 10);
        song.genre = QStringLiteral("Rock");
        song.album = TextCodec::reFilter(QStringLiteral("Catalogue Album %1").arg(i / 10));
        song.bitrate = QStringLiteral("128");
        song.frequency = QStringLiteral("44100");
        song.comment = QString();
        song.year = QString::number(1960 + i % 60);
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }
    transaction.commit();
    db.closeConnection();
}

// The table of 100,000 songs, made once below the corpus folder and kept; its folder is only
// given its final name when the table is complete.
QString catalogueTable(const QString& corpus)
{
    const QString home = QDir(corpus).filePath(QStringLiteral("table-%1").arg(catalogueSongs));
    const QString file = QDir(home).filePath(QStringLiteral("tamboro.db"));
    if (QFileInfo::exists(file))
        return file;
    std::printf("Making the table of %d songs in %s ...\n", catalogueSongs, qPrintable(home));
    std::fflush(stdout);
    const QString partial = home + QStringLiteral(".partial");
    makeTable(partial, catalogueSongs);
    if (!QDir().rename(partial, home))
        throw EInOutError(QStringLiteral("Cannot rename %1 to %2").arg(partial, home));
    return file;
}

struct IntakePass
{
    IntakeFigures figures;
    int inserted = 0;
    QStringList bad; // the files reported as bad
};

// One add run of `files` into a fresh copy of `table`, in a home of its own; returns its seconds.
double intakeRun(const QString& table, const QStringList& files, const QString& libraryDir,
                 IntakePass& out)
{
    QTemporaryDir home;
    if (!home.isValid() || !QFile::copy(table, home.filePath(QStringLiteral("tamboro.db"))))
        throw EInOutError(QStringLiteral("Cannot copy %1 into a temporary home").arg(table));
    IntakeOptions options;
    options.mediumName = QStringLiteral("Bench");
    options.marker = QLatin1Char('!');
    options.writableMedium = false; // the corpus must stay as it is from run to run
    options.libraryDir = libraryDir;

    // What the add-files window does with the gauge, at the least.
    int position = 0;
    const IntakeRun::Progress progress = [&position](int at, int, const QString&) {
        position = at;
    };
    const auto start = std::chrono::steady_clock::now();
    SongDatabase db(home.path());
    IntakeRun run(db, home.path(), options);
    const IntakeResult result = run.run(files, progress);
    db.closeConnection();
    const double seconds = secondsSince(start);
    out.figures = result.figures;
    out.inserted = int(result.inserted.size());
    out.bad.clear();
    for (const ReportRow& row : result.rows)
        if (row.picture == ReportRow::Bad)
            out.bad.append(row.fileName);
    return seconds;
}

// ---- What the runs must not change, and what they ran beside ----

struct FileState
{
    long long size = 0;
    long long modifiedNs = 0;
    bool operator==(const FileState&) const = default;
};

std::vector<FileState> fileStates(const QStringList& files)
{
    std::vector<FileState> states;
    states.reserve(files.size());
    for (const QString& path : files) {
        struct stat info;
        FileState state;
        if (::stat(QFile::encodeName(path).constData(), &info) == 0)
            state = {info.st_size, info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
        states.push_back(state);
    }
    return states;
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

struct Timed
{
    const char* name;
    std::function<void()> run;
    std::vector<double> times;
};

void printPass(const Timed& pass, qsizetype files)
{
    const double seconds = median(pass.times);
    const auto [fastest, slowest] = std::minmax_element(pass.times.begin(), pass.times.end());
    std::printf("%-46s %6lld %9.3f %9.3f   %.3f..%.3f\n", pass.name, static_cast<long long>(files),
                seconds, seconds * 1000.0 / double(files), *fastest, *slowest);
}

void printGoal(const char* what, double ratio, double goal)
{
    std::printf("%-46s %6.2fx   goal <= %.1fx   %s\n", what, ratio, goal,
                ratio <= goal ? "met" : "MISSED");
}

void printFigures(const char* what, const IntakePass& pass)
{
    const IntakeFigures& f = pass.figures;
    std::printf("%-28s %6d %8d %8d %6d %6d %8d %9d\n", what, f.total, f.added, f.doubles, f.bad,
                f.full, f.partial, pass.inserted);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options options{QStringLiteral(T3_MPEGDLL_PATH), QStringLiteral(T3_INTAKE_CORPUS)};
    if (!parseOptions(app.arguments(), options))
        return 2;

    const QStringList files = listSongs(options.corpus);
    if (files.isEmpty()) {
        std::fprintf(stderr,
                     "No corpus in %s: run bench/make-intake-corpus.sh %s first (or "
                     "`make bench-intake`).\n",
                     qPrintable(options.corpus), qPrintable(options.corpus));
        return 2;
    }
    StagedLibrary staged(options.library);
    if (!staged.isValid()) {
        std::fprintf(stderr, "Cannot stage the decoder library %s\n", qPrintable(options.library));
        return 2;
    }
    try {
        const QString loadAtStart = loadAverage();
        QTemporaryDir scratch;
        if (!scratch.isValid())
            throw EInOutError(QStringLiteral("Cannot make a temporary folder"));
        const QString emptyHome = scratch.filePath(QStringLiteral("empty"));
        makeTable(emptyHome, 0);
        const QString emptyTable = QDir(emptyHome).filePath(QStringLiteral("tamboro.db"));
        const QString fullTable = catalogueTable(options.corpus);

        std::vector<CorpusFile> toWarm;
        for (const QString& path : files)
            toWarm.push_back({path, false});
        if (!warmCache(toWarm))
            return 2;
        const std::vector<FileState> before = fileStates(files);

        int tagLibFailures = 0;
        IntakePass empty, full, readableOnly;
        int intakeRuns = 0;
        const auto runIntake = [&](const QString& table, const QStringList& queue,
                                   IntakePass& out) {
            intakeRun(table, queue, staged.folder(), out);
            ++intakeRuns;
        };
        // The files the add run finds bad: TagLib reads a file of random bytes to its end in
        // search of a frame, at a cost that swamps the floor of the whole corpus. So the floor
        // and the add run are also timed on the readable files alone.
        runIntake(emptyTable, files, empty);
        QStringList readable = files;
        for (const QString& bad : empty.bad)
            readable.removeOne(bad);

        std::vector<Timed> passes;
        passes.push_back({"a. TagLib floor: tag + average properties",
                          [&] { tagLibFailures = tagLibPass(files); },
                          {}});
        passes.push_back(
            {"a'. TagLib floor, readable files only", [&] { tagLibPass(readable); }, {}});
        passes.push_back({"b. intake into an empty song table",
                          [&] { runIntake(emptyTable, files, empty); },
                          {}});
        passes.push_back({"b'. intake into an empty table, readable only",
                          [&] { runIntake(emptyTable, readable, readableOnly); },
                          {}});
        passes.push_back({"c. intake, table of 100,000 other songs",
                          [&] { runIntake(fullTable, files, full); },
                          {}});
        for (Timed& pass : passes)
            pass.run(); // untimed
        for (int round = 0; round < rounds; ++round) {
            for (Timed& pass : passes) {
                const auto start = std::chrono::steady_clock::now();
                pass.run();
                pass.times.push_back(secondsSince(start));
            }
        }
        const QString loadAtEnd = loadAverage();
        const std::vector<FileState> after = fileStates(files);
        int changed = 0;
        for (size_t i = 0; i < before.size(); ++i)
            if (!(before[i] == after[i]))
                ++changed;

        std::printf("Intake over %lld files in %s\n", static_cast<long long>(files.size()),
                    qPrintable(options.corpus));
        std::printf("Warm cache; median of %d runs after one untimed run of each pass. Load "
                    "average %s at the start, %s at the end (%d cores).\n\n",
                    rounds, qPrintable(loadAtStart), qPrintable(loadAtEnd),
                    QThread::idealThreadCount());
        std::printf("%-46s %6s %9s %9s   %s\n", "", "files", "seconds", "ms/file", "runs (s)");
        for (const Timed& pass : passes)
            printPass(pass, pass.name[1] == '\'' ? readable.size() : files.size());
        std::printf("\n");
        const double a = median(passes[0].times);
        const double readableA = median(passes[1].times);
        const double b = median(passes[2].times);
        const double readableB = median(passes[3].times);
        const double c = median(passes[4].times);
        printGoal("b / a: intake against the TagLib floor", b / a, 3.0);
        printGoal("b' / a': the same, readable files only", readableB / readableA, 3.0);
        printGoal("c / b: 100,000-song table against empty", c / b, 1.2);

        std::printf("\nReport of the last run:\n");
        std::printf("%-28s %6s %8s %8s %6s %6s %8s %9s\n", "", "total", "added", "doubles", "bad",
                    "full", "partial", "inserted");
        printFigures("b. empty table", empty);
        printFigures("b'. empty, readable only", readableOnly);
        printFigures("c. 100,000-song table", full);
        const double total = empty.figures.total;
        std::printf("bad %.2f%% of the files (TagLib gave no length for %d); recognitions (full "
                    "+ partial) %.2f%%\n",
                    100.0 * empty.figures.bad / total, tagLibFailures,
                    100.0 * (empty.figures.full + empty.figures.partial) / total);
        std::printf("files changed by the %d intake runs: %d\n", intakeRuns, changed);
        const bool sane = changed == 0 && empty.figures == full.figures &&
                          readableOnly.figures.bad == 0 && empty.inserted == empty.figures.added &&
                          full.inserted == full.figures.added;
        if (!sane)
            std::printf("SANITY CHECK FAILED: files changed, or the two tables got different "
                        "reports\n");
        return sane ? 0 : 1;
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "IntakeBench: %s\n", qPrintable(e.message()));
        return 1;
    }
}
