#pragma once

#include "db/SqlMonitor.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

class SongQuery;

// The connection to the song table "tamboro.db" of a home folder. A statement's table name T
// stands for the song table inside the file T.db of the home ("converted" is converted.db);
// such files are attached when a statement first names them. The connection opens on the first
// statement and never creates the song table: a missing file is an error, so that the
// start-up write-out of the empty template is never pre-empted by an empty file.
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

    // Creates a new, empty song table file at `path` (it must not exist yet).
    static void createSongTable(const QString& path);

private:
    friend class SongQuery;
    friend class Transaction;
    QSqlDatabase connection();
    void attach(const QString& table);
    void registerQuery(SongQuery* query) { m_queries.append(query); }
    void unregisterQuery(SongQuery* query) { m_queries.removeAll(query); }

    QString m_home;
    QString m_connectionName;
    QSet<QString> m_attached;
    // Compiled statements not in use, by parameterised text (and forward-only mode).
    QHash<QString, QSqlQuery> m_prepared;
    QList<SongQuery*> m_queries;
    SqlMonitor m_monitor;
    int m_transactionDepth = 0;
    bool m_rollbackOnly = false;
};

// Raises EDatabaseError with the engine's own text of `error`.
[[noreturn]] void throwDatabaseError(const class QSqlError& error);
