// Shared pieces of the MPEG benchmarks: the corpus, the staged decoder library, a clock and the
// read-every-byte baseline.
#pragma once

#include "BenchTiming.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace mpegbench {

// The corpus generator names its files NNNN-cbr.mp3, NNNN-xing.mp3 and NNNN-bare.mp3, the last
// being VBR without a Xing header.
struct CorpusFile
{
    QString path;
    bool headerless = false;
};

inline std::vector<CorpusFile> listCorpus(const QString& dir)
{
    std::vector<CorpusFile> files;
    const QStringList names =
        QDir(dir).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    for (const QString& name : names)
        files.push_back({QDir(dir).filePath(name), name.endsWith(QLatin1String("-bare.mp3"))});
    return files;
}

// Opens the file, reads it to the end in 1 MiB blocks and closes it; returns the byte count,
// -1 when the file cannot be read. The baseline a full scan of a file is measured against.
inline long long readEveryByte(const QString& path)
{
    static std::vector<char> buffer(1 << 20);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    long long total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            total = -1;
            break;
        }
        if (n == 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

// Reads every file once so that all timed passes run from the page cache.
inline bool warmCache(const std::vector<CorpusFile>& files)
{
    for (const CorpusFile& file : files) {
        if (readEveryByte(file.path) < 0) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.path));
            return false;
        }
    }
    return true;
}

// The player loads "mpegdll.so" from a folder; this copies the built library into a fresh one.
class StagedLibrary
{
public:
    explicit StagedLibrary(const QString& builtLibrary)
    {
        if (m_dir.isValid())
            m_ok = QFile::copy(builtLibrary, m_dir.filePath(QStringLiteral("mpegdll.so")));
    }
    bool isValid() const { return m_ok; }
    QString folder() const { return m_dir.path(); }
    QString file() const { return m_dir.filePath(QStringLiteral("mpegdll.so")); }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// Command line of both programs: [--library PATH] [CORPUS-DIR]; the defaults are the built
// library and the corpus folder of this build.
struct Options
{
    QString library;
    QString corpus;
};

inline bool parseOptions(const QStringList& args, Options& options)
{
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--library") && i + 1 < args.size()) {
            options.library = args[++i];
        } else if (args[i].startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "usage: %s [--library PATH/mpegdll.so] [CORPUS-DIR]\n",
                         qPrintable(args[0]));
            return false;
        } else {
            options.corpus = args[i];
        }
    }
    return true;
}

} // namespace mpegbench
