#pragma once

#include "lists/ListEntry.h"

#include <QFontMetrics>

#include <vector>

// The widths that show a list's columns whole. A list may hold the whole catalogue, so only
// the longest texts of each column are measured: one pass over the rows picks them by their
// number of characters, and a few dozen measurements per column decide the width.
namespace ColumnFit {

// How a list draws its texts: the fonts and the room around a text.
struct Measure
{
    QFontMetrics rows;
    QFontMetrics header;
    // Room a cell takes besides its text; the first column also shows the row's image.
    int cellPadding = 0;
    int firstColumnExtra = 0;
    // Room a header section takes besides its caption, sort image included.
    int headerPadding = 0;
};

// Texts this far from the longest by their number of characters are measured too: a shorter
// text of wide letters may be the wider one.
inline constexpr int measuredTexts = 24;
// No single column grows past this, however long one text is, so that one odd name does not
// push every other column out of sight; a column whose minimum is wider keeps its minimum.
inline constexpr int widest = 1200;

// For each column with a minimum above 0, the widest of its caption and its texts, never
// below the minimum; 0 for the others. `minimums` and `captions` are in column order.
std::vector<int> widths(const std::vector<ListEntry>& rows, const std::vector<int>& minimums,
                        const QStringList& captions, const Measure& measure);

} // namespace ColumnFit
