#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;
class RQuery;
class SongDatabase;

// User list files (".tb3") and finding their songs again.
//
// A file holds one stored file name per line (encoded as the song table holds it), lines ended
// by CR LF, nothing else. Files written by the Windows program are in its ANSI code page; ours
// are UTF-8.
namespace UserListFile {

inline constexpr char Extension[] = "tb3";
inline constexpr char FilterText[] = "Tamboro 3 user Lists (*.tb3)";

// Beyond this a file is no list a user made: reading it would only fill the memory.
inline constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

// The lines of a user list read from `device` (open for reading): UTF-8, or Windows-1252
// when the bytes are not valid UTF-8; CR LF or LF; blank lines dropped. Throws EInOutError
// naming `name` when the device fails, the file is larger than MaxFileSize, or it holds zero
// bytes (no text file: a user list picked by mistake, an image or a program).
QStringList read(QIODevice& device, const QString& name);
QStringList load(const QString& path);

// Writes `lines` to `device`, each ended by CR LF, in UTF-8. Throws EInOutError naming `name`
// when a write fails.
void write(QIODevice& device, const QStringList& lines, const QString& name);
// Writes the file at `path` through a temporary file that replaces it only when complete: a
// failed save leaves no half file and the old file as it was.
void save(const QString& path, const QStringList& lines);

} // namespace UserListFile

// How a line of a user list finds its songs: by the medium it was on and the file's own name,
// whatever folder of that medium the file lies in now.
namespace UserListMatch {

// The parts of a line's pattern, in stored (encoded) form: the songs it finds are those whose
// file name is like drive + "%" + separator + fileName.
struct LinePattern
{
    QString drive;    // "C:", "\\server\share", "/media/USER/LABEL", "/"
    QChar separator;  // "\" for a Windows-style line, "/" for one of this system
    QString fileName; // the file's own name
    bool operator==(const LinePattern&) const = default;
};

// A Windows-style line (drive letter, share or backslashes) gives its drive (without the
// separator after it) and the name after its last "\", ":" or "/". Any other line gives the
// medium root it lies under ("/" for the system disk) and the name after its last "/".
LinePattern patternOf(const QString& line);

// The pattern as the song table's "like" reads it.
QString likePattern(const LinePattern& pattern);

// The "like" of the song table: "%" stands for any run of characters, "_" for any one
// character, letters A-Z match either case, every other character only itself.
bool likeMatches(QStringView pattern, QStringView text);

// The IDs of the songs that the lines find, each once, in the order of their IDs. Gives the
// same songs as one "filename like" term per line over the whole table, without comparing
// every line with every song: songs are looked up by their own file name first. `progress` is
// told the lines handled (0 before the first) and their number.
QStringList matchingIds(SongDatabase& database, const QStringList& lines,
                        const std::function<void(int handled, int total)>& progress = {});

} // namespace UserListMatch

namespace UserLists {

// The stored file names a list's base query gives, in the order the query returns them (no
// order clause is added), for saving the list. The record filter is cleared: the filter
// texts of the window play no part. An empty query (a user list nothing was dropped on)
// gives no names. `progress` is told the rows handled (0 before the first) and their number.
QStringList fileNamesOf(RQuery& query, const QString& baseQuery,
                        const std::function<void(int handled, int total)>& progress = {});

// The base query of a list made of the songs of `lines` (stored file names): one "filename
// like" term per line. Empty when there are no lines.
QString fileNameQuery(const QStringList& lines);

} // namespace UserLists
