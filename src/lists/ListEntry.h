#pragma once

#include <QString>

#include <array>

// One row of a list window: the artist as caption and twelve sub-values, in column order.
struct ListEntry
{
    enum Sub {
        Title,
        Length,
        Filename, // the path at which the file was found, else the stored one
        Album,
        Comment,
        Year,
        Genre,
        Frequency,
        Bitrate,
        ID,
        Location, // medium name with its kind marker
        Played,
    };
    static constexpr int subCount = 12;

    QString caption;
    std::array<QString, subCount> sub;
    bool available = false; // row image 0 when true, 1 when not
    // Row image 6 instead: a file on another computer, found by an Internet search.
    bool remote = false;

    const QString& value(Sub which) const { return sub[which]; }
};
