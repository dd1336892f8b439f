#include "db/SongQuery.h"

#include "db/SongDatabase.h"

SongQuery::SongQuery(SongDatabase& database)
    : m_database(database)
{
    m_database.registerQuery(this);
}

SongQuery::~SongQuery()
{
    m_database.unregisterQuery(this);
}

void SongQuery::setSql(const QString& text)
{
    m_sql = QStringList{text};
}
