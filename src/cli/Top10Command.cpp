#include "cli/Commands.h"

#include "db/Maintenance.h"
#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"

// The ten most played songs, most played first, as the top 10 window lists them.
int runTop10Command(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json")}, {});
    if (!parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("top10 takes no arguments"));
    const bool json = parsed.has(QStringLiteral("--json"));

    SongDatabase database(context.home);
    const QStringList ids = Maintenance::topTenIds(database);
    if (ids.isEmpty()) {
        context.err << Maintenance::topTenTooFewText() << '\n';
        return 1;
    }
    RQuery query(database);
    query.setSql(Statements::withOrder(Statements::selectByIds(ids),
                                       QStringLiteral(" order by Played desc")));
    query.open();
    int rank = 0;
    for (query.first(); !query.eof(); query.next()) {
        CliRecord()
            .add(QStringLiteral("rank"), ++rank)
            .add(QStringLiteral("id"), query.field(SongColumn::ID))
            .add(QStringLiteral("played"), query.field(SongColumn::Played).toLongLong())
            .add(QStringLiteral("artist"), TextCodec::filter(query.field(SongColumn::Artist)))
            .add(QStringLiteral("title"), TextCodec::filter(query.field(SongColumn::Title)))
            .add(QStringLiteral("file"), TextCodec::filter(query.field(SongColumn::Filename)))
            .print(context.out, json);
    }
    return 0;
}
