#pragma once

#include <QString>

// The columns of the song table, in table order.
enum class SongColumn {
    ID,
    Artist,
    Title,
    Filename,
    Location,
    Track_Length,
    Genre,
    Album,
    Bitrate,
    Frequency,
    Comment,
    SYear,
    Played,
};

constexpr int songColumnCount = 13;

// The column's name as the table spells it.
QString songColumnName(SongColumn column);

// True for the columns whose text is stored encoded by the text codec.
bool isEncodedColumn(SongColumn column);
