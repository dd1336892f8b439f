#pragma once

#include <QString>

class RQuery;

// One song as the song table holds it: every column as text. Whether the texts are in stored
// (encoded) or plain form is up to the holder; the insert statements want the stored form.
//
// The eleven texts an insert writes come first, in the order of its column list, so a song can
// be written as a braced list of them. Every field starts empty, so a braced or designated list
// names only the fields it has.
struct Song
{
    QString artist{}, title{}, filename{}, trackLength{}, location{}, genre{}, album{}, bitrate{},
        frequency{}, comment{}, year{};
    // What the table keeps for itself: it numbers the rows and counts the plays. A new song
    // goes in without them; a row read back has them.
    QString id{}, played{};

    // The song with artist, title, filename, album and comment encoded by TextCodec::reFilter:
    // the texts a song read from a file gets before it is stored. Genre and year stay as the
    // tag has them.
    Song storedForm() const;

    bool operator==(const Song&) const = default;
};

// The current row of an open query, every column as stored (nothing decoded).
Song songFromRecord(const RQuery& query);
