#include "cli/Commands.h"

#include "net/SearchResults.h"
#include "net/SharingClient.h"
#include "net/SharingSettings.h"
#include "settings/SettingsStore.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QTimer>

#include <chrono>
#include <optional>

namespace {

// A results window's columns in its order. The ID, location and play count of a remote row say
// nothing; the server (the location without its remote marker) is what fetch needs.
struct Column
{
    const char* name;
    int sub; // -1: the caption
};
constexpr Column columns[] = {
    {"artist", -1},
    {"title", ListEntry::Title},
    {"length", ListEntry::Length},
    {"filename", ListEntry::Filename},
    {"album", ListEntry::Album},
    {"comment", ListEntry::Comment},
    {"year", ListEntry::Year},
    {"genre", ListEntry::Genre},
    {"frequency", ListEntry::Frequency},
    {"bitrate", ListEntry::Bitrate},
};

void printRows(CliContext& context, const QString& caption, const std::vector<ListEntry>& rows,
               bool json)
{
    if (json)
        CliRecord().add(QStringLiteral("caption"), caption).print(context.out, true);
    else
        context.out << "caption: " << caption << '\n';
    for (const ListEntry& row : rows) {
        QString line;
        if (json)
            line += QLatin1Char('{');
        for (const Column& column : columns) {
            const QString& value = column.sub < 0 ? row.caption : row.sub[column.sub];
            if (json) {
                if (line.size() > 1)
                    line += QLatin1Char(',');
                appendJsonString(line, QLatin1String(column.name));
                line += QLatin1Char(':');
                appendJsonString(line, value);
            } else {
                if (!line.isEmpty())
                    line += QLatin1Char('\t');
                line += QLatin1String(column.name) + QLatin1String(": ") + value;
            }
        }
        if (json) {
            line += QLatin1String(",\"server\":");
            appendJsonString(line, SearchResults::serverOf(row));
            line += QLatin1String("}\n");
        } else {
            line += QLatin1String("\tserver: ") + SearchResults::serverOf(row) + QLatin1Char('\n');
        }
        context.out << line;
    }
    const QStringList panels = SearchResults::panels(int(rows.size()));
    if (json)
        CliRecord()
            .add(QStringLiteral("panels"), QJsonArray::fromStringList(panels))
            .print(context.out, true);
    else
        context.out << panels.join(QLatin1Char('\t')) << '\n';
    context.out.flush();
}

} // namespace

// One search of the central server or of a personal server, its answer printed as the results
// window shows it.
int runIsearchCommand(CliContext& context, const QStringList& args)
{
    const QString centralOption = QStringLiteral("--central");
    const QString serverOption = QStringLiteral("--server");
    const CliArgs parsed =
        parseCliArgs(args, {QStringLiteral("--json"), centralOption},
                     {serverOption, QStringLiteral("--bind"), QStringLiteral("--wait")});
    if (parsed.positional.size() != 2)
        throw CliUsageError(QStringLiteral("isearch needs an artist and a title (either may be "
                                           "empty: \"\")"));
    const bool central = !parsed.has(serverOption);
    if (parsed.has(centralOption) && !central)
        throw CliUsageError(QStringLiteral("isearch asks either --central or --server HOST"));
    const QString server = parsed.value(serverOption).trimmed();
    if (!central && server.isEmpty())
        throw CliUsageError(QStringLiteral("--server needs a host"));
    SettingsStore store;
    SharingSettings settings = SharingSettings::from(store);
    if (parsed.has(QStringLiteral("--bind")))
        settings.address =
            addressFromText(parsed.value(QStringLiteral("--bind")), QStringLiteral("--bind"));
    const int waitSeconds = waitSecondsOption(
        parsed,
        int(std::chrono::duration_cast<std::chrono::seconds>(SearchResults::answerWait).count()));
    const bool json = parsed.has(QStringLiteral("--json"));
    const QString artist = parsed.positional[0];
    const QString title = parsed.positional[1];

    SharingClient sharing(settings);
    QEventLoop loop;
    std::optional<QString> answer;
    QObject::connect(&sharing, &SharingClient::searchAnswered, &loop, [&](const QString& text) {
        answer = text;
        loop.quit();
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, [&] { loop.quit(); });
    // A socket error (nobody listening, a name that does not resolve, a port of ours taken) is
    // the command's failure, its text on stderr.
    sharing.search(artist, title, central ? QString() : server);
    // The post waits with the event loop running: the answer may be in already.
    if (!answer) {
        giveUp.start(waitSeconds * 1000);
        loop.exec();
    }
    if (!answer) {
        sharing.cancelSearch();
        context.err << SearchResults::noAnswerText() << '\n';
        context.err.flush();
        return 1;
    }
    printRows(context, SearchResults::caption(central, server, artist, title),
              SearchResults::shownRows(*answer, central, server), json);
    return 0;
}
