#pragma once

#include "db/Song.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Every SQL statement the program sends to the song table, one function each, written in the
// dialect of the song table (double-quoted literals; see SqlDialect). Values marked "stored
// form" must already be encoded with TextCodec::reFilter by the caller.
//
// A value that goes between double quotes must not contain a double quote itself: the
// statement would end the literal there and mean something else. Such a value raises
// EDatabaseError instead of producing a statement. IDs and counts must be whole numbers.
namespace Statements {

// ---- Read statements ----
QString selectAllByArtistTitle();
QString selectAll(); // base query of a whole-database window
QString selectAllById();
QString selectTopPlayed();
QString selectByIds(const QStringList& ids); // ID="17" form
QString selectHardDiskSongs();
// The existence check needs only these two columns of the hard-disk songs.
QString selectHardDiskIdsAndFilenames();
// Duplicate test; artist and title in stored form. `location` (medium name + marker) adds the
// medium condition when not null.
QString selectDuplicate(const QString& artist, const QString& title, const QString& trackLength,
                        const QString& location = QString());
QString selectArtistLike(const QString& pattern);
// Rows whose artist equals `artist` but for the letter case of A-Z, newest first: what the
// recognition's spelling look-up needs of the artist-like pattern, answered from the index.
QString selectArtistSpellings(const QString& artist);
QString selectArtistEquals(const QString& artist);
QString selectById(const QString& id); // ID=17 form
QString selectArtistsOrdered();

// Load by parameters. A group is the condition text of one kind, made of terms.
enum class ParameterKind { Artist, Genre, Medium, Album, Year };
// `value` in stored form; `first` picks the form without the leading " or ". A medium's name
// is matched as the beginning of the location; a "%" or "_" in it is escaped, so that it
// matches only itself.
QString parameterTerm(ParameterKind kind, const QString& value, bool first);
// The groups that are not empty, each in parentheses, joined by " and ".
QString parameterConditions(const QStringList& groups);
QString selectByParameters(const QString& conditions); // base query + " order by artist, title"
QString parameterBaseQuery(const QString& conditions); // without the order clause
// The values of one kind as the song table holds them, each once ("select distinct genre from
// tamboro"): what the dialog's value lists are made of.
QString selectDistinctValues(ParameterKind kind);

// FastSearch: one group per case variant, joined by " or ".
QString fastSearchGroup(const QString& variant);
QString selectFastSearch(const QStringList& variants);
// FastSearch as the list window runs it: a keyword's group holds when the case-folded artist
// or title contains any of its forms (each in stored form and case-folded, see CaseFold); the
// groups are joined by " or ", or by " and " when every keyword must be found. A form is
// matched as it stands: "%" and "_" are characters like any other. More than 64 groups are
// nested in parentheses of 64.
QString fastSearchKeywordGroup(const QStringList& foldedForms);
QString selectFastSearchFolded(const QStringList& groups, bool everyGroup);

// Songs of a user list file: one term per line, whose "like" pattern (stored form) is the
// line's drive, "%", its separator and its file name.
QString userListFileTerm(const QString& pattern);
QString selectUserListFiles(const QStringList& patterns);
// Every song's ID and stored file name, for finding the songs of user list lines.
QString selectIdsAndFilenames();

// A window's base query with an order clause such as " order by artist asc, title asc".
QString withOrder(const QString& baseQuery, const QString& orderClause);

QString selectConvertedRemovable();

// ---- Change statements ----
// Adding a song; artist, title, filename, album and comment in stored form (Song::storedForm).
// The table numbers the row and starts its play count at 0: the song's id and played are not
// used.
QString insertSong(const Song& song);
QString deleteBadFiles();
// Tag editor: the row `id` gets the song's artist, title, genre, filename, album, comment and
// year; all but the year in stored form. The song's other fields are not used.
QString updateTags(const QString& id, const Song& song);
// Mass re-tagger: one assignment per changed column, e.g. retagAssignment("artist", v), each
// on a line of its own and a line ", " between two.
QString retagAssignment(const QString& column, const QString& value);
QString updateRetag(const QString& id, const QStringList& assignments);
QString updatePlayed(qint64 played, const QString& id);       // ID=17 form
QString updatePlayedQuoted(qint64 played, const QString& id); // ID="17" form
QString deleteByFilename(const QString& filename);
QString deleteById(const QString& id);
// A song whose file was found again elsewhere: its (encoded) file name and location, nothing else.
QString updateMoved(const QString& id, const QString& filename, const QString& location);
// Copying rows between tables; values are the stored texts of the row read, unchanged
// (songFromRecord), its play count included. The target table numbers the row anew.
QString insertIntoConverted(const Song& row);
QString insertCopiedRow(const Song& row);
// Re-indexing: every row of the song table copied into "converted" in one statement, in
// artist and title order (ties by ID), each value as the engine holds it; the copies are
// numbered anew. The old IDs in the order of the copy tell which new ID each row got.
QString copyAllIntoConverted();
QString selectIdsInCopyOrder();
QString countConverted();

// The personal sharing server. Its search: the hard-disk songs whose case-folded artist and
// title contain the given forms (stored form, case-folded; an empty form adds no condition),
// in artist and title order, ties by ID.
QString selectShareSearch(const QString& foldedArtist, const QString& foldedTitle);
// The rows whose stored file name is exactly `filename` (stored form), with its letter case.
QString selectByFilename(const QString& filename);

} // namespace Statements
