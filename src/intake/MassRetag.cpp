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

// The chosen fields into the reader; the others keep what the file holds.
void setChosen(TMP3Info& reader, const Values& values)
{
    if (values.artist)
        reader.setArtist(*values.artist);
    if (values.album)
        reader.setAlbum(*values.album);
    if (values.comment)
        reader.setComment(*values.comment);
    if (values.year)
        reader.setYear(*values.year);
    if (values.genre)
        reader.setGenreID(TagSave::tagGenreID(*values.genre));
}

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

QString statement(const QString& id, const Values& values)
{
    QStringList assignments;
    const auto assign = [&](const char* column, const std::optional<QString>& value, bool encode) {
        if (value)
            assignments << Statements::retagAssignment(
                QLatin1String(column), encode ? TextCodec::reFilter(*value) : *value);
    };
    assign("artist", values.artist, true);
    assign("genre", values.genre, true);
    assign("album", values.album, true);
    assign("comment", values.comment, true);
    assign("syear", values.year, false);
    return Statements::updateRetag(id, assignments);
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
        SongReport song;
        song.id = ids.at(index);
        song.filename = filenames.value(song.id);
        // The row and the tag of one song are one transaction: the row is committed only once
        // its tag is written, so a kill or a failure leaves each song either changed in both or
        // in neither (but the one being written at that moment).
        Transaction transaction(database);
        update.setSql(statement(song.id, values));
        update.execSQL();
        if (update.rowsAffected() == 0) {
            // Deleted since the window listed it (another window, the command line).
            song.tag = TagOutcome::LeftAlone;
            song.reason = QStringLiteral("The song is no longer in the song table");
        } else {
            bool written = false;
            const TagSave::Result tag = TagSave::writeTag(
                song.filename, [&values](TMP3Info& reader) { setChosen(reader, values); },
                &written);
            song.tag = tag.tag;
            song.reason = tag.reason;
            // A failed ID3v2 tag after the ID3v1 tag was written keeps the row: the catalogue
            // goes by the ID3v1 tag. The run stops there all the same.
            if (song.tag != TagOutcome::Failed || written) {
                transaction.commit();
                ++result.changed;
                ++(written ? result.tagsWritten : result.tagsLeftAlone);
            }
            if (song.tag == TagOutcome::Failed)
                result.error = failureText(song);
        }
        if (sink)
            sink(song);
        if (progress && (index % step == 0 || index == maximum))
            progress(index, maximum, QString());
    }

    // The parameter dialog's artist cache is made again from the table when it is missing.
    if (result.changed > 0)
        QFile::remove(Home::file(home, QStringLiteral("Artists.dat")));
    return result;
}

} // namespace MassRetag
