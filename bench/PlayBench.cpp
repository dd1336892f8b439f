// Start-up latency of the built-in player: the time from ">" (the transport's play on a closed
// player whose library is loaded, as the main window keeps it) to the first audio the decoder
// has written. The song is a 5-minute 320 kbit/s MP3 made here with ffmpeg and lame; the audio
// goes to the pcmfile device, and "written" means the first sample bytes past the WAV header
// are in the file, seen by polling its size. The first run of all, which also loads the
// library, is shown apart.
//
//   PlayBench [--library PATH/mpegdll.so] [--runs N]
#include "BenchTiming.h"
#include "MpegBenchSupport.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "player/PlayerTransport.h"
#include "player/TMPEGPlayer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/stat.h>
#include <thread>

using namespace mpegbench;

namespace {

constexpr int goalMs = 50;

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        return false;
    }
    return true;
}

// 5 minutes of noise under two tones, stereo 44.1 kHz, encoded by lame at 320 kbit/s CBR.
QString makeSong(const QTemporaryDir& dir)
{
    const QString wav = dir.filePath(QStringLiteral("song.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("song.mp3"));
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
    if (ffmpeg.isEmpty() || lame.isEmpty()) {
        std::fprintf(stderr, "ffmpeg and lame are needed (scripts/install-deps.sh)\n");
        return {};
    }
    std::printf("making a 5-minute 320 kbit/s MP3 ...\n");
    std::fflush(stdout);
    if (!run(ffmpeg,
             {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
              QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
              QStringLiteral("-i"), QStringLiteral("anoisesrc=c=pink:a=0.2:seed=7:d=300:r=44100"),
              QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
              QStringLiteral("sine=f=220:d=300:r=44100"), QStringLiteral("-filter_complex"),
              QStringLiteral("[0][1]amix=inputs=2,aformat=sample_fmts=s16:channel_layouts=stereo"),
              QStringLiteral("-bitexact"), wav}) ||
        !run(lame,
             {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("320"), wav, mp3}))
        return {};
    QFile::remove(wav);
    return mp3;
}

// Where the samples of a finished WAV file begin: past the header, whatever chunks the writer
// puts in it. -1 when the file has no data chunk.
qint64 dataOffset(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.read(4096);
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const quint32 size = quint32(quint8(bytes[at + 4])) | quint32(quint8(bytes[at + 5])) << 8 |
                             quint32(quint8(bytes[at + 6])) << 16 |
                             quint32(quint8(bytes[at + 7])) << 24;
        if (bytes.mid(at, 4) == "data")
            return at + 8;
        at += 8 + qsizetype(size) + (size & 1);
    }
    return -1;
}

qint64 fileSize(const QByteArray& path)
{
    struct stat info;
    return ::stat(path.constData(), &info) == 0 ? qint64(info.st_size) : -1;
}

// ">" on the closed player, then polls the WAV file until sample bytes follow its header;
// the milliseconds in between, -1 on failure.
double timeToFirstAudio(PlayerTransport& transport, const QString& output, qint64 headerBytes)
{
    const QByteArray path = QFile::encodeName(output);
    QFile::remove(output);
    const auto start = std::chrono::steady_clock::now();
    transport.play();
    while (fileSize(path) <= headerBytes) {
        if (secondsSince(start) > 10) {
            std::fprintf(stderr, "no audio within 10 s\n");
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    const double ms = secondsSince(start) * 1000.0;
    transport.stop();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString library = QStringLiteral(T3_MPEGDLL_PATH);
    int runs = 20;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--library") && i + 1 < args.size()) {
            library = args[++i];
        } else if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) {
            runs = std::max(1, args[++i].toInt());
        } else {
            std::fprintf(stderr, "usage: %s [--library PATH/mpegdll.so] [--runs N]\n",
                         qPrintable(args[0]));
            return 2;
        }
    }

    QTemporaryDir dir;
    StagedLibrary staged(library);
    if (!dir.isValid() || !staged.isValid()) {
        std::fprintf(stderr, "cannot stage the decoder library %s\n", qPrintable(library));
        return 1;
    }
    const QString song = makeSong(dir);
    if (song.isEmpty())
        return 1;
    // The song from the page cache, as a song played a moment ago would be.
    readEveryByte(song);

    const QString output = dir.filePath(QStringLiteral("out.wav"));
    TMPEGPlayer player;
    player.setPathToDLL(staged.folder());
    player.setOutFilename(output);
    player.setOutputDevice(TMPEGPlayer::pcmfile);
    SystemClock clock;
    PlayerTransport transport(player, clock);
    transport.setSongSource([&] {
        return std::optional(
            PlayerTransport::Song{QStringLiteral("Bench"), QStringLiteral("Song"), song});
    });

    std::vector<double> times;
    try {
        // The first run also learns the header's size from the finished file; until then any
        // byte counts, so its figure is shown apart and only as a bound.
        const double first = timeToFirstAudio(transport, output, 0);
        const qint64 headerBytes = dataOffset(output);
        if (first < 0 || headerBytes < 0) {
            std::fprintf(stderr, "the first run wrote no WAV file with audio\n");
            return 1;
        }
        std::printf("first run, loading the library too: %.1f ms to the first byte; WAV header "
                    "%lld bytes\n",
                    first, static_cast<long long>(headerBytes));
        for (int i = 0; i < runs; ++i) {
            const double ms = timeToFirstAudio(transport, output, headerBytes);
            if (ms < 0)
                return 1;
            times.push_back(ms);
        }
        player.unloadLibrary();
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    const double worst = *std::max_element(times.begin(), times.end());
    const double best = *std::min_element(times.begin(), times.end());
    const double middle = median(times);
    std::printf("\">\" to first audio written (pcmfile), %d runs: median %.1f ms, min %.1f ms, "
                "max %.1f ms; goal at most %d ms: %s\n",
                runs, middle, best, worst, goalMs, worst <= goalMs ? "met" : "NOT met");
    return 0;
}
