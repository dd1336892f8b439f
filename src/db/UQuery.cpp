#include "db/UQuery.h"

#include "db/SongDatabase.h"

void UQuery::execSQL()
{
    m_rowsAffected = 0;
    QSqlQuery query = database().execute(text());
    m_rowsAffected = query.numRowsAffected();
    database().recycle(std::move(query));
}
