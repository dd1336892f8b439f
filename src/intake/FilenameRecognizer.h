#pragma once

#include <QString>

class SongDatabase;

// What the recogniser made of a file name. `full` is true when the name split into artist and
// title at a hyphen; otherwise the artist is "Unknown" and the title is the whole working text.
struct Recognition
{
    QString artist, title, genre;
    bool full = false;
};

// Derives artist and title from the name of a file that came without a usable tag. The name
// is edited as one working text by a fixed sequence of rules; the song table then supplies the
// stored spelling of the artist and a genre for it. Nothing is written anywhere.
namespace FilenameRecognizer {

// The working text after the pure text edits: the name without its folder, underscores and
// "%20" turned into spaces, the extension dropped, a leading track number and leading junk
// removed, and the hyphens normalised so that " - " separates artist and title.
QString recognitionText(const QString& fileName);

// The LIKE pattern that finds stored spellings of `artist` in other letter cases: the first
// character becomes the one-character wildcard "_", and so does the character after a space,
// for spaces found by a scan that starts at position 2 and resumes four characters after each
// space it finds ("Rez Vuvevo" gives "_ez _uvevo").
QString artistPattern(const QString& artist);

// The whole recognition of `fileName`. `currentGenre` is the genre intake already has for the
// file; when empty the genre is "Other" unless the song table knows the artist. Query errors
// (EDatabaseError) propagate.
Recognition recognize(const QString& fileName, const QString& currentGenre, SongDatabase& db);

// The genre number written into the tag: the position of `genre` in GenreLists::intake(),
// compared exactly, or 0 when the list does not hold it.
int recognizedGenreId(const QString& genre);

} // namespace FilenameRecognizer
