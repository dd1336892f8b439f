// Probe throughput over the MPEG corpus: how fast the add-files path learns each file's length,
// bitrate and sampling frequency through the player component, beside TagLib reading the
// audio properties of the same files (TagLib estimates lengths, ours are exact) and, for the
// files without a VBR header, beside reading every byte of them.
//
//   MpegProbeBench [--library PATH/mpegdll.so] [CORPUS-DIR]
//
// The corpus comes from bench/make-mpeg-corpus.sh. Every file is read once before timing, so
// all passes run from the page cache. Each figure is the median of a few passes.
#include "MpegBenchSupport.h"
#include "mpegdll.h"
#include "platform/Errors.h"
#include "player/TMPEGPlayer.h"

#include <QCoreApplication>
#include <QLibrary>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

using namespace mpegbench;

namespace {

constexpr int passes = 5;

struct Properties
{
    int lengthMs = 0;
    int bitrate = 0;
    int frequency = 0;
    bool ok = false;
};

using Prober = std::function<Properties(const QString&)>;

struct PassResult
{
    double seconds = 0;
    int failures = 0;
};

// Runs the prober over the files `passes` times; the result of the median pass by time.
PassResult timePasses(const std::vector<CorpusFile>& files, const Prober& probe,
                      std::vector<Properties>* results = nullptr)
{
    std::vector<double> times;
    int failures = 0;
    for (int pass = 0; pass < passes; ++pass) {
        failures = 0;
        const auto start = std::chrono::steady_clock::now();
        for (size_t i = 0; i < files.size(); ++i) {
            const Properties p = probe(files[i].path);
            if (!p.ok)
                ++failures;
            if (results && pass == 0)
                (*results)[i] = p;
        }
        times.push_back(secondsSince(start));
    }
    return {median(times), failures};
}

Properties probeWithComponent(TMPEGPlayer& player, const QString& path)
{
    Properties p;
    try {
        player.setStreamName(path);
        player.open();
        p.lengthMs = player.length();
        p.bitrate = player.bitrate();
        p.frequency = player.frequency();
        player.close();
        p.ok = true;
    } catch (const TamboroError&) {
        try {
            player.close();
        } catch (const TamboroError&) {
        }
    }
    return p;
}

// The library's C interface bound directly, without the component: the difference between the
// two is the component's own cost.
class DirectLibrary
{
public:
    explicit DirectLibrary(const QString& file)
        : m_library(file)
    {
        if (!m_library.load())
            return;
        m_init = reinterpret_cast<decltype(&::init)>(m_library.resolve("init"));
        m_deinit = reinterpret_cast<decltype(&::deinit)>(m_library.resolve("deinit"));
        m_open = reinterpret_cast<decltype(&::Open)>(m_library.resolve("Open"));
        m_close = reinterpret_cast<decltype(&::Close)>(m_library.resolve("Close"));
        m_length = reinterpret_cast<decltype(&::GetLength)>(m_library.resolve("GetLength"));
        m_bitrate = reinterpret_cast<decltype(&::GetBitrate)>(m_library.resolve("GetBitrate"));
        m_frequency =
            reinterpret_cast<decltype(&::GetFrequency)>(m_library.resolve("GetFrequency"));
        m_lastError = reinterpret_cast<decltype(&::LastError)>(m_library.resolve("LastError"));
        m_ok = m_init && m_deinit && m_open && m_close && m_length && m_bitrate && m_frequency &&
               m_lastError && m_init();
    }
    ~DirectLibrary()
    {
        if (m_ok)
            m_deinit();
        m_library.unload();
    }
    DirectLibrary(const DirectLibrary&) = delete;
    DirectLibrary& operator=(const DirectLibrary&) = delete;

    bool isValid() const { return m_ok; }

    Properties probe(const QString& path)
    {
        Properties p;
        m_open(QFile::encodeName(path).constData(), 0, nullptr, nullptr, nullptr, nullptr, nullptr,
               nullptr, nullptr);
        if (m_lastError() == 0) {
            p.lengthMs = m_length();
            p.bitrate = m_bitrate();
            p.frequency = m_frequency();
            p.ok = m_lastError() == 0;
        }
        m_close();
        m_lastError();
        return p;
    }

private:
    QLibrary m_library;
    bool m_ok = false;
    decltype(&::init) m_init = nullptr;
    decltype(&::deinit) m_deinit = nullptr;
    decltype(&::Open) m_open = nullptr;
    decltype(&::Close) m_close = nullptr;
    decltype(&::GetLength) m_length = nullptr;
    decltype(&::GetBitrate) m_bitrate = nullptr;
    decltype(&::GetFrequency) m_frequency = nullptr;
    decltype(&::LastError) m_lastError = nullptr;
};

Properties probeWithTagLib(const QString& path)
{
    Properties p;
    const QByteArray name = QFile::encodeName(path);
    const TagLib::FileRef ref(name.constData(), true, TagLib::AudioProperties::Average);
    if (const TagLib::AudioProperties* audio = ref.isNull() ? nullptr : ref.audioProperties()) {
        p.lengthMs = audio->lengthInMilliseconds();
        p.bitrate = audio->bitrate();
        p.frequency = audio->sampleRate();
        p.ok = true;
    }
    return p;
}

void printRow(const char* what, size_t count, const PassResult& r, double megabytes = 0)
{
    std::printf("%-44s %6zu %9.1f %9.3f", what, count, count / r.seconds,
                r.seconds * 1000.0 / double(count));
    if (megabytes > 0)
        std::printf(" %9.0f", megabytes / r.seconds);
    else
        std::printf(" %9s", "");
    if (r.failures)
        std::printf("  (%d failed)", r.failures);
    std::printf("\n");
}

void printGoal(const char* what, double ratio, double goal)
{
    std::printf("%-44s %6.2fx   goal <= %.1fx   %s\n", what, ratio, goal,
                ratio <= goal ? "met" : "MISSED");
}

// How far TagLib's lengths are from ours, per kind of file: mean and largest difference.
void printLengthAgreement(const std::vector<CorpusFile>& files, const std::vector<Properties>& ours,
                          const std::vector<Properties>& taglib)
{
    struct Sum
    {
        double total = 0;
        int largest = 0;
        int count = 0;
    };
    std::map<QString, Sum> sums;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!ours[i].ok || !taglib[i].ok)
            continue;
        const QString kind = files[i].path.section(QLatin1Char('-'), -1).section('.', 0, 0);
        const int diff = std::abs(ours[i].lengthMs - taglib[i].lengthMs);
        Sum& s = sums[kind];
        s.total += diff;
        s.largest = std::max(s.largest, diff);
        ++s.count;
    }
    std::printf("\nLength, TagLib against ours (ms):\n");
    for (const auto& [kind, s] : sums)
        std::printf("  %-6s %5d files   mean |diff| %8.1f   largest %6d\n", qPrintable(kind),
                    s.count, s.total / s.count, s.largest);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options options{QStringLiteral(T3_MPEGDLL_PATH), QStringLiteral(T3_MPEG_CORPUS)};
    if (!parseOptions(app.arguments(), options))
        return 2;

    const std::vector<CorpusFile> files = listCorpus(options.corpus);
    std::vector<CorpusFile> headerless, withHeader;
    for (const CorpusFile& f : files)
        (f.headerless ? headerless : withHeader).push_back(f);
    if (files.empty() || headerless.empty()) {
        std::fprintf(stderr,
                     "No corpus in %s (or no header-less files in it): run "
                     "bench/make-mpeg-corpus.sh %s first.\n",
                     qPrintable(options.corpus), qPrintable(options.corpus));
        return 2;
    }
    StagedLibrary staged(options.library);
    if (!staged.isValid()) {
        std::fprintf(stderr, "Cannot stage the decoder library %s\n", qPrintable(options.library));
        return 2;
    }
    if (!warmCache(files))
        return 2;
    double headerlessMegabytes = 0;
    for (const CorpusFile& f : headerless)
        headerlessMegabytes += QFileInfo(f.path).size() / 1e6;

    std::vector<Properties> ours(files.size());
    std::vector<Properties> taglib(files.size());
    PassResult component, componentHeaderless, componentWithHeader;
    {
        TMPEGPlayer player;
        player.setPathToDLL(staged.folder());
        try {
            player.loadLibrary();
        } catch (const TamboroError& e) {
            std::fprintf(stderr, "Cannot load %s: %s\n", qPrintable(staged.file()),
                         qPrintable(e.message()));
            return 1;
        }
        const Prober prober = [&player](const QString& p) { return probeWithComponent(player, p); };
        component = timePasses(files, prober, &ours);
        componentHeaderless = timePasses(headerless, prober);
        componentWithHeader = timePasses(withHeader, prober);
        player.unloadLibrary();
    }
    PassResult direct;
    {
        DirectLibrary library(staged.file());
        if (!library.isValid()) {
            std::fprintf(stderr, "Cannot bind %s directly\n", qPrintable(staged.file()));
            return 1;
        }
        direct = timePasses(files, [&library](const QString& p) { return library.probe(p); });
    }
    const PassResult tag = timePasses(files, probeWithTagLib, &taglib);
    const PassResult readAll = timePasses(headerless, [](const QString& p) {
        Properties r;
        r.ok = readEveryByte(p) > 0;
        return r;
    });

    std::printf(
        "MPEG probe over %zu files (%zu without a VBR header) in %s; median of %d passes\n\n",
        files.size(), headerless.size(), qPrintable(options.corpus), passes);
    std::printf("%-44s %6s %9s %9s %9s\n", "", "files", "files/s", "ms/file", "MB/s");
    printRow("probe, TMPEGPlayer (open/length/bitrate/freq)", files.size(), component);
    printRow("probe, library C calls bound directly", files.size(), direct);
    printRow("TagLib FileRef, average audio properties", files.size(), tag);
    printRow("CBR and Xing VBR only: probe, TMPEGPlayer", withHeader.size(), componentWithHeader);
    printRow("header-less VBR only: probe, TMPEGPlayer", headerless.size(), componentHeaderless,
             headerlessMegabytes);
    printRow("header-less VBR only: read every byte", headerless.size(), readAll,
             headerlessMegabytes);
    std::printf("\n");
    printGoal("probe time / TagLib time, whole corpus", component.seconds / tag.seconds, 3.0);
    printGoal("header-less probe time / read-all time",
              componentHeaderless.seconds / readAll.seconds, 1.5);
    printLengthAgreement(files, ours, taglib);
    return component.failures || direct.failures ? 1 : 0;
}
