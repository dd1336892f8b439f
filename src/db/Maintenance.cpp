#include "db/Maintenance.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/StoredPath.h"
#include "db/TextCodec.h"
#include "db/Transaction.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "platform/MountRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <sqlite3.h>

#include <algorithm>
#include <deque>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Maintenance {

namespace {

void forgetValueLists(const QString& home)
{
    // The value lists of the parameter dialog may name values no row holds any more: the
    // next opening builds them again.
    QFile::remove(Home::file(home, QStringLiteral("Artists.dat")));
}

QString skippedText(int skipped)
{
    return QStringLiteral("%1 records on mediums that are not present were not checked.")
        .arg(skipped);
}

bool fileExists(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

// ---- Replacing the song table file ----

// A plain engine connection of its own for the swap: the song table's connection class would
// switch the file back to write-ahead logging on opening it.
class RawTable
{
public:
    explicit RawTable(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_handle, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK) {
            const QString text = QString::fromUtf8(sqlite3_errmsg(m_handle));
            sqlite3_close_v2(m_handle);
            throw EDatabaseError(QStringLiteral("Cannot open %1: %2").arg(path, text));
        }
        sqlite3_busy_timeout(m_handle, 2000);
    }
    ~RawTable() { sqlite3_close_v2(m_handle); }
    RawTable(const RawTable&) = delete;
    RawTable& operator=(const RawTable&) = delete;

    // The first column of the first row, as text ("" when there is none).
    QString value(const char* sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_handle, sql, -1, &statement, nullptr) != SQLITE_OK)
            fail();
        QString result;
        const int step = sqlite3_step(statement);
        if (step == SQLITE_ROW)
            result =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        if (step != SQLITE_ROW && step != SQLITE_DONE)
            fail();
        return result;
    }

    // Leaves write-ahead logging, so that the file alone holds the whole table. Fails while
    // another connection has the table open.
    void toRollbackJournal(const QString& inUseText)
    {
        QString mode;
        try {
            mode = value("PRAGMA journal_mode=DELETE");
        } catch (const EDatabaseError&) {
            throw EDatabaseError(inUseText);
        }
        if (mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
            throw EDatabaseError(inUseText);
    }

private:
    [[noreturn]] void fail() { throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(m_handle))); }

    sqlite3* m_handle = nullptr;
};

void syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        if (fd >= 0)
            ::close(fd);
        throw EInOutError(QStringLiteral("Cannot write %1 to disk").arg(path));
    }
    ::close(fd);
}

void removeTableFiles(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

const QString inUseText = QStringLiteral(
    "The song table is in use by another Tamboro 3; close it and re-index again. The song "
    "table was left as it was.");

// Puts the complete table `converted` in the place of `songTable` in one rename. The old
// table is held locked meanwhile, and checked to hold as many rows as were copied.
void swapIn(const QString& converted, const QString& songTable, int rows)
{
    {
        RawTable table(converted);
        table.toRollbackJournal(inUseText);
        if (table.value("SELECT count(*) FROM tamboro").toInt() != rows)
            throw EDatabaseError(QStringLiteral("The new table is incomplete"));
    }
    for (const char* side : {"-journal", "-wal"})
        if (QFileInfo::exists(converted + QLatin1String(side)))
            throw EDatabaseError(QStringLiteral("The new table is incomplete"));
    syncPath(converted, O_RDONLY);

    RawTable old(songTable);
    // A write-ahead log left beside the name would be read as part of the new file: the old
    // table gives up its log first, and only a table nobody else has open can.
    old.toRollbackJournal(inUseText);
    old.value("BEGIN EXCLUSIVE");
    if (old.value("SELECT count(*) FROM tamboro").toInt() != rows)
        throw EDatabaseError(QStringLiteral("The song table changed while it was re-indexed; "
                                            "it was left as it was."));
    if (QFileInfo::exists(songTable + QStringLiteral("-wal")))
        throw EDatabaseError(inUseText);
    QFile::remove(songTable + QStringLiteral("-shm"));
    if (::rename(QFile::encodeName(converted).constData(),
                 QFile::encodeName(songTable).constData()) != 0)
        throw EInOutError(QStringLiteral("Cannot replace %1: %2")
                              .arg(songTable, QString::fromLocal8Bit(strerror(errno))));
    syncPath(QFileInfo(songTable).absolutePath(), O_RDONLY | O_DIRECTORY);
    old.value("ROLLBACK");
}

} // namespace

// ---- Existence check ----

QString existenceQuestion()
{
    return QStringLiteral(
        "This function will check if files posted in database as files on your hard drive "
        "still exist on ther original location. If this is not the case, their records will be "
        "deleted! Are you sure you want to proceed?");
}

QString existenceGaugeText()
{
    return QStringLiteral("Checking for missing files in database...");
}

bool mediumPresent(const QString& path, const QStringList& roots)
{
    // Most names lie on the system disk: they are told apart without taking them apart.
    if (path.startsWith(QLatin1Char('/')) && path.size() > 1) {
        bool underMediaFolder = false;
        for (const MountRules::MediaFolder& folder : MountRules::mediaFolders)
            underMediaFolder = underMediaFolder || path.startsWith(QLatin1String(folder.path));
        if (!underMediaFolder)
            return true;
    }
    if (StoredPath::isWindowsStyle(path))
        return false;
    const QString root = StoredPath::splitMediumRoot(path).root;
    if (root.isEmpty())
        return false;
    if (root == QLatin1String("/"))
        return true;
    for (const QString& present : roots) {
        QString clean = present;
        while (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
            clean.chop(1);
        if (clean == root)
            return true;
    }
    return false;
}

namespace {

struct CheckRow
{
    QString id, stored;
    enum : char { Present, Missing, MediumAbsent } state = Present;
};

void checkRows(std::vector<CheckRow>& rows, const QStringList& roots)
{
    for (CheckRow& row : rows) {
        const QString path = TextCodec::filter(row.stored);
        row.state = !mediumPresent(path, roots) ? CheckRow::MediumAbsent
                    : fileExists(path)          ? CheckRow::Present
                                                : CheckRow::Missing;
    }
}

} // namespace

MissingFiles findMissingFiles(SongDatabase& database, const QStringList& roots,
                              const Progress& progress)
{
    // Looking a file up costs the file system's time, not ours: blocks of rows are looked at on
    // a few threads while the next ones are read, and progress is told as blocks are done.
    constexpr std::size_t blockSize = 8192;
    const std::size_t threads =
        std::size_t(std::clamp(int(std::thread::hardware_concurrency()), 1, 4));
    std::deque<std::vector<CheckRow>> blocks; // a deque: a block never moves once made
    std::deque<std::thread> running;
    std::size_t joined = 0;
    auto joinOldest = [&] {
        running.front().join();
        running.pop_front();
        ++joined;
    };
    try {
        QSqlQuery query = database.execute(Statements::selectHardDiskIdsAndFilenames());
        std::vector<CheckRow> block;
        auto launch = [&] {
            if (running.size() >= threads)
                joinOldest();
            blocks.push_back(std::move(block));
            running.emplace_back(checkRows, std::ref(blocks.back()), std::cref(roots));
            block = {};
        };
        while (query.next()) {
            block.push_back({query.value(0).toString(), query.value(1).toString()});
            if (block.size() == blockSize)
                launch();
        }
        if (!block.empty())
            launch();
    } catch (...) {
        while (!running.empty())
            joinOldest();
        throw;
    }

    int total = 0;
    for (const std::vector<CheckRow>& done : blocks)
        total += int(done.size());
    auto handled = [&] {
        int rows = 0;
        for (std::size_t i = 0; i < joined; ++i)
            rows += int(blocks[i].size());
        return rows;
    };
    if (progress)
        progress(handled(), total);
    while (!running.empty()) {
        joinOldest();
        if (progress)
            progress(handled(), total);
    }

    MissingFiles result;
    result.checked = total;
    for (const std::vector<CheckRow>& done : blocks)
        for (const CheckRow& row : done) {
            if (row.state == CheckRow::MediumAbsent)
                ++result.skipped;
            else if (row.state == CheckRow::Missing) {
                result.ids.append(row.id);
                result.storedNames.append(row.stored);
            }
        }
    return result;
}

QString confirmDeletionText(int rows, int skipped)
{
    QString text = QStringLiteral("%1 records belong to files that no longer exist and will be "
                                  "deleted! Are you sure you want to proceed?")
                       .arg(rows);
    if (skipped > 0)
        text += QLatin1Char(' ') + skippedText(skipped);
    return text;
}

QString existenceReport(int deleted, int skipped)
{
    if (deleted > 0) {
        QString text = QStringLiteral("%1 records have been deleted!").arg(deleted);
        if (skipped > 0)
            text += QLatin1Char(' ') + skippedText(skipped);
        return text;
    }
    return QStringLiteral("No files are missing. ") +
           (skipped > 0 ? skippedText(skipped) : QString());
}

int deleteRows(SongDatabase& database, const QStringList& ids)
{
    int deleted = 0;
    {
        Transaction transaction(database);
        for (const QString& id : ids) {
            QSqlQuery query = database.execute(Statements::deleteById(id));
            deleted += std::max(query.numRowsAffected(), 0);
            database.recycle(std::move(query));
        }
        transaction.commit();
    }
    if (deleted > 0)
        forgetValueLists(database.home());
    return deleted;
}

// ---- Top 10 ----

QString topTenTooFewText()
{
    return QStringLiteral(
        "Your database contains less than 10 songs! Top 10 is therefore impossible!");
}

QString topTenCaption()
{
    return QStringLiteral("*** Top 10 songs of your database ***");
}

QStringList topTenIds(SongDatabase& database)
{
    RQuery query(database);
    query.setSql(Statements::selectTopPlayed());
    query.open();
    QStringList ids;
    for (query.first(); !query.eof() && ids.size() < 10; query.next())
        ids.append(query.field(SongColumn::ID));
    query.close();
    return ids.size() == 10 ? ids : QStringList();
}

// ---- Re-indexing ----

ReindexAdvice reindexAdvice(SongDatabase& database)
{
    RQuery query(database);
    query.setSql(Statements::selectAllById());
    query.open();
    const int rows = query.recordCount();
    if (rows < 2)
        return ReindexAdvice::TooFewRows;
    query.last();
    const bool gapFree = query.field(SongColumn::ID) == QString::number(rows);
    query.close();
    return gapFree ? ReindexAdvice::NotNeeded : ReindexAdvice::Needed;
}

QString adviceText(ReindexAdvice advice)
{
    switch (advice) {
    case ReindexAdvice::TooFewRows:
        return QStringLiteral("Your database contains less than 2 indexes!");
    case ReindexAdvice::NotNeeded:
        return QStringLiteral("Your database does not need to be re-indexed at this moment.");
    case ReindexAdvice::Needed:
        break;
    }
    return QStringLiteral("Your database needs re-indexing!");
}

QString reindexGaugeText()
{
    return QStringLiteral("Re-Indexing database...");
}

QString reindexDoneText()
{
    return QStringLiteral("Database successfully re-indexed!");
}

QString reindexFailedText()
{
    return QStringLiteral("An error has occured while re-indexing the database!");
}

int reindex(SongDatabase& database, const Progress& progress, QHash<QString, QString>* newIds)
{
    const QString songTable = database.tableFile(QStringLiteral("tamboro"));
    const QString converted = database.tableFile(QStringLiteral("converted"));
    if (!QFileInfo(songTable).isFile())
        throw EDatabaseError(QStringLiteral("The song table %1 does not exist").arg(songTable));
    if (progress)
        progress(0, 1);
    // A file left by an earlier run that did not end must not be attached as it is.
    database.closeConnection();
    removeTableFiles(converted);
    int rows = 0;
    try {
        SongDatabase::createSongTable(converted);
        // Attaching is refused inside a transaction: name the new table once before.
        database.recycle(database.execute(Statements::countConverted()));
        {
            Transaction transaction(database);
            QSqlQuery copy = database.execute(Statements::copyAllIntoConverted());
            rows = copy.numRowsAffected();
            copy.finish();
            QSqlQuery count = database.execute(Statements::countConverted());
            if (!count.next() || count.value(0).toInt() != rows)
                throw EDatabaseError(QStringLiteral("The new table is incomplete"));
            count.finish();
            if (newIds) {
                // Read in the copy's order within its transaction: the n-th old ID became n.
                newIds->clear();
                QSqlQuery old = database.execute(Statements::selectIdsInCopyOrder());
                while (old.next())
                    newIds->insert(old.value(0).toString(), QString::number(newIds->size() + 1));
            }
            transaction.commit();
        }
        database.closeConnection();
        swapIn(converted, songTable, rows);
    } catch (...) {
        database.closeConnection();
        removeTableFiles(converted);
        throw;
    }
    if (progress)
        progress(1, 1);
    return rows;
}

// ---- Deleting songs ----

QString deleteDialogCaption()
{
    return QStringLiteral("Delete from database");
}

bool discardFile(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    return QFile::moveToTrash(path) || QFile::remove(path);
}

DeleteCounts deleteSongs(SongDatabase& database, const QList<DeleteTarget>& targets, bool records,
                         bool files, const Progress& progress)
{
    DeleteCounts counts;
    const int total = int(targets.size());
    if (progress)
        progress(0, total);
    int handled = 0;
    for (const DeleteTarget& target : targets) {
        if (files && discardFile(target.path))
            ++counts.files;
        if (progress)
            progress(++handled, total);
    }
    if (records) {
        QStringList ids;
        for (const DeleteTarget& target : targets)
            ids.append(target.id);
        counts.records = deleteRows(database, ids);
    }
    return counts;
}

QString deleteReport(const DeleteCounts& counts)
{
    return QStringLiteral("Records deleted: %1  Files deleted: %2")
        .arg(counts.records)
        .arg(counts.files);
}

} // namespace Maintenance
