// import FILE: "Add data from another database" without the window.
#include "cli/Commands.h"
#include "db/LocationImport.h"
#include "platform/LegacyText.h"
#include "settings/SettingsStore.h"

#include <QDir>

int runImportCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {}, {});
    if (parsed.positional.size() != 1)
        throw CliUsageError(QStringLiteral("import takes one FILE"));
    const QString path = parsed.positional.first();
    // A table of the Windows program is read in the tags' code page.
    const SingleByteCodePage codePage = SingleByteCodePage::byNameOrDefault(
        SettingsStore().text(QLatin1String(SettingsStore::ID3v1CodePage)));
    const LocationImport::Result result = LocationImport::run(context.home, path, codePage);
    CliRecord()
        .add(QStringLiteral("file"), QDir::toNativeSeparators(path))
        .add(QStringLiteral("kind"), result.kind == LocationImport::SourceKind::WindowsTable
                                         ? QStringLiteral("windows")
                                         : QStringLiteral("tamboro3"))
        .add(QStringLiteral("imported"), result.imported)
        .print(context.out, false);
    return 0;
}
