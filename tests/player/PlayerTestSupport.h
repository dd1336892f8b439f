#pragma once

#include "player/TMPEGError.h"
#include "player/TMPEGPlayer.h"
#include "testsupport/TempHome.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

// Folders holding copies of the built decoder library. Each folder is one copy, hence one
// player: the library keeps its player in its own globals.
class LibraryFolders
{
public:
    // <tmp>/<name>/ holding "mpegdll.so".
    QString withLibrary(const QString& name)
    {
        const QString folder = emptyFolder(name);
        const QString target = QDir(folder).filePath(QLatin1String(TMPEGPlayer::LibraryFileName));
        EXPECT_TRUE(QFile::copy(QStringLiteral(T3_MPEGDLL_PATH), target)) << target.toStdString();
        return folder;
    }
    QString emptyFolder(const QString& name)
    {
        const QString folder = m_dir.filePath(name);
        QDir().mkpath(folder);
        return folder;
    }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

inline QString mpegFixture(const QString& name)
{
    return testDataPath(QStringLiteral("mpeg/") + name);
}

// A song of 20 minutes, made once per test run from copies of the Layer II fixture (3 s each),
// which has no header frame, so that copies concatenate into one valid stream. Decoding it
// takes far longer than the few calls a test makes while it plays, and no test waits for its
// end.
inline QString longSong()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        QFile source(mpegFixture(QStringLiteral("layer2.mp2")));
        EXPECT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray one = source.readAll();
        const QString name = dir.filePath(QStringLiteral("long.mp2"));
        QFile target(name);
        EXPECT_TRUE(target.open(QIODevice::WriteOnly));
        for (int i = 0; i < 400; ++i)
            target.write(one);
        return name;
    }();
    return path;
}
constexpr int longSongMinutes = 20;

// Runs the event loop until `done` holds or the time is up; true when it held.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 30000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

// Calls `action` and returns the TMPEGError it raised, or nothing.
inline std::optional<TMPEGError> mpegErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const TMPEGError& e) {
        return e;
    }
    return std::nullopt;
}

#define EXPECT_MPEG_ERROR(action, expectedCode, expectedMessage)                                   \
    do {                                                                                           \
        const std::optional<TMPEGError> caught = mpegErrorOf([&] { action; });                     \
        if (!caught) {                                                                             \
            ADD_FAILURE() << "no TMPEGError from " #action;                                        \
        } else {                                                                                   \
            EXPECT_EQ(caught->code(), expectedCode) << #action;                                    \
            EXPECT_EQ(caught->message(), QStringLiteral(expectedMessage)) << #action;              \
        }                                                                                          \
    } while (false)

// The format and audio length of a WAV file the pcmfile device wrote.
struct WavInfo
{
    bool valid = false;
    int channels = 0;
    int rate = 0;
    int bitsPerSample = 0;
    qint64 dataBytes = 0;

    double milliseconds() const
    {
        const qint64 frameBytes = qint64(channels) * (bitsPerSample / 8);
        return frameBytes > 0 && rate > 0 ? double(dataBytes) / frameBytes * 1000.0 / rate : 0;
    }
};

inline WavInfo readWav(const QString& path)
{
    WavInfo info;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return info;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return info;
    const auto u16 = [&](qsizetype at) {
        return int(quint8(bytes[at])) | (int(quint8(bytes[at + 1])) << 8);
    };
    const auto u32 = [&](qsizetype at) { return qint64(u16(at)) | (qint64(u16(at + 2)) << 16); };
    bool haveFormat = false;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = u32(at + 4);
        if (id == "fmt " && size >= 16 && at + 8 + 16 <= bytes.size()) {
            info.channels = u16(at + 10);
            info.rate = int(u32(at + 12));
            info.bitsPerSample = u16(at + 22);
            haveFormat = true;
        } else if (id == "data") {
            // The bytes really there count, whatever the header claims.
            info.dataBytes = std::min<qint64>(size, bytes.size() - (at + 8));
            info.valid = haveFormat && info.dataBytes == size;
            return info;
        }
        at += 8 + size + (size & 1);
    }
    return info;
}
