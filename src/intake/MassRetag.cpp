#include "intake/MassRetag.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "intake/TMP3Info.h"
#include "platform/Errors.h"
#include "platform/Home.h"

#include <QFile>
#include <QHash>

#include <memory>
#include <optional>

namespace MassRetag {

namespace {

using TagSave::TagOutcome;

// The file name of every asked-for row, decoded, by ID: one read for the whole run instead of
// one a song. The run changes no file name, so the names read first are the names after each
// update.
QHash<QString, QString> filenamesOf(SongDatabase& database, const QStringList& ids)
{
    QHash<QString, QString> names;
    if (ids.isEmpty())
        return names;
    RQuery query(database);
    query.setSql(Statements::selectByIds(ids));
    query.open();
    for (query.first(); !query.eof(); query.next())
        names.insert(query.field(SongColumn::ID),
                     TextCodec::filter(query.field(SongColumn::Filename)));
    query.close();
    return names;
}

// One song's file, read for the update that follows: a fresh reader for every file, so that a
// file without a tag is never given the values of the one before.
struct TagWork
{
    SongReport report;
    std::unique_ptr<TMP3Info> reader = std::make_unique<TMP3Info>();
    bool written = false;
    bool rowGone = false;

    void read()
    {
        try {
            reader->openForUpdate(report.filename);
            if (!reader->valid()) {
                report.tag = TagOutcome::LeftAlone;
                report.reason = reader->error();
            }
        } catch (const TamboroError& e) {
            report.tag = TagOutcome::Failed;
            report.reason = e.message();
        }
    }

    // The chosen fields set, the others as the file holds them, and saved: into the ID3v1 tag
    // and, for the fields set, into an ID3v2 tag the file has.
    void write(const Values& values)
    {
        if (values.artist)
            reader->setArtist(*values.artist);
        if (values.album)
            reader->setAlbum(*values.album);
        if (values.comment)
            reader->setComment(*values.comment);
        if (values.year)
            reader->setYear(*values.year);
        if (values.genre)
            reader->setGenreID(TagSave::tagGenreID(*values.genre));
        try {
            reader->save();
            if (!reader->valid()) {
                // Refused although the read found a tag: the file was replaced in between.
                report.tag = TagOutcome::LeftAlone;
                report.reason = reader->error();
            }
        } catch (const TamboroError& e) {
            report.tag = TagOutcome::Failed;
            report.reason = e.message();
        }
        written = reader->version1Saved();
    }
};

QString failureText(const SongReport& song)
{
    return QStringLiteral("The mass re-tag stopped at \"%1\" (ID %2): %3")
        .arg(song.filename, song.id, song.reason);
}

// The gauge moves in at most this many steps: each step crosses to the window's thread.
constexpr int gaugeSteps = 200;

} // namespace

QString nothingChosenText()
{
    return QStringLiteral("You must have at least one parameter selected to change!");
}

static QList<QPair<QString, QString>> assignments(const Values& values)
{
    QList<QPair<QString, QString>> list;
    const auto assign = [&](const char* column, const std::optional<QString>& value, bool encode) {
        if (value)
            list.append({QLatin1String(column), encode ? TextCodec::reFilter(*value) : *value});
    };
    assign("artist", values.artist, true);
    assign("genre", values.genre, true);
    assign("album", values.album, true);
    assign("comment", values.comment, true);
    assign("syear", values.year, false);
    return list;
}

QString statement(const QString& id, const Values& values)
{
    QStringList lines;
    for (const auto& [column, value] : assignments(values))
        lines << Statements::retagAssignment(column, value);
    return Statements::updateRetag(id, lines);
}

Result run(SongDatabase& database, const QString& home, const QStringList& ids,
           const Values& values, const Progress& progress, const SongSink& sink)
{
    if (!values.anyChosen())
        throw TamboroError(nothingChosenText());
    Result result;
    result.total = int(ids.size());
    if (ids.isEmpty())
        return result;
    // A value the engine cannot take fails here, before the first song, not half-way through.
    statement(ids.first(), values);

    const QHash<QString, QString> filenames = filenamesOf(database, ids);
    const int maximum = result.total - 1;
    const int step = std::max(1, result.total / gaugeSteps);
    if (progress)
        progress(0, maximum, QString());

    UQuery update(database);
    for (int index = 0; index < result.total && !result.stopped(); ++index) {
        TagWork work;
        work.report.id = ids.at(index);
        work.report.filename = filenames.value(work.report.id);
        work.read();
        if (work.report.tag != TagOutcome::Failed) {
            // The row and the tag of one song are one transaction: the row is committed only
            // once its tag is written, so a kill or a failure leaves each song either changed
            // in both or in neither (but the one being written at that moment).
            Transaction transaction(database);
            update.setSql(statement(work.report.id, values));
            update.execSQL();
            if (update.rowsAffected() == 0) {
                // Deleted since the window listed it (another window, the command line).
                work.rowGone = true;
                work.report.tag = TagOutcome::LeftAlone;
                work.report.reason = QStringLiteral("The song is no longer in the song table");
            } else if (work.report.tag == TagOutcome::Written) {
                work.write(values);
            }
            // A failed ID3v2 tag after the ID3v1 tag was written keeps the row: the catalogue
            // goes by the ID3v1 tag. The run stops there all the same.
            if (!work.rowGone && (work.report.tag != TagOutcome::Failed || work.written)) {
                transaction.commit();
                ++result.changed;
                ++(work.written ? result.tagsWritten : result.tagsLeftAlone);
            }
        }
        if (work.report.tag == TagOutcome::Failed)
            result.error = failureText(work.report);
        if (sink)
            sink(work.report);
        if (progress && (index % step == 0 || index == maximum))
            progress(index, maximum, QString());
    }

    // The parameter dialog's artist cache is made again from the table when it is missing.
    if (result.changed > 0)
        QFile::remove(Home::file(home, QStringLiteral("Artists.dat")));
    return result;
}

} // namespace MassRetag
