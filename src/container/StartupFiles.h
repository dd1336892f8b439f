#pragma once

#include <QString>

class TFileSource;

// The files that start-up writes out of the program into the home.
namespace StartupFiles {

// The decoder library's file name in the home; the player component loads it under the same
// name (TMPEGPlayer::LibraryFileName).
inline constexpr char LibraryFileName[] = "mpegdll.so";
// The song table.
inline constexpr char SongTableFileName[] = "tamboro.db";

struct TickResult
{
    bool libraryInPlace = false;
    bool songTableInPlace = false;
    // Nothing is left to write out: the timer that drives the ticks can stop.
    bool finished() const { return libraryInPlace && songTableInPlace; }
};

// One tick of `Validator`: copies the decoder library out of `dllContainer` and the empty song
// table out of `databaseContainer` into `home`, each only when no file of that name is there.
// An existing file is never replaced, so the user's song table keeps its rows. A failed copy
// reports nothing and leaves no partial file; the next tick tries again.
TickResult validatorTick(const QString& home, const TFileSource& dllContainer,
                         const TFileSource& databaseContainer);

} // namespace StartupFiles
