#include "cli/Commands.h"

#include "intake/GenreLists.h"
#include "intake/TMP3Info.h"
#include "platform/Errors.h"

#include <QFileInfo>

namespace {

const QString titleOption = QStringLiteral("--title");
const QString artistOption = QStringLiteral("--artist");
const QString albumOption = QStringLiteral("--album");
const QString yearOption = QStringLiteral("--year");
const QString commentOption = QStringLiteral("--comment");
const QString genreIdOption = QStringLiteral("--genre-id");

// Each file gets a reader of its own: the reader keeps the values of the last tag it found,
// and a file without a tag must not show the tag of the file before it. The genre is the name
// the catalogue stores for the number, not the reader's own list.
int showTags(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(args, {QStringLiteral("--json")}, {});
    if (parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("tag show needs at least one file"));
    const bool json = parsed.has(QStringLiteral("--json"));

    bool anyUnread = false;
    for (const QString& file : parsed.positional) {
        TMP3Info info;
        QString ioError;
        try {
            info.setFilename(file);
        } catch (const EInOutError& e) {
            ioError = e.message();
        }
        const bool valid = ioError.isEmpty() && info.valid();
        const QString error = !ioError.isEmpty() ? ioError : valid ? QString() : info.error();
        // A file without a tag was still read; a missing or unreadable one was not.
        if (!ioError.isEmpty() || !QFileInfo::exists(file))
            anyUnread = true;
        CliRecord()
            .add(QStringLiteral("file"), file)
            .add(QStringLiteral("valid"), valid)
            .add(QStringLiteral("error"), error)
            .add(QStringLiteral("title"), info.title())
            .add(QStringLiteral("artist"), info.artist())
            .add(QStringLiteral("album"), info.album())
            .add(QStringLiteral("year"), info.year())
            .add(QStringLiteral("comment"), info.comment())
            .add(QStringLiteral("genre_id"), valid ? QJsonValue(int(info.genreID())) : QJsonValue())
            .add(QStringLiteral("genre"),
                 valid ? GenreLists::intake().value(info.genreID()) : QString())
            .print(context.out, json);
    }
    return anyUnread ? 1 : 0;
}

// Rewrites the tag of one file that has one. Input/output errors reach main(), which prints
// them and exits with 1.
int setTag(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(
        args, {},
        {titleOption, artistOption, albumOption, yearOption, commentOption, genreIdOption});
    if (parsed.positional.size() != 1)
        throw CliUsageError(QStringLiteral("tag set needs exactly one file"));

    int genreID = -1;
    if (parsed.has(genreIdOption)) {
        bool ok = false;
        genreID = parsed.value(genreIdOption).toInt(&ok);
        if (!ok || genreID < 0 || genreID > 255)
            throw CliUsageError(QStringLiteral("--genre-id must be a number from 0 to 255"));
    }

    TMP3Info info;
    info.setFilename(parsed.positional.first());
    if (parsed.has(titleOption))
        info.setTitle(parsed.value(titleOption));
    if (parsed.has(artistOption))
        info.setArtist(parsed.value(artistOption));
    if (parsed.has(albumOption))
        info.setAlbum(parsed.value(albumOption));
    if (parsed.has(yearOption))
        info.setYear(parsed.value(yearOption));
    if (parsed.has(commentOption))
        info.setComment(parsed.value(commentOption));
    if (genreID >= 0)
        info.setGenreID(static_cast<quint8>(genreID));
    info.save();
    if (!info.valid()) {
        context.err << info.error() << '\n';
        context.err.flush();
        return 1;
    }
    return 0;
}

} // namespace

int runTagCommand(CliContext& context, const QStringList& args)
{
    const QString sub = args.value(0);
    if (sub == QLatin1String("show"))
        return showTags(context, args.mid(1));
    if (sub == QLatin1String("set"))
        return setTag(context, args.mid(1));
    throw CliUsageError(sub.isEmpty() ? QStringLiteral("tag needs show or set")
                                      : QStringLiteral("Unknown tag command %1").arg(sub));
}
