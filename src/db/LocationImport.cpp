#include "db/LocationImport.h"

#include "db/ParadoxSongTable.h"
#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace {

const QByteArray sqliteMagic("SQLite format 3\0", 16);
constexpr int headBytes = 128;

// The scratch table and the engine's files beside it, gone when the import is over whatever
// happened. Made before the connection, so that it is removed after the connection closed.
class ScratchFiles
{
public:
    explicit ScratchFiles(QString path)
        : m_path(std::move(path))
    {
        removeAll();
    }
    ~ScratchFiles() { removeAll(); }
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

    const QString& path() const { return m_path; }
    void removeAll() const
    {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(m_path + QLatin1String(suffix));
    }

private:
    QString m_path;
};

std::atomic<int> checkCounter{0};

// A tamboro.db of this program: the song table with our columns in our order (the queries
// read columns by position), and a file the engine finds sound.
void checkSongTable(const QString& scratch, const QString& shown)
{
    const QString name = QStringLiteral("tamboro-import-check-%1").arg(++checkCounter);
    QString fault;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(scratch);
        if (!db.open()) {
            fault = QStringLiteral("%1 cannot be opened: %2").arg(shown, db.lastError().text());
        } else {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next() ||
                query.value(0).toString() != QLatin1String("ok")) {
                const QString why = query.lastError().isValid() ? query.lastError().databaseText()
                                                                : query.value(0).toString();
                fault = QStringLiteral("The table %1 is damaged and cannot be imported: %2")
                            .arg(shown, why);
            } else {
                QStringList columns;
                if (query.exec(QStringLiteral("PRAGMA table_info(tamboro)")))
                    while (query.next())
                        columns << query.value(1).toString().toLower();
                const QStringList expected = {
                    QStringLiteral("id"),       QStringLiteral("artist"),
                    QStringLiteral("title"),    QStringLiteral("filename"),
                    QStringLiteral("location"), QStringLiteral("track_length"),
                    QStringLiteral("genre"),    QStringLiteral("album"),
                    QStringLiteral("bitrate"),  QStringLiteral("frequency"),
                    QStringLiteral("comment"),  QStringLiteral("syear"),
                    QStringLiteral("played")};
                if (columns.isEmpty())
                    fault = QStringLiteral("%1 is an SQLite database but holds no song table "
                                           "(table tamboro)")
                                .arg(shown);
                else if (columns != expected)
                    fault = QStringLiteral("%1 holds a table tamboro, but not with the columns "
                                           "of a song table")
                                .arg(shown);
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!fault.isEmpty())
        throw EInOutError(fault);
}

} // namespace

namespace LocationImport {

std::optional<SourceKind> sourceKind(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(headBytes);
    if (head.startsWith(sqliteMagic))
        return SourceKind::SongTable;
    if (ParadoxSongTable::looksLikeParadox(head))
        return SourceKind::WindowsTable;
    return std::nullopt;
}

Result run(const QString& home, const QString& path, const SingleByteCodePage& codePage,
           const Progress& progress)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo source(path);
    if (!source.isFile())
        throw EInOutError(QStringLiteral("The file %1 does not exist").arg(shown));
    const QString scratchPath = QDir(home).filePath(QLatin1String(scratchFileName));
    // The scratch file is removed at the end: it must not be the file the user chose.
    if (source.canonicalFilePath() == QFileInfo(scratchPath).canonicalFilePath())
        throw EInOutError(QStringLiteral("%1 is the scratch file of an import and cannot be "
                                         "imported itself; copy it elsewhere first")
                              .arg(shown));
    QFile check(path);
    if (!check.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot read %1: %2").arg(shown, check.errorString()));
    check.close();
    const std::optional<SourceKind> kind = sourceKind(path);
    if (!kind)
        throw EInOutError(QStringLiteral("%1 is not a song table: neither a tamboro.db of "
                                         "Tamboro 3 nor a TAMBORO.DB of the Windows program. "
                                         "Nothing was imported.")
                              .arg(shown));

    Result result;
    result.kind = *kind;
    ScratchFiles scratch(scratchPath);
    QList<Song> windowsRows;
    if (*kind == SourceKind::SongTable) {
        if (!QFile::copy(path, scratchPath))
            throw EInOutError(QStringLiteral("Cannot copy %1 to %2")
                                  .arg(shown, QDir::toNativeSeparators(scratchPath)));
        // Rows the other program committed but had not yet moved into the file itself.
        if (QFileInfo(path + QStringLiteral("-wal")).isFile())
            QFile::copy(path + QStringLiteral("-wal"), scratchPath + QStringLiteral("-wal"));
        checkSongTable(scratchPath, shown);
    } else {
        windowsRows = ParadoxSongTable::read(path, codePage);
        SongDatabase::createSongTable(scratchPath);
    }

    SongDatabase database(home);
    RQuery rq(database);
    UQuery uq(database);
    // Attaching the scratch table is not allowed inside a transaction: a first read does it.
    rq.setSql(Statements::selectConvertedRemovable());
    rq.open();
    rq.close();

    Transaction transaction(database);
    for (const Song& row : std::as_const(windowsRows)) {
        uq.setSql(Statements::insertIntoConverted(row));
        uq.execSQL();
    }
    rq.setSql(Statements::selectConvertedRemovable());
    rq.open();
    QList<Song> rows;
    for (rq.first(); !rq.eof(); rq.next())
        rows.append(songFromRecord(rq));
    rq.close();
    const int total = int(rows.size());
    if (progress)
        progress(0, total);
    for (int i = 0; i < total; ++i) {
        uq.setSql(Statements::insertCopiedRow(rows.at(i)));
        uq.execSQL();
        if (progress)
            progress(i + 1, total);
    }
    transaction.commit();
    result.imported = total;
    // The artists of the value lists may have changed.
    QFile::remove(QDir(home).filePath(QStringLiteral("Artists.dat")));
    return result;
}

} // namespace LocationImport
