#pragma once

#include <QString>

#include <string>
#include <string_view>

struct sqlite3;

// Letter case folded away over all of Unicode, the same in C++ and inside the engine: SQLite's
// own LIKE and NOCASE know only the letters A to Z, so "björk" would never find "BJÖRK". Each
// character is folded on its own (simple case folding), so a text that contains another, up to
// letter case, still contains it after folding. Codec escapes ("|1".."|7") are not letters and
// come through unchanged, so stored text can be folded as it is stored.
namespace CaseFold {

// The SQL function every connection to the song table gets: foldcontains(NEEDLE, TEXT, ...) is
// 1 when one of the texts, case-folded, contains NEEDLE, else 0. NEEDLE must be folded already
// (fold()); it is compared as it stands, without wildcards. NULL texts contain nothing; a NULL
// NEEDLE gives NULL.
inline constexpr char sqlFunctionName[] = "foldcontains";

QString fold(const QString& text);

// fold() on UTF-8 text, as the engine does it: the folded text, which is `text` itself when
// folding changes nothing, else held in `buffer`.
std::string_view foldUtf8(std::string_view text, std::string& buffer);

// Registers foldcontains() on a connection. Returns SQLite's result code.
int installSqlFunction(sqlite3* engine);

} // namespace CaseFold
