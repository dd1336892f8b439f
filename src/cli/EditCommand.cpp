#include "cli/Commands.h"

#include "db/SongDatabase.h"
#include "db/UQuery.h"
#include "intake/GenreLists.h"
#include "intake/TagSave.h"
#include "platform/Errors.h"

namespace {

const char* const outcomeNames[] = {"written", "left alone", "failed"};

} // namespace

// The tag editor's "Save changes" for one song: the stored row fills every field the command
// does not set, so that an unset field keeps its stored value whole (a year longer than four
// characters included). The file name is the stored one.
int runEditCommand(CliContext& context, const QStringList& args)
{
    const QString artist = QStringLiteral("--artist"), title = QStringLiteral("--title"),
                  album = QStringLiteral("--album"), comment = QStringLiteral("--comment"),
                  year = QStringLiteral("--year"), genre = QStringLiteral("--genre");
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json")},
                                        {artist, title, album, comment, year, genre});
    if (parsed.positional.size() != 1)
        throw CliUsageError(QStringLiteral("edit needs exactly one song ID"));
    // The window offers only the entries of its genre list; so does the command.
    if (parsed.has(genre) && !GenreLists::pick().contains(parsed.value(genre)))
        throw CliUsageError(
            QStringLiteral("%1 is not one of the tag editor's genres").arg(parsed.value(genre)));

    SongDatabase database(context.home);
    const QString id = parsed.positional.first();
    std::optional<TagSave::Fields> fields = TagSave::load(database, id);
    if (!fields)
        throw EDatabaseError(QStringLiteral("No song has the ID %1").arg(id));
    const std::pair<const QString*, QString*> settable[] = {
        {&artist, &fields->artist},   {&title, &fields->title}, {&album, &fields->album},
        {&comment, &fields->comment}, {&year, &fields->year},   {&genre, &fields->genre}};
    for (const auto& [option, field] : settable) {
        if (parsed.has(*option))
            *field = parsed.value(*option);
    }

    UQuery update(database);
    const TagSave::Result result = TagSave::save(update, context.home, *fields);
    CliRecord()
        .add(QStringLiteral("id"), fields->id)
        .add(QStringLiteral("file"), fields->filename)
        .add(QStringLiteral("tag"), QString::fromLatin1(outcomeNames[int(result.tag)]))
        .add(QStringLiteral("reason"), result.reason)
        .print(context.out, parsed.has(QStringLiteral("--json")));
    const QString failure = TagSave::failureText(*fields, result);
    if (failure.isEmpty())
        return 0;
    context.err << failure << '\n';
    context.err.flush();
    return 1;
}
