#include "cli/Commands.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "lists/ListBuilder.h"
#include "lists/ParameterQuery.h"
#include "lists/ValueFiles.h"
#include "platform/Volumes.h"

namespace {

using Kind = ValueFiles::Kind;

struct Option
{
    const char* option; // the selection option
    const char* plural; // the name --values takes
    Kind kind;
};

const Option options[] = {
    {"--artist", "artists", Kind::Artist}, {"--genre", "genres", Kind::Genre},
    {"--medium", "mediums", Kind::Medium}, {"--album", "albums", Kind::Album},
    {"--year", "years", Kind::Year},
};

// One value file, built with its companions when "Artists.dat" is missing.
int printValues(CliContext& context, const QString& name, bool json)
{
    const Option* chosen = nullptr;
    for (const Option& option : options)
        if (name == QLatin1String(option.plural))
            chosen = &option;
    if (!chosen)
        throw CliUsageError(
            QStringLiteral("--values takes artists, genres, mediums, albums or years, not %1")
                .arg(name));
    SongDatabase database(context.home);
    const ValueFiles::Loaded loaded = ValueFiles::load(database);
    for (const QString& value : loaded.lists.of(chosen->kind)) {
        if (json)
            CliRecord().add(QStringLiteral("value"), value).print(context.out, true);
        else
            context.out << value << '\n';
    }
    context.out.flush();
    return 0;
}

} // namespace

// The list the dialog "Load a list by specifying parameters" would open for the values given
// as ticked rows: its base query and caption text, then its rows as `list` prints them. Within
// a kind the values take the order of the dialog's rows, whatever the order given.
int runParamsCommand(CliContext& context, const QStringList& args)
{
    QStringList valued{QStringLiteral("--values")};
    for (const Option& option : options)
        valued << QLatin1String(option.option);
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json")}, valued);
    if (!parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("params takes values only after their options"));
    const bool json = parsed.has(QStringLiteral("--json"));

    ParameterQuery::Ticked ticked;
    bool values = false;
    for (const auto& [name, value] : parsed.options) {
        if (name == QLatin1String("--values")) {
            values = true;
            continue;
        }
        for (const Option& option : options)
            if (name == QLatin1String(option.option))
                ticked[std::size_t(ValueFiles::index(option.kind))].append(value);
    }
    if (values) {
        if (parsed.options.size() != (json ? 2 : 1))
            throw CliUsageError(QStringLiteral("--values takes no other option but --json"));
        return printValues(context, parsed.value(QStringLiteral("--values")), json);
    }
    for (QStringList& captions : ticked) {
        captions.removeDuplicates();
        ValueFiles::sortCaptions(captions);
    }
    const ParameterQuery::Request request = ParameterQuery::request(ticked);
    if (request.isEmpty())
        throw CliUsageError(QStringLiteral("params needs at least one value, or --values KIND"));

    // The rows first: a song table that cannot answer is the whole output.
    SongDatabase database(context.home);
    RQuery query(database);
    query.setSql(request.selectStatement());
    query.open();
    const ListBuildResult result = buildList(query, SystemVolumes().roots(), {});
    query.close();

    if (json) {
        CliRecord()
            .add(QStringLiteral("query"), request.baseQuery())
            .add(QStringLiteral("caption"), request.captionText())
            .print(context.out, true);
    } else {
        context.out << "query: " << request.baseQuery() << '\n'
                    << "caption: " << request.captionText() << '\n';
    }
    printListRows(context, result, json);
    return 0;
}
