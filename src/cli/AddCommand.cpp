#include "cli/Commands.h"

#include "container/EmbeddedFiles.h"
#include "container/StartupFiles.h"
#include "container/TFileSource.h"
#include "db/SongDatabase.h"
#include "intake/AddQueue.h"
#include "intake/IntakeRun.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "platform/Volumes.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace {

const char* const kindNames[] = {"double", "recognized", "bad", "moved"};

// The medium a path lies on: the volume whose root is the longest prefix of it.
std::optional<VolumeInfo> mediumOf(const QString& path, const QList<VolumeInfo>& volumes)
{
    std::optional<VolumeInfo> best;
    for (const VolumeInfo& volume : volumes) {
        const QString root =
            volume.root.endsWith(QLatin1Char('/')) ? volume.root : volume.root + QLatin1Char('/');
        const bool inside = path == volume.root || path.startsWith(root);
        if (inside && (!best || volume.root.size() > best->root.size()))
            best = volume;
    }
    return best;
}

// Writes the decoder library and the empty song table into the home when they are not there,
// as the program's start-up does; files already there are never replaced.
void prepareHome(const QString& home)
{
    SystemClock clock;
    const std::unique_ptr<TFileSource> library =
        EmbeddedFiles::load(EmbeddedFiles::DllContainer, clock);
    const std::unique_ptr<TFileSource> table =
        EmbeddedFiles::load(EmbeddedFiles::DatabaseContainer, clock);
    const StartupFiles::TickResult result = StartupFiles::validatorTick(home, *library, *table);
    if (!result.libraryInPlace)
        throw EInOutError(QStringLiteral("Cannot write the decoder library into %1").arg(home));
    if (!result.songTableInPlace)
        throw EInOutError(QStringLiteral("Cannot write the song table into %1").arg(home));
}

// The queue: files as given, folders scanned breadth first for *.mp3 and *.wma (any letter
// case), every name made absolute. A path that does not exist is left out and named in
// `missing`: it is a mistake in the command, not a bad file on the medium. A song file typed
// with a name that is not UTF-8 does exist: it is queued as the folder scan lists it, so that
// the run reports it as a bad file with the reason, as it does when the folder is added.
QStringList queueOf(const QStringList& paths, QStringList& missing)
{
    QStringList queue;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        const QString absolute = QDir::cleanPath(info.absoluteFilePath());
        const bool undecodable = !info.exists() && AddQueue::isUndecodableName(absolute) &&
                                 AddQueue::filesIn(info.absolutePath()).contains(info.fileName());
        if (undecodable)
            queue << absolute;
        else if (!info.exists())
            missing << path;
        else if (info.isDir())
            queue += AddQueue::scanFiles(absolute);
        else
            queue << absolute;
    }
    return queue;
}

} // namespace

// Adds files to the song table the way the add-files window does, and prints the report.
int runAddCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed =
        parseCliArgs(args,
                     {QStringLiteral("--json"), QStringLiteral("--same-medium-only"),
                      QStringLiteral("--progress")},
                     {QStringLiteral("--medium"), QStringLiteral("--kind")});
    if (parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("add needs at least one file or folder"));
    const bool json = parsed.has(QStringLiteral("--json"));

    const QString first = QDir::cleanPath(QFileInfo(parsed.positional.first()).absoluteFilePath());
    const std::optional<VolumeInfo> medium = mediumOf(first, SystemVolumes().volumes());

    IntakeOptions options;
    options.mediumName = parsed.has(QStringLiteral("--medium"))
                             ? parsed.value(QStringLiteral("--medium"))
                             : (medium ? medium->label : QString());
    options.marker = medium ? medium->kind : QLatin1Char('!');
    if (parsed.has(QStringLiteral("--kind"))) {
        const QString kind = parsed.value(QStringLiteral("--kind"));
        if (kind == QLatin1String("hd"))
            options.marker = QLatin1Char('!');
        else if (kind == QLatin1String("cd"))
            options.marker = QLatin1Char('@');
        else if (kind == QLatin1String("net"))
            options.marker = QLatin1Char('R');
        else
            throw CliUsageError(QStringLiteral("--kind is hd, cd or net, not %1").arg(kind));
    }
    // Tags are written back only on a disk that can take them.
    options.writableMedium =
        options.marker != QLatin1Char('@') && (!medium || (medium->ready && medium->freeBytes > 0));
    options.sameFilesFromDifferentMediums = !parsed.has(QStringLiteral("--same-medium-only"));
    options.readId3v2Tags = SettingsStore().flag(QLatin1String(SettingsStore::ReadID3v2Tags));

    const QString problem = mediumNameProblem(options.mediumName);
    if (!problem.isEmpty()) {
        context.err << problem << '\n';
        context.err.flush();
        return 2;
    }

    const QString home = Home::ensure(context.home);
    prepareHome(home);
    QStringList missing;
    const QStringList queue = queueOf(parsed.positional, missing);
    for (const QString& path : missing)
        context.err << missingPathText(path) << '\n';
    context.err.flush();

    IntakeRun::Progress progress;
    if (parsed.has(QStringLiteral("--progress"))) {
        progress = [&context](int position, int maximum, const QString& text) {
            if (maximum > 0) {
                context.err << "progress " << position << '/' << maximum << ' ' << text << '\n';
                context.err.flush();
            }
        };
    }
    SongDatabase database(home);
    IntakeRun run(database, home, options);
    const IntakeResult result = run.run(queue, progress);

    for (const ReportRow& row : result.rows) {
        if (json) {
            CliRecord record;
            record.add(QStringLiteral("kind"), QLatin1String(kindNames[row.picture]))
                .add(QStringLiteral("artist"), row.artist)
                .add(QStringLiteral("title"), row.title)
                .add(QStringLiteral("filename"), row.fileName);
            if (row.picture == ReportRow::Bad)
                record.add(QStringLiteral("reason"), row.reason);
            record.print(context.out, true);
        } else {
            context.out << IntakeReport::reportLine(row) << '\n';
        }
    }
    const IntakeFigures& figures = result.figures;
    CliRecord totals;
    totals.add(QStringLiteral("added"), figures.added)
        .add(QStringLiteral("doubles"), figures.doubles)
        .add(QStringLiteral("bad"), figures.bad)
        .add(QStringLiteral("total"), figures.total)
        .add(QStringLiteral("full"), figures.full)
        .add(QStringLiteral("partial"), figures.partial);
    // Only a run that found moved songs says so: scripts reading the figures see what they
    // always saw.
    if (figures.moved > 0)
        totals.add(QStringLiteral("moved"), figures.moved);
    totals.print(context.out, json);
    return missing.isEmpty() ? 0 : 1;
}
