#include "cli/Commands.h"

#include "db/SongDatabase.h"
#include "intake/GenreLists.h"
#include "intake/MassRetag.h"
#include "platform/Errors.h"

namespace {

const char* const outcomeNames[] = {"written", "left alone", "failed"};

} // namespace

// The mass re-tagger's run over the songs of --ids or --query: a record per song as it is
// done, then the figures.
int runRetagCommand(CliContext& context, const QStringList& args)
{
    const QString artist = QStringLiteral("--artist"), genre = QStringLiteral("--genre"),
                  album = QStringLiteral("--album"), comment = QStringLiteral("--comment"),
                  year = QStringLiteral("--year"), idsOption = QStringLiteral("--ids"),
                  queryOption = QStringLiteral("--query");
    const CliArgs parsed =
        parseCliArgs(args, {QStringLiteral("--json")},
                     {artist, genre, album, comment, year, idsOption, queryOption});
    const bool json = parsed.has(QStringLiteral("--json"));
    if (!parsed.positional.isEmpty() || parsed.has(idsOption) == parsed.has(queryOption))
        throw CliUsageError(QStringLiteral("retag takes --ids ID,ID,... or --query SQL"));
    if (parsed.has(genre) && !GenreLists::pick().contains(parsed.value(genre)))
        throw CliUsageError(
            QStringLiteral("%1 is not one of the re-tagger's genres").arg(parsed.value(genre)));

    MassRetag::Values values;
    const std::pair<const QString*, std::optional<QString>*> settable[] = {
        {&artist, &values.artist},
        {&genre, &values.genre},
        {&album, &values.album},
        {&comment, &values.comment},
        {&year, &values.year}};
    for (const auto& [option, field] : settable) {
        if (parsed.has(*option))
            *field = parsed.value(*option);
    }
    if (!values.anyChosen())
        throw CliUsageError(MassRetag::nothingChosenText());

    SongDatabase database(context.home);
    const QStringList ids = parsed.has(idsOption)
                                ? cliIdList(parsed.value(idsOption))
                                : cliQueryIds(database, parsed.value(queryOption));
    if (ids.size() < 2)
        context.err << "Note: the window asks for more than one song; this runs on " << ids.size()
                    << ".\n";
    const MassRetag::Result result = MassRetag::run(
        database, context.home, ids, values, {}, [&](const MassRetag::SongReport& song) {
            CliRecord()
                .add(QStringLiteral("id"), song.id)
                .add(QStringLiteral("file"), song.filename)
                .add(QStringLiteral("tag"), QString::fromLatin1(outcomeNames[int(song.tag)]))
                .add(QStringLiteral("reason"), song.reason)
                .print(context.out, json);
        });
    CliRecord()
        .add(QStringLiteral("songs"), result.total)
        .add(QStringLiteral("changed"), result.changed)
        .add(QStringLiteral("tags written"), result.tagsWritten)
        .add(QStringLiteral("tags left alone"), result.tagsLeftAlone)
        .print(context.out, json);
    if (!result.stopped())
        return 0;
    context.err << result.error << '\n';
    context.err.flush();
    return 1;
}
