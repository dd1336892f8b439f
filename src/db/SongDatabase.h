#pragma once

#include "db/SqlMonitor.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class SongQuery;

// The connection to the song table "tamboro.db" of a home folder. A statement's table name T
// stands for the song table inside the file T.db of the home ("converted" is converted.db);
// such files are attached when a statement first names them. The connection opens on the first
// statement and never creates the song table: a missing file is an error, so that the
// start-up write-out of the empty template is never pre-empted by an empty file. Statements
// may call foldcontains() (CaseFold.h) on every connection.
class SongDatabase
{
public:
    explicit SongDatabase(QString home);
    ~SongDatabase();
    SongDatabase(const SongDatabase&) = delete;
    SongDatabase& operator=(const SongDatabase&) = delete;

    const QString& home() const { return m_home; }
    // The file that holds table `table` ("tamboro" -> <home>/tamboro.db).
    QString tableFile(const QString& table) const;

    // The last statement sent (SQLMon).
    SqlMonitor& monitor() { return m_monitor; }

    // Translates a statement of our dialect, attaches the files it names and runs it.
    // Throws EDatabaseError with the engine's text when the engine refuses it.
    QSqlQuery execute(const QString& dialectText, bool forwardOnly = true);

    // Hands back a query that execute() gave out, once its caller is done with it: statements
    // that differ only in their values then reuse one compiled form instead of being compiled
    // again for every row an add writes.
    void recycle(QSqlQuery&& query);

    // Closes every query and the connection so that the table files may be replaced or
    // deleted. The next statement opens the connection again.
    void closeConnection();
    bool isConnected() const;

    // How long a statement waits for another program (another Tamboro 3, the window and the
    // CLI at once) to finish writing the table before it fails with EDatabaseError saying
    // so. Applies from the next time the connection opens.
    static constexpr std::chrono::milliseconds defaultBusyTimeout{10000};
    void setBusyTimeout(std::chrono::milliseconds timeout) { m_busy->timeout = timeout; }
    // Called on the waiting thread when a statement starts to wait for another writer, once
    // per wait: lets a caller say why it pauses.
    void setBusyObserver(std::function<void()> observer) { m_busy->observer = std::move(observer); }

    // Creates a new, empty song table file at `path` (it must not exist yet).
    static void createSongTable(const QString& path);

private:
    friend class SongQuery;
    friend class Transaction;
    QSqlDatabase connection();
    void attach(const QString& table);
    static int onBusy(void* context, int attempt) noexcept;
    void registerQuery(SongQuery* query) { m_queries.append(query); }
    void unregisterQuery(SongQuery* query) { m_queries.removeAll(query); }

    struct BusyWait
    {
        std::chrono::milliseconds timeout = defaultBusyTimeout;
        std::function<void()> observer;
        std::chrono::steady_clock::time_point since;
    };

    QString m_home;
    QString m_connectionName;
    // Owned apart from the object: the engine holds its address as long as the connection.
    std::unique_ptr<BusyWait> m_busy = std::make_unique<BusyWait>();
    QSet<QString> m_attached;
    // Compiled statements not in use, by parameterised text (and forward-only mode).
    QHash<QString, QSqlQuery> m_prepared;
    QList<SongQuery*> m_queries;
    SqlMonitor m_monitor;
    int m_transactionDepth = 0;
    bool m_rollbackOnly = false;
};

// Raises EDatabaseError with the engine's own text of `error`; when the table is locked by
// another writer, with a message that says so.
[[noreturn]] void throwDatabaseError(const class QSqlError& error);
