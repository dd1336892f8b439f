#include "db/RQuery.h"

#include "db/SongDatabase.h"
#include "platform/Errors.h"

#include <QSqlError>
#include <QSqlRecord>

RQuery::~RQuery()
{
    close();
}

void RQuery::open()
{
    const QString filterText = m_filterText; // a filter set before opening applies
    close();
    m_filterText = filterText;
    // Parse first: a bad filter must not leave a half-open query behind.
    const RecordFilter filter = RecordFilter::parse(m_filterText);
    QSqlQuery query = database().execute(text());

    const QSqlRecord record = query.record();
    m_columnCount = record.count();
    m_columnByName.clear();
    for (qsizetype i = 0; i < m_columnCount; ++i)
        m_columnByName.insert(record.fieldName(int(i)).toLower(), i);
    for (int c = 0; c < songColumnCount; ++c)
        m_songColumns[c] =
            m_columnByName.value(songColumnName(static_cast<SongColumn>(c)).toLower(), -1);

    m_query.emplace(std::move(query));
    m_exhausted = false;
    m_filter = filter;
    first();
}

void RQuery::close()
{
    if (m_query)
        database().recycle(std::move(*m_query));
    m_query.reset();
    m_exhausted = true;
    m_values.clear();
    m_values.shrink_to_fit();
    m_visible.clear();
    m_visible.shrink_to_fit();
    m_columnCount = 0;
    m_position = 0;
    m_eof = true;
    m_filterText.clear();
    m_filter = RecordFilter();
}

bool RQuery::fetchRow()
{
    if (m_exhausted)
        return false;
    if (!m_query->next()) {
        const QSqlError error = m_query->lastError();
        m_exhausted = true;
        m_query->finish(); // releases the engine's read lock
        if (error.isValid())
            throwDatabaseError(error);
        return false;
    }
    const qsizetype row = qsizetype(m_values.size()) / std::max<qsizetype>(m_columnCount, 1);
    for (qsizetype c = 0; c < m_columnCount; ++c)
        m_values.push_back(m_query->value(int(c)).toString());
    if (rowMatches(row))
        m_visible.push_back(row);
    return true;
}

bool RQuery::ensureVisible(qsizetype index)
{
    while (qsizetype(m_visible.size()) <= index)
        if (!fetchRow())
            return false;
    return true;
}

void RQuery::fetchAll()
{
    while (fetchRow()) {
    }
}

void RQuery::first()
{
    m_position = 0;
    m_eof = !isOpen() || !ensureVisible(0);
}

void RQuery::next()
{
    if (m_eof)
        return;
    if (ensureVisible(m_position + 1))
        ++m_position;
    else
        m_eof = true;
}

void RQuery::last()
{
    if (!isOpen())
        return;
    fetchAll();
    m_position = std::max<qsizetype>(qsizetype(m_visible.size()) - 1, 0);
    m_eof = true;
}

bool RQuery::isEmpty()
{
    return !isOpen() || !ensureVisible(0);
}

int RQuery::recordCount()
{
    if (!isOpen())
        return 0;
    fetchAll();
    return int(m_visible.size());
}

const QString* RQuery::value(qsizetype column) const
{
    if (m_position >= qsizetype(m_visible.size()))
        return nullptr;
    return &m_values[m_visible[m_position] * m_columnCount + column];
}

QString RQuery::field(SongColumn column) const
{
    const qsizetype index = m_songColumns[static_cast<int>(column)];
    if (!isOpen() || index < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(songColumnName(column)));
    const QString* v = value(index);
    return v ? *v : QString();
}

QString RQuery::field(const QString& name) const
{
    const qsizetype index = isOpen() ? m_columnByName.value(name.toLower(), -1) : -1;
    if (index < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    const QString* v = value(index);
    return v ? *v : QString();
}

void RQuery::setFilter(const QString& expression)
{
    RecordFilter filter = RecordFilter::parse(expression);
    m_filterText = expression;
    m_filter = std::move(filter);
    if (isOpen())
        applyFilter();
}

void RQuery::applyFilter()
{
    m_visible.clear();
    const qsizetype rows = m_columnCount ? qsizetype(m_values.size()) / m_columnCount : 0;
    for (qsizetype row = 0; row < rows; ++row)
        if (rowMatches(row))
            m_visible.push_back(row);
    first();
}

bool RQuery::rowMatches(qsizetype row) const
{
    if (m_filter.isEmpty())
        return true;
    const QString* rowValues = m_values.data() + row * m_columnCount;
    return m_filter.matches([&](SongColumn column) -> QString {
        const qsizetype index = m_songColumns[static_cast<int>(column)];
        return index >= 0 ? rowValues[index] : QString();
    });
}
