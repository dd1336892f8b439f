#pragma once

#include <QString>

// The codec of stored text. Six characters that would break the double-quoted literals of our
// statements (or confuse patterns) never reach the song table as themselves: apostrophe, double
// quote, number sign, asterisk, colon and back-quote are stored as "|1" to "|6". The escape
// character "|" is stored as "|7", so that every text comes back exactly as it went in.
namespace TextCodec {

// Encodes (the ReFilter action).
QString reFilter(const QString& text);

// Decodes (the Filter action). "|1".."|7" become their characters; any other "|" becomes a
// capital I, and the character after it is looked at afresh. Texts stored before "|" had a code
// of its own hold a bare "|" and so still read as they always did; only such a text's "|7"
// now reads as "|" rather than "I7".
QString filter(const QString& text);

} // namespace TextCodec
