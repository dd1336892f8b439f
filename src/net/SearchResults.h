#pragma once

#include "lists/ListEntry.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <vector>

// What a search answer ("SEARCHRES$" and its records) becomes in a results window: one list row
// per record, its values decoded as every list window shows stored values.
//
// A record is ten fields, each ended by "|" (artist, title, length, file name, album, comment,
// year, genre, frequency, bitrate); a central server puts the address of the personal server
// that holds the file and ";" before it, and a record without one belongs to the address of the
// record before it. The reader stops at the end of the text, after maxRows rows, or at the first
// record it cannot read whole (cut short, a field without its "|", or a central record with no
// address to belong to): the rows before that one stay.
namespace SearchResults {

constexpr int maxRows = 50;

// How long a search waits for its answer before it is given up, and what the user is told then.
constexpr std::chrono::milliseconds answerWait{30000};
QString noAnswerText();

// The rows of `answer` (the whole message, verb included), in the answer's order. `central`:
// the answer came from the central server; otherwise every row's server is `server` (the
// server box text). `rowAdded` is told the number of rows made after each row.
std::vector<ListEntry> parse(const QString& answer, bool central, const QString& server,
                             const std::function<void(int count)>& rowAdded = {});

// The rows of `answer` as a results window shows them: parse() in caption order.
std::vector<ListEntry> shownRows(const QString& answer, bool central, const QString& server,
                                 const std::function<void(int count)>& rowAdded = {});

// Rows in caption (artist) order, letter case aside; rows with the same caption keep their
// order.
void sortByCaption(std::vector<ListEntry>& rows);

// The caption of a results window: "Internet Search Results from Central Tamboro Server for
// "artist" and "title"", or from `server` when the search went to a personal server.
QString caption(bool central, const QString& server, const QString& artist, const QString& title);

// The status panels of a results window of `count` rows: "Results: count", "(maximum 50)".
QStringList panels(int count);

// What a row holds for a download: the file name as its server names it (the stored form, as
// the record carried it), and the server (its address or name, without the remote marker).
QString remoteFileName(const ListEntry& row);
QString serverOf(const ListEntry& row);

} // namespace SearchResults
