#pragma once

#include "db/RecordFilter.h"
#include "db/SongColumn.h"
#include "db/SongQuery.h"

#include <QHash>
#include <QList>
#include <QSqlQuery>

#include <array>
#include <optional>
#include <vector>

// The read query. Rows are fetched from the engine as the reader moves forward, so a caller
// that only asks whether there is a row never reads the whole result; the record count and
// last() read it all. The record filter hides rows from navigation and from the count; it is
// cleared whenever the query closes.
class RQuery : public SongQuery
{
public:
    using SongQuery::SongQuery;
    ~RQuery() override;

    // Runs the statement (closing first if open). Throws EDatabaseError when refused.
    void open();
    void close() override;
    bool isOpen() const { return m_query.has_value(); }

    // Navigation. eof() is true after next() passes the last row, after last(), and on an
    // empty result; the current row then stays the last one.
    void first();
    void next();
    void last();
    bool eof() const { return m_eof; }
    bool isEmpty();
    int recordCount();

    // The current row's value of a column, as text ("" for NULL or when there is no row).
    // Throws EDatabaseError when the result has no such column.
    QString field(SongColumn column) const;
    QString field(const QString& name) const;

    const QString& filter() const { return m_filterText; }
    // Sets the record filter (applies at once when open) and moves to the first row.
    void setFilter(const QString& expression);

private:
    bool fetchRow();
    bool ensureVisible(qsizetype index);
    void fetchAll();
    const QString* value(qsizetype column) const;
    void applyFilter();
    bool rowMatches(qsizetype row) const;

    std::optional<QSqlQuery> m_query;
    bool m_exhausted = true;
    qsizetype m_columnCount = 0;
    QHash<QString, qsizetype> m_columnByName; // lower-case name -> index
    std::array<qsizetype, songColumnCount> m_songColumns{};
    std::vector<QString> m_values; // row-major
    std::vector<qsizetype> m_visible;
    qsizetype m_position = 0;
    bool m_eof = true;
    QString m_filterText;
    RecordFilter m_filter;
};
