#include "cli/Commands.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "lists/ListBuilder.h"
#include "platform/Volumes.h"

#include <QJsonArray>

namespace {

// The JSON names of the sub-values, in ListEntry order.
const char* const subNames[ListEntry::subCount] = {
    "title", "length",    "filename", "album", "comment",  "year",
    "genre", "frequency", "bitrate",  "id",    "location", "played",
};

// One line of "name: value" pairs separated by tabs.
void printLine(QTextStream& out, const QList<QPair<QString, QString>>& fields)
{
    QStringList parts;
    for (const auto& [name, value] : fields)
        parts << name + QLatin1String(": ") + value;
    out << parts.join(QLatin1Char('\t')) << '\n';
}

} // namespace

// The whole database as its list window shows it: the rows in artist and title order, each
// file looked for on the media present now, and the four status panels.
int runListCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json")}, {});
    if (!parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("list takes no files"));
    const bool json = parsed.has(QStringLiteral("--json"));

    SongDatabase database(context.home);
    RQuery query(database);
    query.setSql(Statements::selectAllByArtistTitle());
    query.open();
    const ListBuildResult result = buildList(query, SystemVolumes().roots(), {});
    query.close();

    for (const ListEntry& row : result.rows) {
        if (json) {
            CliRecord record;
            record.add(QStringLiteral("artist"), row.caption);
            for (int i = 0; i < ListEntry::subCount; ++i)
                record.add(QLatin1String(subNames[i]), row.sub[i]);
            record.add(QStringLiteral("available"), row.available);
            record.print(context.out, true);
        } else {
            QList<QPair<QString, QString>> fields{{QStringLiteral("artist"), row.caption}};
            for (int i = 0; i < ListEntry::subCount; ++i)
                fields.append({QLatin1String(subNames[i]), row.sub[i]});
            fields.append({QStringLiteral("available"),
                           row.available ? QStringLiteral("true") : QStringLiteral("false")});
            printLine(context.out, fields);
        }
    }
    if (json) {
        CliRecord()
            .add(QStringLiteral("panels"), QJsonArray::fromStringList(result.panels()))
            .print(context.out, true);
    } else {
        context.out << result.panels().join(QLatin1Char('\t')) << '\n';
        context.out.flush();
    }
    return 0;
}
