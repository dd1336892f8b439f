// Decode speed: one file of each kind of the MPEG corpus played through the player component to
// a WAV file, as a multiple of real time, beside `mpg123 -q -w OUT.wav FILE` run as a process on
// the same file. Each figure is the median of a few runs.
//
//   MpegDecodeBench [--library PATH/mpegdll.so] [CORPUS-DIR]
#include "MpegBenchSupport.h"
#include "platform/Errors.h"
#include "player/TMPEGPlayer.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using namespace mpegbench;

namespace {

constexpr int runs = 7;

struct Timing
{
    double total = -1; // open, play to the end, close
    double open = -1;  // of which opening (the library learns the exact length there)
};

// Open, play to the end into the WAV file, close; -1 seconds on failure.
Timing decodeWithComponent(TMPEGPlayer& player, const QString& input, const QString& output)
{
    QFile::remove(output);
    Timing t;
    try {
        const auto start = std::chrono::steady_clock::now();
        player.setStreamName(input);
        player.setOutFilename(output);
        player.setOutputDevice(TMPEGPlayer::pcmfile);
        player.open();
        t.open = secondsSince(start);
        player.play();
        // The play thread reports the end only through the player mode.
        int mode = player.mode();
        while (mode == TMPEGPlayer::ModePlaying) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            mode = player.mode();
        }
        player.close();
        if (mode != TMPEGPlayer::ModeEnded) {
            std::fprintf(stderr, "%s: playing stopped before the end\n", qPrintable(input));
            return t;
        }
        t.total = secondsSince(start);
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(input), qPrintable(e.message()));
    }
    return t;
}

// mpg123 as a process from spawn to exit: the seconds it took, or -1 on failure.
double decodeWithMpg123(const QString& input, const QString& output)
{
    QFile::remove(output);
    const QByteArray in = QFile::encodeName(input);
    const QByteArray out = QFile::encodeName(output);
    char* const args[] = {const_cast<char*>("mpg123"),       const_cast<char*>("-q"),
                          const_cast<char*>("-w"),           const_cast<char*>(out.constData()),
                          const_cast<char*>(in.constData()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "mpg123", nullptr, nullptr, args, environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return secondsSince(start);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options options{QStringLiteral(T3_MPEGDLL_PATH), QStringLiteral(T3_MPEG_CORPUS)};
    if (!parseOptions(app.arguments(), options))
        return 2;

    // The first file of each kind.
    std::vector<QString> inputs;
    for (const char* kind : {"-cbr.mp3", "-xing.mp3", "-bare.mp3"}) {
        for (const CorpusFile& f : listCorpus(options.corpus)) {
            if (f.path.endsWith(QLatin1String(kind))) {
                inputs.push_back(f.path);
                break;
            }
        }
    }
    if (inputs.size() != 3) {
        std::fprintf(stderr, "No corpus in %s: run bench/make-mpeg-corpus.sh %s first.\n",
                     qPrintable(options.corpus), qPrintable(options.corpus));
        return 2;
    }
    StagedLibrary staged(options.library);
    QTemporaryDir outputs;
    if (!staged.isValid() || !outputs.isValid()) {
        std::fprintf(stderr, "Cannot stage the decoder library %s\n", qPrintable(options.library));
        return 2;
    }
    TMPEGPlayer player;
    player.setPathToDLL(staged.folder());
    try {
        player.loadLibrary();
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "Cannot load %s: %s\n", qPrintable(staged.file()),
                     qPrintable(e.message()));
        return 1;
    }

    std::printf("Decode to WAV, median of %d runs (outputs in %s)\n\n", runs,
                qPrintable(outputs.path()));
    std::printf("%-14s %7s %8s %8s %9s %9s %10s %7s   %s\n", "file", "song s", "ours s", "open ms",
                "ours xRT", "mpg123 s", "mpg123 xRT", "ratio", "WAV bytes ours / mpg123");
    // One untimed song first: the first play of a process pays for starting up the output
    // side once, which no later song does.
    decodeWithComponent(player, inputs.front(), outputs.filePath(QStringLiteral("warm.wav")));
    bool allMet = true;
    bool failed = false;
    for (const QString& input : inputs) {
        readEveryByte(input);
        const QString ourWav = outputs.filePath(QStringLiteral("ours.wav"));
        const QString theirWav = outputs.filePath(QStringLiteral("mpg123.wav"));
        std::vector<double> ours, opens, theirs;
        for (int run = 0; run < runs; ++run) {
            const Timing t = decodeWithComponent(player, input, ourWav);
            ours.push_back(t.total);
            opens.push_back(t.open);
            theirs.push_back(decodeWithMpg123(input, theirWav));
        }
        if (*std::min_element(ours.begin(), ours.end()) < 0 ||
            *std::min_element(theirs.begin(), theirs.end()) < 0) {
            std::fprintf(stderr, "%s: a run failed\n", qPrintable(input));
            failed = true;
            continue;
        }
        player.setStreamName(input);
        player.open();
        const double songSeconds = player.length() / 1000.0;
        player.close();
        const double oursMedian = median(ours);
        const double theirsMedian = median(theirs);
        const double ratio = oursMedian / theirsMedian;
        allMet = allMet && ratio <= 1.1;
        std::printf("%-14s %7.2f %8.3f %8.1f %9.1f %9.3f %10.1f %6.2fx   %lld / %lld\n",
                    qPrintable(QFileInfo(input).fileName()), songSeconds, oursMedian,
                    median(opens) * 1000.0, songSeconds / oursMedian, theirsMedian,
                    songSeconds / theirsMedian, ratio, QFileInfo(ourWav).size(),
                    QFileInfo(theirWav).size());
    }
    player.unloadLibrary();
    std::printf("\nour time / mpg123 time: goal <= 1.1x   %s\n", allMet ? "met" : "MISSED");
    return failed ? 1 : 0;
}
