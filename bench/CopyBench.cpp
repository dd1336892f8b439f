// Copying the files of songs into a folder (the core of "Copy selected files to...") against
// cp of the same files to the same disk.
//
// Usage: CopyBench [FILES [MEGABYTES [ROUNDS [FOLDER]]]]   (default 1000 files of 5 MB, 5 rounds,
// a folder under the build directory). The files are made once per run and removed at the end.
//
// Fairness: the source files are read once before timing, so both copies read them from the
// page cache; before every timed copy the previous copy is removed and the disk synced, so
// neither pays for the other's write-back. cp and the program take turns, round after round,
// each going first in every other round; the figures are medians, of the copy alone (into the
// page cache, as the user waits for it) and of the copy with its data flushed to the disk
// (syncfs), with the fastest round beside.
#include "BenchTiming.h"

#include "export/FileCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

QStringList makeCorpus(const QString& folder, int files, qint64 bytes)
{
    QDir().mkpath(folder);
    std::mt19937_64 random(42);
    QByteArray block(int(bytes), Qt::Uninitialized);
    QStringList paths;
    for (int i = 0; i < files; ++i) {
        auto* words = reinterpret_cast<quint64*>(block.data());
        for (qsizetype w = 0; w < block.size() / qsizetype(sizeof(quint64)); ++w)
            words[w] = random();
        const QString path =
            QDir(folder).filePath(QStringLiteral("Song %1.mp3").arg(i, 4, 10, QLatin1Char('0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(block) != block.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
        paths << path;
    }
    return paths;
}

void warm(const QStringList& paths)
{
    QByteArray buffer(8 << 20, Qt::Uninitialized);
    for (const QString& path : paths) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            while (file.read(buffer.data(), buffer.size()) > 0) {
            }
    }
}

QString freshTarget(const QString& root)
{
    const QString target = QDir(root).filePath(QStringLiteral("target"));
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    ::sync();
    return target;
}

struct Timing
{
    double copy = 0;    // until the copier returned
    double flushed = 0; // until its data was on the disk too
};

// Times `copy` into `target`, then the flush of what it wrote.
template <typename Copy> Timing timed(const QString& target, Copy&& copy)
{
    const auto start = std::chrono::steady_clock::now();
    copy();
    Timing timing;
    timing.copy = secondsSince(start);
    const int fd = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
    timing.flushed = secondsSince(start);
    return timing;
}

Timing timeCp(const QStringList& paths, const QString& target)
{
    return timed(target, [&] {
        const int status = QProcess::execute(QStringLiteral("cp"), paths + QStringList{target});
        if (status != 0) {
            std::fprintf(stderr, "cp failed (%d)\n", status);
            std::exit(1);
        }
    });
}

Timing timeOurs(const QStringList& paths, const QString& target)
{
    return timed(target, [&] {
        const FileCopy::Result result = FileCopy::copyFiles(paths, target, {});
        if (!result.failures.empty() || result.copied.size() != paths.size()) {
            std::fprintf(stderr, "copy failed: %s\n",
                         result.failures.empty() ? "files missing"
                                                 : qPrintable(result.failures.front().reason));
            std::exit(1);
        }
    });
}

void printLine(const char* name, const std::vector<double>& times, double megabytes)
{
    const double middle = median(times);
    const double fastest = *std::min_element(times.begin(), times.end());
    std::printf("  %-22s %7.2f s  %6.0f MB/s   fastest %6.2f s\n", name, middle, megabytes / middle,
                fastest);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int files = args.size() > 1 ? args[1].toInt() : 1000;
    const int fileMegabytes = args.size() > 2 ? args[2].toInt() : 5;
    const int rounds = args.size() > 3 ? args[3].toInt() : 5;
    const QString base = args.size() > 4 ? args[4] : QCoreApplication::applicationDirPath();

    QTemporaryDir root(QDir(base).filePath(QStringLiteral("copy-bench-XXXXXX")));
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot make a folder under %s\n", qPrintable(base));
        return 1;
    }
    std::printf("Making %d files of %d MB in %s ...\n", files, fileMegabytes,
                qPrintable(root.path()));
    std::fflush(stdout);
    const QStringList paths =
        makeCorpus(root.filePath(QStringLiteral("source")), files, qint64(fileMegabytes) << 20);
    warm(paths);

    std::vector<double> cpCopy, ourCopy, cpFlushed, ourFlushed;
    for (int round = 1; round <= rounds; ++round) {
        // Each goes first in every other round: neither always follows the other's deletes.
        Timing cp, ours;
        if (round % 2) {
            cp = timeCp(paths, freshTarget(root.path()));
            ours = timeOurs(paths, freshTarget(root.path()));
        } else {
            ours = timeOurs(paths, freshTarget(root.path()));
            cp = timeCp(paths, freshTarget(root.path()));
        }
        cpCopy.push_back(cp.copy);
        cpFlushed.push_back(cp.flushed);
        ourCopy.push_back(ours.copy);
        ourFlushed.push_back(ours.flushed);
        std::printf("round %d: cp %.2f s (flushed %.2f s), copy %.2f s (flushed %.2f s)\n", round,
                    cp.copy, cp.flushed, ours.copy, ours.flushed);
        std::fflush(stdout);
    }
    freshTarget(root.path());

    const double megabytes = double(files) * fileMegabytes;
    std::printf("\n%d files of %d MB (%.2f GB), %d rounds, medians:\n", files, fileMegabytes,
                megabytes / 1024, rounds);
    printLine("cp", cpCopy, megabytes);
    printLine("FileCopy", ourCopy, megabytes);
    printLine("cp, flushed", cpFlushed, megabytes);
    printLine("FileCopy, flushed", ourFlushed, megabytes);
    std::printf("  ratio                  %7.2fx copy, %.2fx flushed  (goal: at most 1.2x)\n",
                median(ourCopy) / median(cpCopy), median(ourFlushed) / median(cpFlushed));
    return 0;
}
