#include "db/Song.h"

#include "db/RQuery.h"
#include "db/TextCodec.h"

Song Song::storedForm() const
{
    Song stored = *this;
    stored.artist = TextCodec::reFilter(artist);
    stored.title = TextCodec::reFilter(title);
    stored.filename = TextCodec::reFilter(filename);
    stored.album = TextCodec::reFilter(album);
    stored.comment = TextCodec::reFilter(comment);
    return stored;
}

Song songFromRecord(const RQuery& query)
{
    Song song;
    song.artist = query.field(SongColumn::Artist);
    song.title = query.field(SongColumn::Title);
    song.filename = query.field(SongColumn::Filename);
    song.trackLength = query.field(SongColumn::Track_Length);
    song.location = query.field(SongColumn::Location);
    song.genre = query.field(SongColumn::Genre);
    song.album = query.field(SongColumn::Album);
    song.bitrate = query.field(SongColumn::Bitrate);
    song.frequency = query.field(SongColumn::Frequency);
    song.comment = query.field(SongColumn::Comment);
    song.year = query.field(SongColumn::SYear);
    song.id = query.field(SongColumn::ID);
    song.played = query.field(SongColumn::Played);
    return song;
}
