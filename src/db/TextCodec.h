#pragma once

#include <QString>

// The codec of stored text. Six characters that would break the double-quoted literals of our
// statements (or confuse patterns) never reach the song table as themselves: apostrophe, double
// quote, number sign, asterisk, colon and back-quote are stored as "|1" to "|6".
namespace TextCodec {

// Encodes (the ReFilter action). A "|" already in the text stays as it is.
QString reFilter(const QString& text);

// Decodes (the Filter action). "|1".."|6" become their characters; any other "|" becomes a
// capital I, and the character after it is looked at afresh.
QString filter(const QString& text);

} // namespace TextCodec
