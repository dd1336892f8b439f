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

} // namespace

// The whole database as its list window shows it: the rows in artist and title order, each
// file looked for on the media present now, and the four status panels.
int runListCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json")}, {});
    if (!parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("list takes no files"));

    SongDatabase database(context.home);
    RQuery query(database);
    query.setSql(Statements::selectAllByArtistTitle());
    query.open();
    const ListBuildResult result = buildList(query, SystemVolumes().roots(), {});
    query.close();
    printListRows(context, result, parsed.has(QStringLiteral("--json")));
    return 0;
}

void printListRows(CliContext& context, const ListBuildResult& result, bool json)
{
    QString line; // one buffer for all lines: its room is kept from song to song
    for (const ListEntry& row : result.rows) {
        line.resize(0);
        // Written straight into one line per song: a record of JSON values costs more than
        // building the list itself.
        if (json) {
            line += QLatin1String("{\"artist\":");
            appendJsonString(line, row.caption);
            for (int i = 0; i < ListEntry::subCount; ++i) {
                line += QLatin1String(",\"");
                line += QLatin1String(subNames[i]);
                line += QLatin1String("\":");
                appendJsonString(line, row.sub[i]);
            }
            line += row.available ? QLatin1String(",\"available\":true}\n")
                                  : QLatin1String(",\"available\":false}\n");
            context.out << line;
        } else {
            line += QLatin1String("artist: ");
            line += row.caption;
            for (int i = 0; i < ListEntry::subCount; ++i) {
                line += QLatin1Char('\t');
                line += QLatin1String(subNames[i]);
                line += QLatin1String(": ");
                line += row.sub[i];
            }
            line += row.available ? QLatin1String("\tavailable: true\n")
                                  : QLatin1String("\tavailable: false\n");
            context.out << line;
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
}
