#include "db/SongDatabase.h"

#include "db/CaseFold.h"
#include "db/SongQuery.h"
#include "db/SqlDialect.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include <sqlite3.h>

#include <atomic>

namespace {

const char* const schema[] = {
    "CREATE TABLE tamboro (\n"
    "  ID INTEGER PRIMARY KEY AUTOINCREMENT,\n"
    "  Artist TEXT NOT NULL DEFAULT '',\n"
    "  Title TEXT NOT NULL DEFAULT '',\n"
    "  Filename TEXT NOT NULL DEFAULT '',\n"
    "  Location TEXT NOT NULL DEFAULT '',\n"
    "  Track_Length TEXT NOT NULL DEFAULT '',\n"
    "  Genre TEXT NOT NULL DEFAULT '',\n"
    "  Album TEXT NOT NULL DEFAULT '',\n"
    "  Bitrate TEXT NOT NULL DEFAULT '',\n"
    "  Frequency TEXT NOT NULL DEFAULT '',\n"
    "  Comment TEXT NOT NULL DEFAULT '',\n"
    "  SYear TEXT NOT NULL DEFAULT '',\n"
    "  Played INTEGER NOT NULL DEFAULT 0\n"
    ")",
    "PRAGMA user_version = 1",
};

// Indexes for the statements that would otherwise scan the whole table: the duplicate test
// of every added file, the deletes by file name, the artist-and-title order of lists, and the
// columns that lists by parameters select on (start-up re-checks every cached selection).
// Made when a table is created and again (if missing) whenever a connection opens, so that a
// table from elsewhere gets them too.
const char* const indexes[] = {
    "CREATE INDEX IF NOT EXISTS tamboro_duplicate ON tamboro (Artist, Title, Track_Length)",
    "CREATE INDEX IF NOT EXISTS tamboro_filename ON tamboro (Filename)",
    "CREATE INDEX IF NOT EXISTS tamboro_order ON tamboro "
    "(Artist COLLATE NOCASE, Title COLLATE NOCASE)",
    "CREATE INDEX IF NOT EXISTS tamboro_genre ON tamboro (Genre)",
    "CREATE INDEX IF NOT EXISTS tamboro_album ON tamboro (Album)",
    "CREATE INDEX IF NOT EXISTS tamboro_year ON tamboro (SYear)",
    // Medium terms match with LIKE, which ignores case: only a NOCASE index serves it.
    "CREATE INDEX IF NOT EXISTS tamboro_location ON tamboro (Location COLLATE NOCASE)",
};

std::atomic<int> connectionCounter{0};

constexpr qsizetype maxBoundValues = 999;
constexpr qsizetype maxKeptStatementLength = 16 * 1024;

QString preparedKey(const QString& parameterizedSql, bool forwardOnly)
{
    return (forwardOnly ? QLatin1Char('F') : QLatin1Char('S')) + parameterizedSql;
}

// SQLite URI of an existing file, opened for reading and writing but never created.
QString fileUri(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
           QStringLiteral("?mode=rw");
}

// SQLITE_BUSY, extended forms included: another connection holds the lock we need.
bool isBusy(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xFF) == SQLITE_BUSY;
}

} // namespace

void throwDatabaseError(const QSqlError& error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (isBusy(error))
        throw EDatabaseError(QStringLiteral("Another Tamboro 3 is writing the catalogue and did "
                                            "not finish in time; try again when it has "
                                            "finished (%1)")
                                 .arg(text));
    throw EDatabaseError(text.isEmpty() ? QStringLiteral("Unknown database error") : text);
}

SongDatabase::SongDatabase(QString home)
    : m_home(std::move(home))
    , m_connectionName(QStringLiteral("tamboro-%1").arg(++connectionCounter))
{}

SongDatabase::~SongDatabase()
{
    closeConnection();
}

QString SongDatabase::tableFile(const QString& table) const
{
    return QDir(m_home).filePath(table.toLower() + QStringLiteral(".db"));
}

bool SongDatabase::isConnected() const
{
    return QSqlDatabase::contains(m_connectionName);
}

QSqlDatabase SongDatabase::connection()
{
    if (isConnected())
        return QSqlDatabase::database(m_connectionName, false);

    const QString path = tableFile(QStringLiteral("tamboro"));
    if (!QFileInfo(path).isFile())
        throw EDatabaseError(QStringLiteral("The song table %1 does not exist").arg(path));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    db.setDatabaseName(fileUri(path));
    if (!db.open()) {
        const QSqlError error = db.lastError();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throwDatabaseError(error);
    }
    // Our own busy handler instead of the driver's time-out: the wait gets our length and can
    // be reported while it lasts. foldcontains() lets statements match text without regard
    // to letter case beyond A to Z (FastSearch).
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (sqlite3* engine = *static_cast<sqlite3* const*>(handle.constData())) {
            sqlite3_busy_handler(engine, &SongDatabase::onBusy, m_busy.get());
            CaseFold::installSqlFunction(engine);
        }
    }
    // Write-ahead logging: a commit appends to the log instead of syncing the table file, so
    // that work committed song by song (a mass re-tag) costs microseconds a song, and readers
    // (the windows) are not held up by a writer (the add run). A crash or power cut may lose
    // the last commits but never leaves a damaged table. On a medium we may not write to the
    // table keeps its journal, as it does its indexes.
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"}) {
        QSqlQuery query(db);
        query.exec(QString::fromLatin1(pragma));
    }
    // Indexes are only a help: a table on a medium we may not write to works without them.
    for (const char* statement : indexes) {
        QSqlQuery query(db);
        query.exec(QString::fromLatin1(statement));
    }
    return db;
}

int SongDatabase::onBusy(void* context, int attempt) noexcept
{
    auto* busy = static_cast<BusyWait*>(context);
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0) {
        busy->since = now;
        if (busy->observer) {
            try {
                busy->observer();
            } catch (...) {
                // The engine is C: nothing may leave this function by an exception.
            }
        }
    }
    if (now - busy->since >= busy->timeout)
        return 0;
    // Short naps at first, so that a lock held for a moment costs little.
    sqlite3_sleep(attempt < 10 ? 2 : 20);
    return 1;
}

void SongDatabase::attach(const QString& table)
{
    if (m_attached.contains(table))
        return;
    const QString path = tableFile(table);
    if (!QFileInfo(path).isFile())
        throw EDatabaseError(QStringLiteral("Table does not exist: %1").arg(path));
    QSqlQuery query(connection());
    // The schema name is a plain lower-case word (checked by the dialect), never user text.
    query.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(table));
    query.addBindValue(fileUri(path));
    if (!query.exec())
        throwDatabaseError(query.lastError());
    m_attached.insert(table);
}

QSqlQuery SongDatabase::execute(const QString& dialectText, bool forwardOnly)
{
    m_monitor.record(dialectText);
    const DialectStatement statement = SqlDialect::translate(dialectText);
    QSqlDatabase db = connection();
    for (const QString& table : statement.tables)
        attach(table);

    // The engine takes at most 32,766 bound values, and a statement of thousands of values is
    // not worth keeping compiled: such a one is run with its values written in.
    if (statement.values.size() > maxBoundValues) {
        QSqlQuery query(db);
        query.setForwardOnly(forwardOnly);
        if (!query.exec(statement.sql))
            throwDatabaseError(query.lastError());
        return query;
    }
    const QString key = preparedKey(statement.parameterizedSql, forwardOnly);
    QSqlQuery query;
    if (auto it = m_prepared.find(key); it != m_prepared.end()) {
        query = std::move(*it);
        m_prepared.erase(it);
    } else {
        query = QSqlQuery(db);
        query.setForwardOnly(forwardOnly);
        if (!query.prepare(statement.parameterizedSql))
            throwDatabaseError(query.lastError());
    }
    for (qsizetype i = 0; i < statement.values.size(); ++i)
        query.bindValue(int(i), statement.values.at(i));
    if (!query.exec())
        throwDatabaseError(query.lastError());
    return query;
}

void SongDatabase::recycle(QSqlQuery&& query)
{
    if (!isConnected() || query.lastQuery().isEmpty() ||
        query.lastQuery().size() > maxKeptStatementLength)
        return;
    query.finish();
    const QString key = preparedKey(query.lastQuery(), query.isForwardOnly());
    // A few dozen statement shapes exist; the bound keeps a stray caller from growing it.
    if (!m_prepared.contains(key) && m_prepared.size() < 64)
        m_prepared.insert(key, std::move(query));
}

void SongDatabase::closeConnection()
{
    for (SongQuery* query : std::as_const(m_queries))
        query->close();
    m_prepared.clear();
    m_attached.clear();
    m_transactionDepth = 0;
    m_rollbackOnly = false;
    if (!isConnected())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void SongDatabase::createSongTable(const QString& path)
{
    if (QFileInfo::exists(path))
        throw EDatabaseError(QStringLiteral("Cannot create %1: the file exists").arg(path));
    const QString name = QStringLiteral("tamboro-create-%1").arg(++connectionCounter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        bool ok = db.open();
        QSqlError error = db.lastError();
        if (ok) {
            QSqlQuery query(db);
            for (const char* statement : schema)
                if (ok && !query.exec(QString::fromLatin1(statement))) {
                    ok = false;
                    error = query.lastError();
                }
            for (const char* statement : indexes)
                if (ok && !query.exec(QString::fromLatin1(statement))) {
                    ok = false;
                    error = query.lastError();
                }
        }
        db.close();
        if (!ok) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            QFile::remove(path);
            throwDatabaseError(error);
        }
    }
    QSqlDatabase::removeDatabase(name);
}
