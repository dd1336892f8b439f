#pragma once

#include "intake/TagSave.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class SongDatabase;

// The mass re-tagger's run: chosen fields set to one value for many songs, in the song table
// and in the ID3v1 tags of their files. The window and the command-line `retag` collect the
// values and call run().
namespace MassRetag {

// The fields to change, each with its value as typed (not encoded); a field left empty
// (nothing) is not changed. Genre is a name of the pick list.
struct Values
{
    std::optional<QString> artist{}, genre{}, album{}, comment{}, year{};

    bool anyChosen() const { return artist || genre || album || comment || year; }
    bool operator==(const Values&) const = default;
};

// The update statement of one song: the chosen fields in the order artist, genre, album,
// comment, year, their texts in stored form (the text codec), the year as it stands. Throws
// EDatabaseError when `id` is no number or the year holds a double quote.
QString statement(const QString& id, const Values& values);

// What became of one song.
struct SongReport
{
    QString id;
    QString filename; // as the table names it, decoded; empty when the row is gone
    TagSave::TagOutcome tag = TagSave::TagOutcome::Written;
    QString reason{}; // LeftAlone: why the tag was left as it was; Failed: the error
};

struct Result
{
    int total = 0;         // songs asked for
    int changed = 0;       // rows committed
    int tagsWritten = 0;   // of those, files whose tag now holds the values
    int tagsLeftAlone = 0; // of those, files without an ID3v1 tag, missing or WMA
    // Why the run stopped before its end; empty when it ran through. The songs before the one
    // it stopped at are changed in both table and tag, the ones after it in neither.
    QString error{};

    bool stopped() const { return !error.isEmpty(); }
};

// How far the run got, in the gauge's shape; called from the thread run() runs on.
using Progress = std::function<void(int position, int maximum, const QString& text)>;
// Each song once it is done with (committed, or the one the run stopped at).
using SongSink = std::function<void(const SongReport& song)>;

// Changes the songs `ids` in this order, each in a transaction of its own: the row is updated,
// the tag written, and only then the row committed, so that a song whose tag fails (or a
// process killed between the two) keeps its old row. A file whose ID3v1 tag went in but whose
// ID3v2 tag failed keeps the new row, as the catalogue goes by the ID3v1 tag; the run stops
// there all the same. Nothing is written when no field is chosen or the statement cannot be
// built (TamboroError, thrown before the first song). Once songs were changed, "Artists.dat"
// of `home` is deleted.
Result run(SongDatabase& database, const QString& home, const QStringList& ids,
           const Values& values, const Progress& progress = {}, const SongSink& sink = {});

// The message a user gets when nothing is chosen.
QString nothingChosenText();

} // namespace MassRetag
