#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

namespace {

class PlayerCommandTest : public ::testing::Test
{
protected:
    static CliRun run(const QString& home, const QStringList& args) { return runCli(home, args); }

    static QString fixture(const QString& name)
    {
        return testDataPath(QStringLiteral("mpeg/") + name);
    }

    // The audio length of a 16-bit PCM WAV file, from its format and data chunks.
    static double wavMilliseconds(const QByteArray& wav)
    {
        const auto u32 = [&](qsizetype at) {
            return qint64(quint8(wav[at])) | qint64(quint8(wav[at + 1])) << 8 |
                   qint64(quint8(wav[at + 2])) << 16 | qint64(quint8(wav[at + 3])) << 24;
        };
        int channels = 0;
        qint64 rate = 0;
        for (qsizetype at = 12; at + 8 <= wav.size();) {
            const QByteArray id = wav.mid(at, 4);
            const qint64 size = u32(at + 4);
            if (id == "fmt " && at + 24 <= wav.size()) {
                channels = quint8(wav[at + 10]);
                rate = u32(at + 12);
            } else if (id == "data") {
                return channels && rate ? double(size) / (2 * channels) * 1000.0 / rate : -1;
            }
            at += 8 + size + (size & 1);
        }
        return -1;
    }

    TempHome home;
    QTemporaryDir dir;
};

TEST_F(PlayerCommandTest, ProbeGivesPropertiesOrTheError)
{
    const CliRun result = run(home.path(), {"probe", "--json", fixture("cbr128.mp3"),
                                            fixture("random.mp3"), fixture("mpeg25_8k.mp3")});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    const QList<QJsonObject> out = records(result.out);
    ASSERT_EQ(out.size(), 3) << result.out.toStdString();

    EXPECT_EQ(out[0].keys(),
              (QStringList{"bitrate", "file", "frequency", "length_ms", "track_length"}));
    EXPECT_EQ(out[0]["file"].toString(), fixture("cbr128.mp3"));
    EXPECT_NEAR(out[0]["length_ms"].toInt(), 3000, 30);
    EXPECT_EQ(out[0]["bitrate"].toInt(), 128);
    EXPECT_EQ(out[0]["frequency"].toInt(), 44100);
    EXPECT_EQ(out[0]["track_length"].toString(), "0:00:02"); // half a second is taken off

    EXPECT_EQ(out[1].keys(), (QStringList{"error", "file", "reason"}));
    EXPECT_EQ(out[1]["file"].toString(), fixture("random.mp3"));
    EXPECT_EQ(out[1]["error"].toString(), "Input stream error");
    EXPECT_EQ(out[1]["reason"].toString(), "no MPEG audio frame found");

    // The failure did not stop the run.
    EXPECT_EQ(out[2]["frequency"].toInt(), 8000);

    const CliRun good = run(home.path(), {"probe", fixture("vbr_xing.mp3")});
    EXPECT_EQ(good.exitCode, 0) << good.err.toStdString();
    EXPECT_TRUE(good.out.contains("track_length: 0:00:02")) << good.out.toStdString();
}

// The decoder would call a missing file a broken stream; the user is told it is not there.
TEST_F(PlayerCommandTest, MissingFileIsSaidToBeMissing)
{
    const QString missing = dir.filePath("missing.mp3");
    const CliRun probe = run(home.path(), {"probe", "--json", fixture("cbr128.mp3"), missing});
    EXPECT_EQ(probe.exitCode, 1);
    const QList<QJsonObject> out = records(probe.out);
    ASSERT_EQ(out.size(), 2) << probe.out.toStdString();
    EXPECT_EQ(out[0]["bitrate"].toInt(), 128);
    EXPECT_EQ(out[1]["error"].toString(), missing + " does not exist");

    const CliRun decode = run(home.path(), {"decode", missing, dir.filePath("out.wav")});
    EXPECT_EQ(decode.exitCode, 1);
    EXPECT_EQ(decode.err.trimmed(), (missing + " does not exist").toUtf8());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.wav")));
}

TEST_F(PlayerCommandTest, ProbeWritesTheLibraryIntoAnEmptyHome)
{
    const QString newHome = dir.filePath("new/home");
    const CliRun result = run(newHome, {"probe", fixture("cbr128.mp3")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QByteArray written = bytes(newHome + "/mpegdll.so");
    EXPECT_FALSE(written.isEmpty());
    EXPECT_EQ(written, bytes(T3_BINARY_DIR "/lib/mpegdll.so"));
    EXPECT_EQ(QDir(newHome).entryList(QDir::Files), QStringList{"mpegdll.so"}); // no leftovers
}

TEST_F(PlayerCommandTest, ProbeNeverReplacesTheHomesLibrary)
{
    const QByteArray marker = "not the decoder library\n";
    QFile file(home.file("mpegdll.so"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(marker);
    file.close();

    const CliRun result = run(home.path(), {"probe", "--json", fixture("cbr128.mp3")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.trimmed(), "Can't load MPEG library");
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_EQ(bytes(home.file("mpegdll.so")), marker);
}

TEST_F(PlayerCommandTest, DecodeWritesTheWholeSong)
{
    for (const char* name : {"vbr_noheader.mp3", "concatenated.mp3"}) {
        SCOPED_TRACE(name);
        const CliRun probe = run(home.path(), {"probe", "--json", fixture(name)});
        ASSERT_EQ(probe.exitCode, 0) << probe.err.toStdString();
        const int length = records(probe.out).value(0)["length_ms"].toInt();

        const QString wav = dir.filePath(QString::fromLatin1(name) + ".wav");
        const CliRun decode = run(home.path(), {"decode", fixture(name), wav});
        EXPECT_EQ(decode.exitCode, 0) << decode.err.toStdString();
        EXPECT_NEAR(wavMilliseconds(bytes(wav)), length, 30);
    }
}

TEST_F(PlayerCommandTest, DecodeFailuresExitOneWithTheMessage)
{
    const CliRun bad = run(home.path(), {"decode", fixture("wma.mp3"), dir.filePath("bad.wav")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err.trimmed(), "Input stream error");

    const CliRun unwritable =
        run(home.path(), {"decode", fixture("cbr128.mp3"), dir.filePath("no/such/folder/out.wav")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.err.trimmed(), "Output device failure");

    const CliRun usage = run(home.path(), {"decode", fixture("cbr128.mp3")});
    EXPECT_EQ(usage.exitCode, 2);
}

// A disk that fills up, made without privileges: the file size limit makes writes past 64 KiB
// fail as a full disk does (the signal that would end the process is ignored).
TEST_F(PlayerCommandTest, DecodeOntoAFullDiskExitsOneAndLeavesNoFile)
{
    // The home gets its decoder library first, while the disk has room.
    ASSERT_EQ(run(home.path(), {"probe", fixture("cbr128.mp3")}).exitCode, 0);
    const QString wav = dir.filePath("full.wav");
    QProcess process;
    process.setChildProcessModifier([] {
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
    });
    process.start(QStringLiteral(T3_BINARY_DIR "/bin/tamboro3-cli"),
                  {"--home", home.path(), "decode", fixture("cbr128.mp3"), wav});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains("disk may be full")) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(wav));

    // A device that is always full: the error, and the device is left alone.
    const CliRun device = run(home.path(), {"decode", fixture("cbr128.mp3"), "/dev/full"});
    EXPECT_EQ(device.exitCode, 1);
    EXPECT_EQ(device.err.trimmed(), "Output device failure");
    EXPECT_TRUE(QFileInfo::exists("/dev/full"));
}

} // namespace
