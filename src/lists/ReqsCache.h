#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class SongDatabase;

// The parameter-request cache "reqs.dat" of the home: one entry per line, a menu caption, a
// "|" and the base query of a list. Lines end in CR LF (LF alone is read as well). Text is
// UTF-8; a line that is not valid UTF-8 is read as Windows-1252, as the Windows program wrote it.
namespace ReqsCache {

inline constexpr char FileName[] = "reqs.dat";

struct PruneReport
{
    int lines = 0; // entries the file held
    int kept = 0;
    // Captions of the entries dropped because their query yields no rows.
    QStringList noRows;
    // Why each other dropped line was dropped: a line that holds no query the song table can
    // answer (no "|", a statement that is not a read query, SQL the engine refuses) would
    // otherwise stay forever. Blank lines are dropped without a word.
    QStringList rejected;
    // The file was written back; false when every line was kept (the file is not touched) or
    // there was no file.
    bool rewritten = false;
};

// Called with the number of lines handled so far (0 before the first) and the number of lines.
using Progress = std::function<void(int handled, int total)>;

// Drops every entry of the cache at `path` whose query yields no rows, running each as a read
// query that stops at its first row. The remaining lines are written back unchanged, byte for
// byte and in order, with the line ending the file used, through a temporary file that
// replaces the old one only when complete. Nothing happens when the file does not exist, or
// when the home has no song table yet (there is nothing to check the entries against).
// Throws EInOutError when the file cannot be read or written back (it is then left as it was)
// and EDatabaseError when the song table itself cannot be read (the file is left as it was:
// the entries are not at fault).
PruneReport prune(SongDatabase& database, const QString& path, const Progress& progress = {});

// The entries of the cache in file order, without line endings and blank lines; empty when the
// file does not exist. Throws EInOutError when it exists but cannot be read.
QStringList lines(const QString& path);

// The menu captions: the text before the first "|" of every entry that has one, in file order.
QStringList captions(const QString& path);

// One entry: the text before the first "|" and the base query after it.
struct Entry
{
    QString caption;
    QString query;
};
// The entry of a line; nothing for a line without a "|".
std::optional<Entry> parse(const QString& line);

// Whether `sql` is a statement that only reads: nothing else from the file is ever run.
bool isReadQuery(const QString& sql);

// Appends `line` as the last entry unless the cache already holds exactly this line; true when
// it was added. The entries already there stay byte for byte, with the line ending the file
// uses (CR LF for a new file); the file is replaced only when complete. Throws EInOutError when
// the file cannot be read or written (it is then left as it was).
bool add(const QString& path, const QString& line);

} // namespace ReqsCache
