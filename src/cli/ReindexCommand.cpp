#include "cli/Commands.h"

#include "db/Maintenance.h"
#include "db/SongDatabase.h"
#include "platform/Errors.h"

// Re-indexing: the advice before, then the rows renumbered. A failure leaves the song table as
// it was and says why.
int runReindexCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json")}, {});
    if (!parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("reindex takes no arguments"));

    SongDatabase database(context.home);
    const QString advice = Maintenance::adviceText(Maintenance::reindexAdvice(database));
    try {
        const int rows = Maintenance::reindex(database);
        CliRecord()
            .add(QStringLiteral("advice"), advice)
            .add(QStringLiteral("rows"), rows)
            .add(QStringLiteral("result"), Maintenance::reindexDoneText())
            .print(context.out, parsed.has(QStringLiteral("--json")));
        return 0;
    } catch (const TamboroError& error) {
        context.err << Maintenance::reindexFailedText() << ' ' << error.message() << '\n';
        return 1;
    }
}
