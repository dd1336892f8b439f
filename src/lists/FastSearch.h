#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// FastSearch: songs whose artist or title contains keywords typed into a prompt. The window
// (app/ui/FastSearchCommand) and `tamboro3-cli search` both start from plan().
namespace FastSearch {

// A text shorter than this opens nothing.
inline constexpr qsizetype minimumLength = 2;

// How the keywords combine: any keyword ("or", the default) or every keyword ("and"). The case
// variants of one keyword are always alternatives.
enum class Join { Any, Every };
// The join of the "FastSearchParam" setting: "and" (in any letter case) is Every, anything
// else Any.
Join joinOf(const QString& setting);

// The prompt: "Fast Search (param: " + setting + ")", "Enter your keyword(s)", empty default.
QString promptTitle(const QString& setting);
QString promptLabel();
// "Fast search: " + the text exactly as typed.
QString caption(const QString& text);

// `Words`: the keywords in typed order. A text that ends with a blank is one keyword, blanks
// included; otherwise each blank ends a keyword, so two blanks in a row or a leading blank
// give an empty keyword.
QStringList keywords(const QString& text);
// `Search4`: per keyword, in keyword order, the keyword as typed, in upper case, in lower case,
// and in lower case with its first character in upper case. Duplicates stay.
QStringList caseVariants(const QStringList& keywords);

// What a search for a text does.
struct Plan
{
    QString caption;
    QStringList words;   // Words, empty keywords included
    QStringList search4; // Search4 of the words that are not empty
    // The window's base query (QUT), without an order clause. Empty keywords are skipped
    // rather than matching every song. Each keyword is compared in stored form, so "don't"
    // finds the "don|1t" of the song table and a double quote is a character like any other,
    // and without regard to letter case over all of Unicode: its group holds when the folded
    // artist or title contains the folded form of any of its case variants.
    QString qut;
};

// The search for `text`; nothing when the text is too short.
std::optional<Plan> plan(const QString& text, Join join);

} // namespace FastSearch
