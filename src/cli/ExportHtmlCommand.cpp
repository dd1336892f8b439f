#include "cli/Commands.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "export/HtmlExport.h"
#include "lists/ListBuilder.h"
#include "platform/Volumes.h"

// `export-html`: the HTML page a list window of the songs would give, as "Generate" of the
// options window writes it. --table is "With Table", --fields the field boxes ticked (artist,
// title and length unless given), --secondary "Show secondary information".
int runExportHtmlCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(
        args, {QStringLiteral("--table"), QStringLiteral("--secondary"), QStringLiteral("--all")},
        {QStringLiteral("--fields"), QStringLiteral("--query")});
    const bool all = parsed.has(QStringLiteral("--all"));
    if (all == parsed.has(QStringLiteral("--query")) || parsed.positional.size() != 1)
        throw CliUsageError(QStringLiteral("export-html takes --query SQL or --all, and a file"));

    HtmlExport::Options options;
    options.withTable = parsed.has(QStringLiteral("--table"));
    options.secondary = parsed.has(QStringLiteral("--secondary"));
    if (parsed.has(QStringLiteral("--fields"))) {
        for (bool& on : options.fields)
            on = false;
        const QStringList names =
            parsed.value(QStringLiteral("--fields")).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& name : names) {
            const std::optional<HtmlExport::Field> field = HtmlExport::fieldByName(name.trimmed());
            if (!field)
                throw CliUsageError(
                    QStringLiteral("Unknown field \"%1\" for --fields; the fields "
                                   "are %2")
                        .arg(name, HtmlExport::fieldNames().join(QLatin1Char(','))));
            options.set(*field, true);
        }
    }

    // The rows as the list window of the statement shows them: in its order, each file looked
    // for on the media present now.
    const QString sql =
        all ? Statements::selectAllByArtistTitle() : parsed.value(QStringLiteral("--query"));
    cliRequireSelect(sql);
    SongDatabase database(context.home);
    RQuery query(database);
    query.setSql(sql);
    query.open();
    const ListBuildResult result = buildList(query, SystemVolumes().roots(), {});
    query.close();

    const QString path = parsed.positional.first();
    const qint64 written = HtmlExport::saveHtml(result.rows, result.panels(), options, path);
    CliRecord()
        .add(QStringLiteral("file"), path)
        .add(QStringLiteral("rows"), int(result.rows.size()))
        .add(QStringLiteral("bytes"), written)
        .print(context.out, false);
    return 0;
}
