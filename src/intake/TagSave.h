#pragma once

#include <QString>

#include <functional>
#include <optional>

class SongDatabase;
class TMP3Info;
class UQuery;

// "Save changes" of the tag editor: the song's row of the song table first, then the ID3v1 tag
// of its file through TMP3Info, then the artist cache of the parameter dialog is dropped. The
// window collects the texts and refreshes the lists; the command-line `edit` does the same
// with texts of its own.
namespace TagSave {

// What the editor holds when the user saves: its texts as they stand, not encoded.
struct Fields
{
    QString id; // the row's ID; "n/a" while nothing was loaded
    QString artist{}, title{}, filename{}, album{}, comment{}, year{};
    QString genre{}; // the chosen genre name; empty when none is chosen

    bool operator==(const Fields&) const = default;
};

// What became of the file's tag. The song table was changed in every case.
enum class TagOutcome {
    Written,
    // The file has no ID3v1 tag or does not exist: tags are only ever rewritten in place.
    LeftAlone,
    // Opening, reading or writing the file failed: its bytes are as they were.
    Failed,
};

struct Result
{
    TagOutcome tag = TagOutcome::Written;
    QString reason{}; // LeftAlone: the tag reader's reason; Failed: the input/output error
};

// Writes the tag of `filename` in place: reads it, lets `set` change the reader's values, saves
// (the ID3v1 tag, and for the values set an ID3v2 tag the file has). LeftAlone when the file
// has no ID3v1 tag or is gone, Failed with the input/output error. `version1Saved`, when
// given, tells whether the ID3v1 tag went in: it may have although the ID3v2 tag then failed.
Result writeTag(const QString& filename, const std::function<void(TMP3Info&)>& set,
                bool* version1Saved = nullptr);

// The genre number the tag gets for a genre name: its last equal entry in GenreLists::intake(),
// 0 when none is equal (the pick list's "Folk/Rock" and "Fast-Fusion").
quint8 tagGenreID(const QString& genre);

// The update statement of the row: artist, title, genre, file name, album and comment encoded,
// year and ID as they stand. Throws EDatabaseError when the ID is no number or the year holds a
// double quote.
QString statement(const Fields& fields);

// Saves the fields. Before anything is written it throws TamboroError when no genre is chosen
// and EDatabaseError when the statement cannot be built or the engine refuses it. Once the row
// is updated, a failure of the tag is reported in the result, not thrown, and "Artists.dat" of
// `home` is deleted whatever became of the tag: the table changed either way.
Result save(UQuery& update, const QString& home, const Fields& fields);

// The text the user is shown when the tag could not be written; empty otherwise.
QString failureText(const Fields& fields, const Result& result);

// The row `id` as the editor shows it: texts decoded, genre and year as stored. Nothing when
// the table has no such row; EDatabaseError when `id` is no number.
std::optional<Fields> load(SongDatabase& database, const QString& id);

} // namespace TagSave
