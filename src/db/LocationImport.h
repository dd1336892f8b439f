#pragma once

#include "platform/LegacyText.h"

#include <QString>

#include <functional>
#include <optional>

// Importing locations: the songs of another installation that are on changeable media (CDs)
// or network shares are copied into this song table, so that they show in the lists and play
// whenever their medium is present. The other table may be a "tamboro.db" of this program or
// the "TAMBORO.DB" of the Windows program (a Paradox table).
namespace LocationImport {

enum class SourceKind { SongTable, WindowsTable };

struct Result
{
    SourceKind kind = SourceKind::SongTable;
    int imported = 0;
};

// Called with the rows copied so far and the rows to copy.
using Progress = std::function<void(int done, int total)>;

// The scratch copy of the other table in the home while an import runs.
inline constexpr char scratchFileName[] = "converted.db";

// What `path` holds: nothing when it is neither kind of song table (by its first bytes).
std::optional<SourceKind> sourceKind(const QString& path);

// Copies the rows of the table at `path` whose location ends in "@" or "R", in artist and title
// order, into the song table of `home` as they are stored there (encoded texts, the play
// count) under new IDs; no duplicate test. Text of a Windows table is read in `codePage`.
// Everything goes in one transaction: a file that is no song table, is damaged or cannot be
// read throws (EInOutError, EDatabaseError) and leaves the song table as it was. The scratch
// file "converted.db" is removed in every case; "Artists.dat" is removed after an import.
// Opens a connection of its own, so it may run on any thread.
Result run(const QString& home, const QString& path, const SingleByteCodePage& codePage,
           const Progress& progress = {});

} // namespace LocationImport
