#include "cli/Commands.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "lists/ListBuilder.h"
#include "lists/ListOrder.h"
#include "lists/UserLists.h"
#include "platform/Volumes.h"

namespace {

// `userlist save`: the stored file names of a base query's songs into a user list file.
int saveList(CliContext& context, const CliArgs& parsed)
{
    const bool all = parsed.has(QStringLiteral("--all"));
    const bool byQuery = parsed.has(QStringLiteral("--query"));
    if (all == byQuery || parsed.positional.size() != 2)
        throw CliUsageError(QStringLiteral("userlist save takes --query SQL or --all, and a file"));
    const QString base = all ? Statements::selectAll() : parsed.value(QStringLiteral("--query"));
    // Only a statement that reads: the file lists songs, it changes none.
    if (!base.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive))
        throw CliUsageError(QStringLiteral("--query must be a select statement"));

    SongDatabase database(context.home);
    RQuery query(database);
    const QStringList names = UserLists::fileNamesOf(query, base);
    UserListFile::save(parsed.positional.at(1), names);
    CliRecord().add(QStringLiteral("saved"), int(names.size())).print(context.out, false);
    return 0;
}

// `userlist open`: the rows the user list of a file would show.
int openList(CliContext& context, const CliArgs& parsed)
{
    if (parsed.positional.size() != 2)
        throw CliUsageError(QStringLiteral("userlist open takes one file"));
    const QStringList lines = UserListFile::load(parsed.positional.at(1));

    SongDatabase database(context.home);
    const QStringList ids = UserListMatch::matchingIds(database, lines);
    ListBuildResult result;
    if (!ids.isEmpty()) {
        RQuery query(database);
        query.setSql(Statements::withOrder(Statements::selectByIds(ids), ListOrder::daOrder(0)));
        query.open();
        ListBuildOptions options;
        options.userList = true;
        result = buildList(query, SystemVolumes().roots(), options);
        query.close();
    }
    printListRows(context, result, parsed.has(QStringLiteral("--json")));
    return 0;
}

} // namespace

int runUserListCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json"), QStringLiteral("--all")},
                                        {QStringLiteral("--query")});
    const QString verb = parsed.positional.value(0);
    if (verb == QLatin1String("save"))
        return saveList(context, parsed);
    if (verb == QLatin1String("open"))
        return openList(context, parsed);
    throw CliUsageError(QStringLiteral("userlist takes save or open"));
}
