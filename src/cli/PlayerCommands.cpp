#include "cli/Commands.h"

#include "container/EmbeddedFiles.h"
#include "container/TFileSource.h"
#include "db/TrackLength.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "player/TMPEGError.h"
#include "player/TMPEGPlayer.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

// Points the player at the home's copy of the decoder library, writing the one the program
// carries there first when the home has none. A library already in the home is never
// replaced, not even by a newer one.
void useHomeLibrary(CliContext& context, TMPEGPlayer& player)
{
    const QString home = Home::ensure(context.home);
    const QString target = Home::file(home, QLatin1String(TMPEGPlayer::LibraryFileName));
    if (!QFileInfo::exists(target)) {
        SystemClock clock;
        const std::unique_ptr<TFileSource> container =
            EmbeddedFiles::load(EmbeddedFiles::DllContainer, clock);
        if (!EmbeddedFiles::copyIfMissing(*container, target))
            throw EInOutError(QStringLiteral("Cannot write the decoder library to %1").arg(target));
    }
    player.setPathToDLL(home);
}

// Keeps the player's library loaded for one command; unload() reports its errors, the
// destructor (on the way out of a failure) swallows them in favour of the first error.
class LoadedLibrary
{
public:
    explicit LoadedLibrary(TMPEGPlayer& player)
        : m_player(player)
    {
        m_player.loadLibrary();
    }
    ~LoadedLibrary()
    {
        try {
            if (m_player.loaded())
                m_player.unloadLibrary();
        } catch (const TamboroError&) {
        }
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    void unload() { m_player.unloadLibrary(); }

private:
    TMPEGPlayer& m_player;
};

// The decoder reports a missing file as a broken stream; the user is told what really is wrong.
void requireExisting(const QString& file)
{
    if (!QFileInfo::exists(file))
        throw EInOutError(missingPathText(file));
}

} // namespace

// Reads each file the way intake does: one player, loaded once, each song opened for its
// length, bitrate and frequency and closed again.
int runProbeCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json")}, {});
    if (parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("probe needs at least one file"));
    const bool json = parsed.has(QStringLiteral("--json"));

    TMPEGPlayer player;
    useHomeLibrary(context, player);
    LoadedLibrary library(player);

    bool anyFailed = false;
    for (const QString& file : parsed.positional) {
        CliRecord record;
        record.add(QStringLiteral("file"), file);
        try {
            requireExisting(file);
            player.setStreamName(file);
            player.open();
            const int length = player.length();
            const int bitrate = player.bitrate();
            const int frequency = player.frequency();
            const QString trackLength = TrackLength::fromMilliseconds(length);
            player.close();
            record.add(QStringLiteral("length_ms"), length)
                .add(QStringLiteral("bitrate"), bitrate)
                .add(QStringLiteral("frequency"), frequency)
                .add(QStringLiteral("track_length"), trackLength);
        } catch (const TMPEGError& e) {
            record.add(QStringLiteral("error"), e.message());
            if (!e.detail().isEmpty())
                record.add(QStringLiteral("reason"), e.detail());
            anyFailed = true;
        } catch (const TamboroError& e) {
            record.add(QStringLiteral("error"), e.message());
            anyFailed = true;
        }
        record.print(context.out, json);
    }
    library.unload();
    return anyFailed ? 1 : 0;
}

namespace {

// Whether the WAV file at `path` holds all it claims: the decoder's WAV writer counts what it
// hands to its buffered stream, not what reaches the disk, and a disk that fills up leaves a
// file shorter than its header says (or a header never completed, saying 0 bytes).
bool wavIsComplete(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    const QByteArray head = file.read(12);
    const auto u32 = [](const QByteArray& bytes, qsizetype at) {
        return qint64(quint8(bytes[at])) | qint64(quint8(bytes[at + 1])) << 8 |
               qint64(quint8(bytes[at + 2])) << 16 | qint64(quint8(bytes[at + 3])) << 24;
    };
    if (head.size() != 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE" ||
        u32(head, 4) != size - 8)
        return false;
    for (qint64 at = 12; at + 8 <= size;) {
        if (!file.seek(at))
            return false;
        const QByteArray chunk = file.read(8);
        if (chunk.size() != 8)
            return false;
        const qint64 length = u32(chunk, 4);
        if (chunk.startsWith("data"))
            return length > 0 && at + 8 + length == size;
        at += 8 + length + (length & 1);
    }
    return false;
}

// Removes what a failed decode wrote; only a regular file, never a device named as output.
void removePartial(const QString& path)
{
    if (QFileInfo(path).isFile())
        QFile::remove(path);
}

} // namespace

// Plays a file to its end into a WAV file. Library errors reach main(), which prints them and
// exits with 1. A decode that fails once writing has begun leaves no file behind.
int runDecodeCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {}, {});
    if (parsed.positional.size() != 2 || parsed.positional.at(1).isEmpty())
        throw CliUsageError(QStringLiteral("decode needs a file and an output file"));

    const QString input = parsed.positional.at(0);
    const QString output = QFileInfo(parsed.positional.at(1)).absoluteFilePath();
    requireExisting(input);
    TMPEGPlayer player;
    useHomeLibrary(context, player);
    player.setOutFilename(output);
    player.setOutputDevice(TMPEGPlayer::pcmfile);
    player.setStreamName(input);

    LoadedLibrary library(player);
    player.open();
    try {
        player.play();
        int mode = player.mode();
        while (mode == TMPEGPlayer::ModePlaying) {
            QThread::msleep(10);
            mode = player.mode();
        }
        if (mode != TMPEGPlayer::ModeEnded) {
            removePartial(output);
            context.err << "Playing stopped before the end of " << input << '\n';
            context.err.flush();
            return 1;
        }
        player.close();
        library.unload();
    } catch (...) {
        removePartial(output);
        throw;
    }
    // A device (say /dev/null) has no header to check.
    if (QFileInfo(output).isFile() && !wavIsComplete(output)) {
        removePartial(output);
        throw EInOutError(
            QStringLiteral(
                "Writing %1 failed, the disk may be full; the incomplete file was removed")
                .arg(output));
    }
    return 0;
}
