#include "cli/Commands.h"

#include "db/Maintenance.h"
#include "db/SongDatabase.h"
#include "platform/Volumes.h"

// The existence check: the hard-disk rows whose file is gone are deleted (unless --dry-run),
// rows on a medium that is not mounted are left alone and counted.
int runCheckCommand(CliContext& context, const QStringList& args)
{
    const QString dryRun = QStringLiteral("--dry-run");
    const CliArgs parsed = parseCliArgs(args, {dryRun, QStringLiteral("--json")}, {});
    if (!parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("check takes no arguments"));

    SongDatabase database(context.home);
    const Maintenance::MissingFiles missing =
        Maintenance::findMissingFiles(database, SystemVolumes().roots());
    const int deleted = parsed.has(dryRun) || missing.ids.isEmpty()
                            ? 0
                            : Maintenance::deleteRows(database, missing.ids);
    CliRecord()
        .add(QStringLiteral("checked"), missing.checked)
        .add(QStringLiteral("missing"), int(missing.ids.size()))
        .add(QStringLiteral("skipped"), missing.skipped)
        .add(QStringLiteral("deleted"), deleted)
        .print(context.out, parsed.has(QStringLiteral("--json")));
    return 0;
}
