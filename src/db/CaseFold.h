#pragma once

#include <QString>

struct sqlite3;

// Letter case folded away over all of Unicode, the same in C++ and inside the engine: SQLite's
// own LIKE and NOCASE know only the letters A to Z, so "björk" would never find "BJÖRK". Each
// character is folded on its own (simple case folding), so a text that contains another, up to
// letter case, still contains it after folding. Codec escapes ("|1".."|7") are not letters and
// come through unchanged, so stored text can be folded as it is stored.
namespace CaseFold {

// The SQL function every connection to the song table gets: casefold(X) is X folded, NULL for
// NULL; other values are folded as text.
inline constexpr char sqlFunctionName[] = "casefold";

QString fold(const QString& text);

// Registers casefold() on a connection. Returns SQLite's result code.
int installSqlFunction(sqlite3* engine);

} // namespace CaseFold
