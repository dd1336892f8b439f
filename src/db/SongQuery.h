#pragma once

#include <QString>
#include <QStringList>

class SongDatabase;

// What both query objects share: the statement as a list of lines, sent to the engine joined
// by line breaks, and registration with the connection so that closing it closes them.
class SongQuery
{
public:
    explicit SongQuery(SongDatabase& database);
    virtual ~SongQuery();
    SongQuery(const SongQuery&) = delete;
    SongQuery& operator=(const SongQuery&) = delete;

    // The statement's lines; change them only while the query is closed.
    QStringList& sql() { return m_sql; }
    const QStringList& sql() const { return m_sql; }
    // Replaces the lines by `text` (which may hold line breaks of its own).
    void setSql(const QString& text);
    QString text() const { return m_sql.join(QLatin1Char('\n')); }

    virtual void close() = 0;

protected:
    SongDatabase& database() const { return m_database; }

private:
    SongDatabase& m_database;
    QStringList m_sql;
};
