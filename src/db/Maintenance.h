#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class SongDatabase;

// The utilities that keep the song table tidy: the existence check, the top 10, re-indexing
// and deleting songs. The windows and the command line share them; each says what it did in
// figures and leaves the messages to its caller, except for the texts both show.
namespace Maintenance {

// Told the number of rows handled and the number there are to handle (0 before the first).
using Progress = std::function<void(int handled, int total)>;

// ---- Existence check ----
QString existenceQuestion();
QString existenceGaugeText(); // "Checking for missing files in database..."

struct MissingFiles
{
    QStringList ids;         // hard-disk rows whose file is gone, in table order
    QStringList storedNames; // their stored (encoded) file names, alike
    int checked = 0;         // hard-disk rows looked at
    int skipped = 0;         // rows whose medium is not present, so nothing can be said
};

// Whether the medium that holds the decoded path `path` is present: "/" always is, a mount
// point under /media, /run/media or /mnt only while it is one of `roots`. A Windows-style
// name or one without a root has no medium here.
bool mediumPresent(const QString& path, const QStringList& roots);

// The hard-disk rows whose file no longer exists at its decoded path. Rows on a medium that is
// not present are counted as skipped, not as missing. `roots`: the medium roots present now.
MissingFiles findMissingFiles(SongDatabase& database, const QStringList& roots,
                              const Progress& progress = {});

// "N rows ... will be deleted": the confirmation before the deletes.
QString confirmDeletionText(int rows, int skipped);
// The closing report: "N records have been deleted!" or "No files are missing. ", each
// followed by the skipped count when there is one.
QString existenceReport(int deleted, int skipped);

// Deletes the rows `ids` in one transaction and returns how many went. Throws EDatabaseError
// (nothing deleted) when the engine refuses.
int deleteRows(SongDatabase& database, const QStringList& ids);

// ---- Top 10 ----
QString topTenTooFewText();
QString topTenCaption();
// The IDs of the ten most played songs, ties in artist and title order; empty when the table
// holds fewer than ten songs.
QStringList topTenIds(SongDatabase& database);

// ---- Re-indexing ----
enum class ReindexAdvice { TooFewRows, NotNeeded, Needed };
ReindexAdvice reindexAdvice(SongDatabase& database);
QString adviceText(ReindexAdvice advice);
QString reindexGaugeText(); // "Re-Indexing database..."
QString reindexDoneText();
QString reindexFailedText();

// Numbers the rows 1, 2, 3, ... in artist and title order, every other value kept as the engine
// holds it. The new table is built in "converted.db" beside the song table and takes its name
// in one rename once it is complete and on disk; until then the old table stays in use, and
// any failure leaves it as it was (EDatabaseError or EInOutError saying why). `database` is
// closed for the swap; its next statement opens the new table. Another connection to the song
// table (another Tamboro 3 running) makes it fail without a change. Returns the rows copied;
// `newIds`, when given, gets each old ID's new one, for the windows that name songs by ID.
int reindex(SongDatabase& database, const Progress& progress = {},
            QHash<QString, QString>* newIds = nullptr);

// ---- Deleting songs ----
QString deleteDialogCaption();

struct DeleteTarget
{
    QString id;
    QString path; // the file as the list found it
};
struct DeleteCounts
{
    int records = 0;
    int files = 0;
};
// Moves the file to the desktop's trash where its medium has one, else deletes it. True when
// the file went.
bool discardFile(const QString& path);
// The files of `targets` when `files` (each counted when it went), then the rows when
// `records`, all in one transaction. Throws EDatabaseError when the deletes fail (no row
// deleted).
DeleteCounts deleteSongs(SongDatabase& database, const QList<DeleteTarget>& targets, bool records,
                         bool files, const Progress& progress = {});
QString deleteReport(const DeleteCounts& counts); // "Records deleted: N  Files deleted: M"

} // namespace Maintenance
