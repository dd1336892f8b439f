// tamboro3-fuzz: a bounded mutation fuzzer for the components that read bytes from outside.
//
//   tamboro3-fuzz TARGET SECONDS [SEED]   mutate the seeds of TARGET for SECONDS seconds
//   tamboro3-fuzz TARGET --replay FILE... run TARGET once on each saved input
//   tamboro3-fuzz --write-seeds DIR       write every target's seeds to DIR/TARGET/
//
// Seeds are read from fuzz/seeds/TARGET/ (every file there); without any, the target builds its
// own from tests/data. A mutant that throws anything but the component's own errors is saved
// under fuzz/findings/ and the run goes on. A sanitizer report ends the run: the input that
// caused it is saved first as fuzz/findings/TARGET-crash.bin.
#include "Mutator.h"
#include "Targets.h"
#include "platform/Errors.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <typeinfo>

#if __has_include(<sanitizer/common_interface_defs.h>)
#include <sanitizer/common_interface_defs.h>
#define T3_HAVE_SANITIZER_CALLBACK 1
#endif

namespace {

const QString SeedRoot = QStringLiteral(T3_FUZZ_SOURCE_DIR "/fuzz/seeds");
const QString FindingsRoot = QStringLiteral(T3_FUZZ_SOURCE_DIR "/fuzz/findings");
const QString FixtureRoot = QStringLiteral(T3_FUZZ_SOURCE_DIR "/tests/data");

// The input being run, for the sanitizer's death callback.
const QByteArray* g_current = nullptr;
QString g_crashPath;

void saveFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data);
}

#ifdef T3_HAVE_SANITIZER_CALLBACK
void saveCrashInput()
{
    if (g_current) {
        saveFile(g_crashPath, *g_current);
        std::fprintf(stderr, "tamboro3-fuzz: input saved as %s\n", qPrintable(g_crashPath));
    }
}
#endif

const FuzzTarget* findTarget(const QList<FuzzTarget>& targets, const QString& name)
{
    for (const FuzzTarget& target : targets) {
        if (target.name == name)
            return &target;
    }
    return nullptr;
}

QList<QByteArray> loadSeeds(const FuzzTarget& target)
{
    QList<QByteArray> seeds;
    const QDir dir(SeedRoot + QLatin1Char('/') + target.name);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            seeds.append(file.readAll());
    }
    return seeds.isEmpty() ? target.makeSeeds(FixtureRoot) : seeds;
}

// What escaped the component, when it is not one of its own errors; empty otherwise.
QString runOne(const FuzzTarget& target, const QByteArray& input, bool* accepted = nullptr)
{
    g_current = &input;
    QString escaped;
    try {
        const bool ok = target.run(input);
        if (accepted)
            *accepted = ok;
    } catch (const TamboroError&) {
        // Only reached when a target lets one through on purpose: still an expected answer.
    } catch (const std::exception& error) {
        escaped = QStringLiteral("%1: %2").arg(QString::fromLatin1(typeid(error).name()),
                                               QString::fromLocal8Bit(error.what()));
    } catch (...) {
        escaped = QStringLiteral("an exception of unknown type");
    }
    g_current = nullptr;
    return escaped;
}

int writeSeeds(const QList<FuzzTarget>& targets, const QString& root)
{
    for (const FuzzTarget& target : targets) {
        const QList<QByteArray> seeds = target.makeSeeds(FixtureRoot);
        for (qsizetype i = 0; i < seeds.size(); ++i) {
            saveFile(QStringLiteral("%1/%2/seed-%3.bin")
                         .arg(root, target.name)
                         .arg(i, 2, 10, QChar(u'0')),
                     seeds.at(i));
        }
        std::printf("%s: %lld seeds\n", qPrintable(target.name),
                    static_cast<long long>(seeds.size()));
    }
    return 0;
}

int replay(const FuzzTarget& target, int argc, char** argv)
{
    int escapes = 0;
    for (int i = 3; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
        const QByteArray input = file.readAll();
        const QString escaped = runOne(target, input);
        std::printf("%s: %s\n", argv[i], escaped.isEmpty() ? "ok" : qPrintable(escaped));
        escapes += escaped.isEmpty() ? 0 : 1;
    }
    return escapes == 0 ? 0 : 1;
}

int fuzz(const FuzzTarget& target, double seconds, std::uint64_t seed)
{
    Mutator mutator(loadSeeds(target), seed, target.maxSize);
    g_crashPath = QStringLiteral("%1/%2-crash.bin").arg(FindingsRoot, target.name);
    QElapsedTimer timer;
    timer.start();
    const qint64 limitMs = qint64(seconds * 1000);
    long long iterations = 0;
    long long acceptedCount = 0;
    int escapes = 0;
    double slowestMs = 0;
    while (timer.elapsed() < limitMs) {
        const QByteArray input = mutator.next();
        ++iterations;
        bool accepted = false;
        QElapsedTimer one;
        one.start();
        const QString escaped = runOne(target, input, &accepted);
        slowestMs = std::max(slowestMs, one.nsecsElapsed() / 1e6);
        acceptedCount += accepted ? 1 : 0;
        if (escaped.isEmpty())
            continue;
        ++escapes;
        const QString path = QStringLiteral("%1/%2-seed%3-iter%4.bin")
                                 .arg(FindingsRoot, target.name)
                                 .arg(seed)
                                 .arg(iterations);
        saveFile(path, input);
        std::printf("finding at iteration %lld: %s (saved as %s)\n", iterations,
                    qPrintable(escaped), qPrintable(path));
        std::fflush(stdout);
    }
    std::printf("%s: %lld iterations in %.1f s (seed %llu), %lld accepted, %d unexpected "
                "exceptions, slowest input %.1f ms\n",
                qPrintable(target.name), iterations, timer.elapsed() / 1000.0,
                static_cast<unsigned long long>(seed), acceptedCount, escapes, slowestMs);
    return escapes == 0 ? 0 : 1;
}

int usage(const QList<FuzzTarget>& targets)
{
    QStringList names;
    for (const FuzzTarget& target : targets)
        names.append(target.name);
    std::fprintf(stderr,
                 "usage: tamboro3-fuzz TARGET SECONDS [SEED]\n"
                 "       tamboro3-fuzz TARGET --replay FILE...\n"
                 "       tamboro3-fuzz --write-seeds DIR\n"
                 "targets: %s\n",
                 qPrintable(names.join(QStringLiteral(", "))));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const QList<FuzzTarget> targets = fuzzTargets();
    if (argc == 3 && std::string(argv[1]) == "--write-seeds")
        return writeSeeds(targets, QString::fromLocal8Bit(argv[2]));
    if (argc < 3)
        return usage(targets);
    const FuzzTarget* target = findTarget(targets, QString::fromLocal8Bit(argv[1]));
    if (!target)
        return usage(targets);
#ifdef T3_HAVE_SANITIZER_CALLBACK
    __sanitizer_set_death_callback(saveCrashInput);
#endif
    if (std::string(argv[2]) == "--replay")
        return replay(*target, argc, argv);
    char* end = nullptr;
    const double seconds = std::strtod(argv[2], &end);
    if (end == argv[2] || seconds <= 0)
        return usage(targets);
    const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
    return fuzz(*target, seconds, seed);
}
