#pragma once

#include "lists/ListEntry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QIODevice;

// One static HTML page of a list window's rows: every row with the fields chosen, as numbered
// lines or as a table, grouped by initial letter under a letter index, then the list's four
// status figures and a footer. Lines end in CR LF; the page is UTF-8 and says so. The page is
// valid HTML 4.01 Transitional: elements closed and nested, cells in rows, one anchor per
// heading, each letter of the index leading to its own heading.
//
// Values go in as the list shows them (ListEntry holds them decoded) and are escaped for HTML,
// so that a title such as "<script>" or "Tom & Jerry" shows as typed.
namespace HtmlExport {

// The fields a page can show, in the one order they are always written in.
enum class Field { Artist, Title, Length, Filename, Album, Comment, Year, Genre, Bitrate };
inline constexpr int fieldCount = 9;

// What the options window offers.
struct Options
{
    bool withTable = false; // "With Table", else "Without Table"
    // "Artist", "Title", "Track length", "Filename", "Album", "Comment", "Year", "Genre",
    // "Bitrate", in Field order.
    bool fields[fieldCount] = {true, true, true, false, false, false, false, false, false};
    bool secondary = false; // "Show secondary information": songs playable and play time

    bool has(Field field) const { return fields[int(field)]; }
    void set(Field field, bool on) { fields[int(field)] = on; }
};

// The command line's names of the fields, in Field order: "artist", "title", "length",
// "filename", "album", "comment", "year", "genre", "bitrate".
const QStringList& fieldNames();
// The field named `name` (one of fieldNames()), nothing for another name.
std::optional<Field> fieldByName(const QString& name);

// Told the row just written (from 0) out of the last row number (rows - 1); once with 0 before
// the first row.
using Progress = std::function<void(int position, int maximum)>;

// The text the gauge shows while a page is made.
QString gaugeText();

// Writes the page of `rows`, in their order, to the open `device`, a piece at a time; returns
// the bytes written. `panels` are the list window's four status panel texts (songs in list,
// songs playable, list time, play time). Throws EInOutError naming `name` when the device takes
// less than it is given.
qint64 MakeHTML(const std::vector<ListEntry>& rows, const QStringList& panels,
                const Options& options, QIODevice& device, const QString& name,
                const Progress& progress = {});
// The same page in memory.
QByteArray MakeHTML(const std::vector<ListEntry>& rows, const QStringList& panels,
                    const Options& options, const Progress& progress = {});
// Writes the page to the file `path`, replacing it only once the whole page is written: a
// failure leaves any earlier file as it was. Returns the bytes written; throws EInOutError.
qint64 saveHtml(const std::vector<ListEntry>& rows, const QStringList& panels,
                const Options& options, const QString& path, const Progress& progress = {});

} // namespace HtmlExport
