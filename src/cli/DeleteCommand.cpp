#include "cli/Commands.h"

#include "db/Maintenance.h"
#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/StoredPath.h"
#include "db/TextCodec.h"
#include "platform/Volumes.h"

// Deleting songs as the delete dialog does: their rows, and with --files their files too
// (to the desktop's trash where the medium has one). With --files-only the rows stay.
int runDeleteCommand(CliContext& context, const QStringList& args)
{
    const QString idsOption = QStringLiteral("--ids"), queryOption = QStringLiteral("--query"),
                  files = QStringLiteral("--files"), filesOnly = QStringLiteral("--files-only");
    const CliArgs parsed =
        parseCliArgs(args, {files, filesOnly, QStringLiteral("--json")}, {idsOption, queryOption});
    if (!parsed.positional.isEmpty() || parsed.has(idsOption) == parsed.has(queryOption))
        throw CliUsageError(QStringLiteral("delete takes --ids ID,ID,... or --query SQL"));

    SongDatabase database(context.home);
    const QStringList ids = parsed.has(idsOption)
                                ? cliIdList(parsed.value(idsOption))
                                : cliQueryIds(database, parsed.value(queryOption));
    const bool withFiles = parsed.has(files) || parsed.has(filesOnly);
    QList<Maintenance::DeleteTarget> targets;
    if (!ids.isEmpty()) {
        const QStringList roots = withFiles ? SystemVolumes().roots() : QStringList();
        RQuery query(database);
        query.setSql(Statements::selectByIds(ids));
        query.open();
        for (query.first(); !query.eof(); query.next())
            targets.append(
                {query.field(SongColumn::ID),
                 StoredPath::locate(TextCodec::filter(query.field(SongColumn::Filename)), roots)});
        query.close();
    }
    const Maintenance::DeleteCounts counts =
        Maintenance::deleteSongs(database, targets, !parsed.has(filesOnly), withFiles);
    CliRecord()
        .add(QStringLiteral("records deleted"), counts.records)
        .add(QStringLiteral("files deleted"), counts.files)
        .print(context.out, parsed.has(QStringLiteral("--json")));
    return 0;
}
