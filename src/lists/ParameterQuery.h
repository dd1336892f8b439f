#pragma once

#include "lists/ValueFiles.h"

#include <QString>
#include <QStringList>

#include <array>

// A list by parameters: what "&Load list" makes of the ticked rows of the five value lists,
// and what opening its window and remembering it in the parameter-request cache make of that.
namespace ParameterQuery {

using Kind = ValueFiles::Kind;

// The captions of the ticked rows of each kind, top to bottom, indexed by ValueFiles::index.
using Ticked = std::array<QStringList, ValueFiles::kindCount>;

// The ten texts "&Load list" leaves for the window: one condition text and one caption text
// per kind, empty for a kind without a ticked row.
struct Request
{
    std::array<QString, ValueFiles::kindCount> conditions;
    std::array<QString, ValueFiles::kindCount> captions;

    // No row was ticked: nothing is to be opened.
    bool isEmpty() const;
    // The window's base query (QUT): "select * from tamboro where" and one group per kind
    // that has a condition, in parentheses, the groups joined by " and".
    QString baseQuery() const;
    // The base query with the order of the window's first build.
    QString selectStatement() const;
    // " (artists: A, B) (genres: Pop)": the kinds that have captions, in the dialog's order;
    // it begins with a blank.
    QString captionText() const;
    // The line of the parameter-request cache: cacheCaption() of the caption text, "|", the
    // base query without line breaks.
    QString cacheLine() const;
};

// The request of the ticked rows: each kind's terms in the order given, its captions joined by
// ", ". Throws EDatabaseError for a value that no statement can carry (a double quote).
Request request(const Ticked& ticked);

// The caption text as the cache keeps it. The first "|" of a cache line ends its caption, so a
// "|" of the caption's own (a value that holds one) is kept as a broken bar, "¦"; a line break
// would end the line and becomes a blank.
QString cacheCaption(const QString& captionText);

// "List by parameter(" + counter + "): " + caption: with the caption text's own leading blank,
// two blanks after the colon.
QString windowCaption(int counter, const QString& caption);

} // namespace ParameterQuery
