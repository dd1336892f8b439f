#include "cli/Commands.h"

#include "container/EmbeddedFiles.h"
#include "container/TFileSource.h"
#include "db/TrackLength.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "player/TMPEGError.h"
#include "player/TMPEGPlayer.h"

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
        throw EInOutError(QStringLiteral("%1 does not exist").arg(file));
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
        } catch (const TamboroError& e) {
            record.add(QStringLiteral("error"), e.message());
            anyFailed = true;
        }
        record.print(context.out, json);
    }
    library.unload();
    return anyFailed ? 1 : 0;
}

// Plays a file to its end into a WAV file. Library errors reach main(), which prints them and
// exits with 1.
int runDecodeCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {}, {});
    if (parsed.positional.size() != 2 || parsed.positional.at(1).isEmpty())
        throw CliUsageError(QStringLiteral("decode needs a file and an output file"));

    requireExisting(parsed.positional.at(0));
    TMPEGPlayer player;
    useHomeLibrary(context, player);
    player.setOutFilename(QFileInfo(parsed.positional.at(1)).absoluteFilePath());
    player.setOutputDevice(TMPEGPlayer::pcmfile);
    player.setStreamName(parsed.positional.at(0));

    LoadedLibrary library(player);
    player.open();
    player.play();
    int mode = player.mode();
    while (mode == TMPEGPlayer::ModePlaying) {
        QThread::msleep(10);
        mode = player.mode();
    }
    if (mode != TMPEGPlayer::ModeEnded) {
        context.err << "Playing stopped before the end of " << parsed.positional.at(0) << '\n';
        context.err.flush();
        return 1;
    }
    player.close();
    library.unload();
    return 0;
}
