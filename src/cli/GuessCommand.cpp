#include "cli/Commands.h"

#include "db/SongDatabase.h"
#include "db/StoredPath.h"
#include "intake/FilenameRecognizer.h"
#include "platform/Errors.h"

#include <QFileInfo>

// What filename recognition would make of each file's name with the song table of the home as
// it is now. Nothing is written: no tag, no row.
int runGuessCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json")}, {});
    if (parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("guess needs at least one file"));
    const bool json = parsed.has(QStringLiteral("--json"));

    SongDatabase database(context.home);
    // Checked before the first name, so that a missing table gives an error and no output
    // rather than a few lines for names that happened not to need it.
    const QString table = database.tableFile(QStringLiteral("tamboro"));
    if (!QFileInfo(table).isFile())
        throw EDatabaseError(QStringLiteral("The song table %1 does not exist").arg(table));

    for (const QString& file : parsed.positional) {
        // Recognition sees the name as the song table would hold it after intake.
        const QString path = StoredPath::absoluteName(file);
        const Recognition r = FilenameRecognizer::recognize(path, QString(), database);
        const QString kind = r.full ? QStringLiteral("full") : QStringLiteral("partial");
        if (json) {
            CliRecord()
                .add(QStringLiteral("file"), file)
                .add(QStringLiteral("artist"), r.artist)
                .add(QStringLiteral("title"), r.title)
                .add(QStringLiteral("genre"), r.genre)
                .add(QStringLiteral("kind"), kind)
                .print(context.out, true);
        } else {
            context.out << "file: " << file << "\tartist: " << r.artist << "\ttitle: " << r.title
                        << "\tgenre: " << r.genre << "\tkind: " << kind << '\n';
        }
    }
    context.out.flush();
    return 0;
}
