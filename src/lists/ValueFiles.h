#pragma once

#include "db/Statements.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class SongDatabase;

// The value files of the home that the dialog "Load a list by specifying parameters" offers its
// values from: "Artists.dat", "Genres.dat", "Mediums.dat", "Albums.dat" and "Years.dat", one
// value per line, lines ended by CR LF, UTF-8 (a line that is not UTF-8 is read as Windows-1252).
//
// What a file holds, and what a value looks like in the dialog (its caption):
// - artists and albums: the text decoded (the song table holds them encoded);
// - genres and years: the text as the song table holds it (the add run stores them as the tag
//   has them, so decoding would turn a "|" of their own into a different text);
// - mediums: the location as stored, medium name and marker; the caption is the name.
// Each file lists its values sorted by caption, the order the dialog shows.
namespace ValueFiles {

using Kind = Statements::ParameterKind;
inline constexpr int kindCount = 5;
// Every kind, in the dialog's order (the order of the Kind enumeration).
inline constexpr std::array<Kind, kindCount> kinds = {Kind::Artist, Kind::Genre, Kind::Medium,
                                                      Kind::Album, Kind::Year};
inline constexpr int index(Kind kind)
{
    return static_cast<int>(kind);
}

// "Artists.dat", "Genres.dat", ...
QString fileName(Kind kind);

// One value list per kind, indexed by index(kind).
struct Lists
{
    std::array<QStringList, kindCount> values;

    QStringList& of(Kind kind) { return values[std::size_t(index(kind))]; }
    const QStringList& of(Kind kind) const { return values[std::size_t(index(kind))]; }
    friend bool operator==(const Lists&, const Lists&) = default;
};

// Called with the steps done so far and the number of steps.
using Progress = std::function<void(int done, int total)>;

// What the dialog shows for a value of the kind: the medium name for a location (its marker
// is the row's picture), the value itself for the other kinds.
QString caption(Kind kind, const QString& value);
// The medium-kind marker of a location (its last character); a null character otherwise.
QChar marker(Kind kind, const QString& value);
// The value a ticked row puts into its statement term: artists and albums encoded as the song
// table holds them, the other kinds exactly as shown.
QString termValue(Kind kind, const QString& caption);
// Sorts values by their captions as the dialog shows them: letter case aside first, then
// exactly; ties between mediums of one name by their marker.
void sortByCaption(Kind kind, QStringList& values);
// Sorts captions themselves in that order.
void sortCaptions(QStringList& captions);

// Whether the files are there to be read: "Artists.dat" alone decides.
bool present(const QString& home);

// The five lists from the song table: each kind's distinct values that are not empty, in the
// form of its file, sorted. A value with a line break is left out: a file of lines cannot
// hold it. Throws EDatabaseError when the song table cannot be read.
Lists build(SongDatabase& database, const Progress& progress = {});

// Writes the five files, each whole or not at all, "Artists.dat" last. When one cannot be
// written, EInOutError is thrown and "Artists.dat" is removed, so that the next opening of the
// dialog builds them all again rather than read a set that does not belong together.
void write(const QString& home, const Lists& lists);

// Reads the five files in file order; blank lines are skipped. Throws EInOutError when one of
// them is missing or cannot be read.
Lists read(const QString& home, const Progress& progress = {});

// The lists the dialog fills itself from: read when "Artists.dat" and its four companions are
// there; built from the song table and written otherwise (a missing companion means the set
// is incomplete, and all five are made again). `built` says which happened.
struct Loaded
{
    Lists lists;
    bool built = false;
};
Loaded load(SongDatabase& database, const Progress& progress = {});

} // namespace ValueFiles
