#include "cli/Commands.h"

#include "cli/CliSongs.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "lists/ListBuilder.h"
#include "lists/PlayHandoff.h"
#include "platform/DetachedProcess.h"
#include "platform/Errors.h"
#include "platform/GioShellVerbs.h"
#include "platform/Home.h"
#include "platform/Volumes.h"

// The list windows' "&Play" and "&Enqueue" (or, with --all, "Play List" and "Enqueue List")
// on the songs of --ids or --query: the same playlist, counts and command line as the window,
// the songs in the order of the statement's rows.
int runPlayCommand(CliContext& context, const QStringList& args)
{
    const QString idsOption = QStringLiteral("--ids"), queryOption = QStringLiteral("--query");
    const CliArgs parsed = parseCliArgs(
        args, {QStringLiteral("--enqueue"), QStringLiteral("--all")}, {idsOption, queryOption});
    if (!parsed.positional.isEmpty() || parsed.has(idsOption) == parsed.has(queryOption))
        throw CliUsageError(QStringLiteral("play takes --ids ID,ID,... or --query SQL"));
    const bool enqueue = parsed.has(QStringLiteral("--enqueue"));

    const PlayerCommands player = stripVerbQuotes(GioShellVerbs().read());
    const QString playerTemplate = enqueue ? player.enqueue : player.play;
    const QString playlist = PlayHandoff::handoffPath(Home::ensure(context.home));
    const std::optional<QString> line = PlayHandoff::commandLine(playerTemplate, playlist);
    if (!line) {
        context.err << (player.play.trimmed().isEmpty()
                            ? "No program is registered on this computer to play MP3 files.\n"
                            : "The MP3 player registered on this computer offers no way to add "
                              "songs to its playlist.\n");
        return 1;
    }

    SongDatabase database(context.home);
    CliSongs songs = cliSongs(database, parsed, idsOption, queryOption);
    QStringList& ids = songs.ids;
    const ListBuildResult& list = songs.list;
    if (ids.isEmpty()) {
        for (const ListEntry& row : list.rows)
            ids << row.value(ListEntry::ID);
    }

    const PlayHandoff::Prepared prepared = parsed.has(QStringLiteral("--all"))
                                               ? PlayHandoff::prepareAll(list.rows)
                                               : PlayHandoff::prepareList(list.rows, ids);
    if (prepared.files.isEmpty()) {
        context.err << "None of the chosen songs' files can be found, so there is nothing to "
                       "play.\n";
        return 1;
    }
    PlayHandoff::savePlaylist(playlist, prepared.files);
    if (const std::optional<QString> failure = DetachedProcess::start(*line)) {
        context.err << "The MP3 player could not be started: " << *failure << "\nCommand: " << *line
                    << '\n';
        return 1;
    }
    PlayHandoff::raiseCounts(database, prepared);
    context.out << "command: " << *line << "\nplaylist: " << playlist << '\n';
    for (const QString& file : prepared.files)
        context.out << "  " << file << '\n';
    context.out.flush();
    return 0;
}
