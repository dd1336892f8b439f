#include "cli/Commands.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "lists/FastSearch.h"
#include "lists/ListBuilder.h"
#include "lists/ListOrder.h"
#include "platform/Volumes.h"

// The rows a FastSearch window lists for a text: the same search, in the order of a new
// window (artist, then title), each file looked for on the media present now, then the panels.
int runSearchCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed =
        parseCliArgs(args, {QStringLiteral("--json"), QStringLiteral("--and")}, {});
    if (parsed.positional.size() != 1)
        throw CliUsageError(QStringLiteral("search takes one text; put keywords with blanks "
                                           "between them in quotes"));
    const QString text = parsed.positional.first();
    const std::optional<FastSearch::Plan> plan =
        FastSearch::plan(text, parsed.has(QStringLiteral("--and")) ? FastSearch::Join::Every
                                                                   : FastSearch::Join::Any);
    if (!plan)
        throw CliUsageError(QStringLiteral("A search text needs at least %1 characters")
                                .arg(FastSearch::minimumLength));

    SongDatabase database(context.home);
    RQuery query(database);
    query.setSql(Statements::withOrder(plan->qut, ListOrder::orderClause(0, 0)));
    query.open();
    const ListBuildResult result = buildList(query, SystemVolumes().roots(), {});
    query.close();
    printListRows(context, result, parsed.has(QStringLiteral("--json")));
    return 0;
}
