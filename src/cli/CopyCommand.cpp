#include "cli/Commands.h"

#include "cli/CliSongs.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "export/FileCopy.h"
#include "lists/ListBuilder.h"
#include "platform/Volumes.h"

#include <QFileInfo>
#include <QHash>

// The list windows' "Copy selected files to..." for the songs of --ids or --query: their files
// as list building finds them on the media present now go into DEST, the same core as the
// window's. Nobody is there to answer about a file already in DEST: it is kept unless
// --replace says otherwise, and named in the output.
int runCopyCommand(CliContext& context, const QStringList& args)
{
    const QString idsOption = QStringLiteral("--ids"), queryOption = QStringLiteral("--query"),
                  replaceOption = QStringLiteral("--replace"),
                  skipOption = QStringLiteral("--skip");
    const CliArgs parsed =
        parseCliArgs(args, {replaceOption, skipOption}, {idsOption, queryOption});
    if (parsed.positional.size() != 1 || parsed.has(idsOption) == parsed.has(queryOption))
        throw CliUsageError(QStringLiteral("copy takes --ids ID,ID,... or --query SQL, and DEST"));
    if (parsed.has(replaceOption) && parsed.has(skipOption))
        throw CliUsageError(QStringLiteral("copy takes --replace or --skip, not both"));
    const QString folder = parsed.positional.front();
    if (!QFileInfo(folder).isDir()) {
        context.err << "The folder \"" << folder << "\" does not exist.\n";
        return 1;
    }

    SongDatabase database(context.home);
    CliSongs songs = cliSongs(database, parsed, idsOption, queryOption);
    QStringList& ids = songs.ids;
    const ListBuildResult& list = songs.list;

    // The songs in the order the IDs were given, else in the statement's.
    std::vector<const ListEntry*> rows;
    int problems = 0;
    if (ids.isEmpty()) {
        for (const ListEntry& row : list.rows)
            rows.push_back(&row);
    } else {
        QHash<QString, const ListEntry*> byId;
        for (const ListEntry& row : list.rows)
            byId.insert(row.value(ListEntry::ID), &row);
        for (const QString& id : ids) {
            if (const ListEntry* row = byId.value(id)) {
                rows.push_back(row);
            } else {
                context.err << "No song has the ID " << id << ".\n";
                ++problems;
            }
        }
    }

    QStringList sources;
    int missing = 0;
    for (const ListEntry* row : rows) {
        const QString& file = row->value(ListEntry::Filename);
        if (QFileInfo(file).isFile()) {
            sources << file;
        } else {
            context.out << "missing " << file << '\n';
            ++missing;
        }
    }

    const bool replace = parsed.has(replaceOption);
    FileCopy::Callbacks callbacks;
    callbacks.askExisting = [replace](const QString&) {
        return replace ? FileCopy::Existing::Replace : FileCopy::Existing::Skip;
    };
    callbacks.finished = [&](int index, FileCopy::Outcome outcome, const QString& target,
                             const QString& reason) {
        const QString& source = sources[index];
        switch (outcome) {
        case FileCopy::Outcome::Copied:
            context.out << "copied " << source << " -> " << target << '\n';
            break;
        case FileCopy::Outcome::Skipped:
            context.out << "skipped " << source << " (" << target << " is there already)\n";
            break;
        case FileCopy::Outcome::Failed:
            context.out << "failed " << source << ": " << reason << '\n';
            break;
        }
        context.out.flush();
    };
    const FileCopy::Result result = FileCopy::copyFiles(sources, folder, callbacks);

    context.out << "songs: " << rows.size() << "\ncopied: " << result.copied.size() << " ("
                << result.bytes << " bytes)\nskipped: " << result.skipped.size()
                << "\nmissing: " << missing << "\nfailed: " << result.failures.size() << '\n';
    context.out.flush();
    problems += missing + int(result.failures.size());
    if (problems > 0) {
        context.err << problems << (problems == 1 ? " song" : " songs")
                    << " could not be copied.\n";
        return 1;
    }
    return 0;
}
