#include "intake/TagSave.h"

#include "db/RQuery.h"
#include "db/Song.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "intake/GenreLists.h"
#include "intake/TMP3Info.h"
#include "platform/Errors.h"
#include "platform/Home.h"

#include <QFile>

namespace TagSave {

namespace {

const QString noGenreText =
    QStringLiteral("No genre is chosen. Pick the song's genre; nothing was saved.");

} // namespace

Result writeTag(const QString& filename, const std::function<void(TMP3Info&)>& set,
                bool* version1Saved)
{
    // A fresh reader: a file without a tag must not be given the values of a file read before.
    TMP3Info reader;
    Result result;
    try {
        reader.openForUpdate(filename);
        if (!reader.valid())
            return {TagOutcome::LeftAlone, reader.error()};
        set(reader);
        reader.save();
        // Refused although the read found a tag: the file was replaced in between.
        if (!reader.valid())
            result = {TagOutcome::LeftAlone, reader.error()};
    } catch (const TamboroError& e) {
        result = {TagOutcome::Failed, e.message()};
    }
    if (version1Saved)
        *version1Saved = reader.version1Saved();
    return result;
}

quint8 tagGenreID(const QString& genre)
{
    const qsizetype last = GenreLists::intake().lastIndexOf(genre);
    return last < 0 ? 0 : static_cast<quint8>(last);
}

QString statement(const Fields& fields)
{
    Song song;
    song.artist = TextCodec::reFilter(fields.artist);
    song.title = TextCodec::reFilter(fields.title);
    song.genre = TextCodec::reFilter(fields.genre);
    song.filename = TextCodec::reFilter(fields.filename);
    song.album = TextCodec::reFilter(fields.album);
    song.comment = TextCodec::reFilter(fields.comment);
    song.year = fields.year;
    return Statements::updateTags(fields.id, song);
}

Result save(UQuery& update, const QString& home, const Fields& fields)
{
    if (fields.genre.isEmpty())
        throw TamboroError(noGenreText);
    update.setSql(statement(fields));
    update.execSQL();

    const Result result = writeTag(fields.filename, [&fields](TMP3Info& reader) {
        reader.setArtist(fields.artist);
        reader.setTitle(fields.title);
        reader.setComment(fields.comment);
        reader.setAlbum(fields.album);
        reader.setYear(fields.year);
        reader.setGenreID(tagGenreID(fields.genre));
    });
    // The cache of the parameter dialog is made again from the table when it is missing. A
    // file that cannot be deleted leaves the old cache, as a cache it only costs freshness.
    QFile::remove(Home::file(home, QStringLiteral("Artists.dat")));
    return result;
}

QString failureText(const Fields& fields, const Result& result)
{
    if (result.tag != TagOutcome::Failed)
        return QString();
    return QStringLiteral("The changes are saved in the song table, but the tag of \"%1\" could "
                          "not be written:\n%2")
        .arg(fields.filename, result.reason);
}

std::optional<Fields> load(SongDatabase& database, const QString& id)
{
    RQuery query(database);
    query.setSql(Statements::selectById(id));
    query.open();
    query.first();
    if (query.eof())
        return std::nullopt;
    Fields fields;
    fields.id = query.field(SongColumn::ID);
    fields.artist = TextCodec::filter(query.field(SongColumn::Artist));
    fields.title = TextCodec::filter(query.field(SongColumn::Title));
    fields.filename = TextCodec::filter(query.field(SongColumn::Filename));
    fields.album = TextCodec::filter(query.field(SongColumn::Album));
    fields.comment = TextCodec::filter(query.field(SongColumn::Comment));
    fields.year = query.field(SongColumn::SYear);
    fields.genre = query.field(SongColumn::Genre);
    query.close();
    return fields;
}

} // namespace TagSave
