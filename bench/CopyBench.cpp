// Copying the files of songs into a folder (the core of "Copy selected files to...") against
// cp of the same files to the same disk.
//
// Usage: CopyBench [FILES [MEGABYTES [ROUNDS [FOLDER]]]]   (default 1000 files of 5 MB, 5 rounds,
// a folder under the build directory). The files are made once per run and removed at the end.
//
// Fairness: the source files are read once before timing, so both copies read them from the
// page cache; before every timed copy the previous copy is removed and the disk synced, so
// neither pays for the other's write-back. cp and the program take turns, round after round;
// the figures are medians.
#include "BenchTiming.h"

#include "export/FileCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
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

double timeCp(const QStringList& paths, const QString& target)
{
    const auto start = std::chrono::steady_clock::now();
    const int status = QProcess::execute(QStringLiteral("cp"), paths + QStringList{target});
    const double seconds = secondsSince(start);
    if (status != 0) {
        std::fprintf(stderr, "cp failed (%d)\n", status);
        std::exit(1);
    }
    return seconds;
}

double timeOurs(const QStringList& paths, const QString& target)
{
    const auto start = std::chrono::steady_clock::now();
    const FileCopy::Result result = FileCopy::copyFiles(paths, target, {});
    const double seconds = secondsSince(start);
    if (!result.failures.empty() || result.copied.size() != paths.size()) {
        std::fprintf(stderr, "copy failed: %s\n",
                     result.failures.empty() ? "files missing"
                                             : qPrintable(result.failures.front().reason));
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int files = args.size() > 1 ? args[1].toInt() : 1000;
    const int megabytes = args.size() > 2 ? args[2].toInt() : 5;
    const int rounds = args.size() > 3 ? args[3].toInt() : 5;
    const QString base = args.size() > 4 ? args[4] : QCoreApplication::applicationDirPath();

    QTemporaryDir root(QDir(base).filePath(QStringLiteral("copy-bench-XXXXXX")));
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot make a folder under %s\n", qPrintable(base));
        return 1;
    }
    std::printf("Making %d files of %d MB in %s ...\n", files, megabytes, qPrintable(root.path()));
    std::fflush(stdout);
    const QStringList paths =
        makeCorpus(root.filePath(QStringLiteral("source")), files, qint64(megabytes) << 20);
    warm(paths);

    std::vector<double> cpTimes, ourTimes;
    for (int round = 1; round <= rounds; ++round) {
        cpTimes.push_back(timeCp(paths, freshTarget(root.path())));
        ourTimes.push_back(timeOurs(paths, freshTarget(root.path())));
        std::printf("round %d: cp %.2f s, copy %.2f s\n", round, cpTimes.back(), ourTimes.back());
        std::fflush(stdout);
    }
    freshTarget(root.path());

    const double cp = median(cpTimes), ours = median(ourTimes);
    const double gigabytes = double(files) * megabytes / 1024.0;
    std::printf("\n%d files of %d MB (%.2f GB), %d rounds, medians:\n", files, megabytes, gigabytes,
                rounds);
    std::printf("  cp                 %7.2f s  %7.0f MB/s\n", cp, gigabytes * 1024 / cp);
    std::printf("  FileCopy           %7.2f s  %7.0f MB/s\n", ours, gigabytes * 1024 / ours);
    std::printf("  ratio              %7.2fx  (goal: at most 1.2x)\n", ours / cp);
    return 0;
}
