#pragma once

#include "db/SongQuery.h"

// The change query: runs a statement that returns no rows.
class UQuery : public SongQuery
{
public:
    using SongQuery::SongQuery;

    // Runs the statement. Throws EDatabaseError with the engine's text when refused.
    void execSQL();
    // Rows changed by the last execSQL().
    int rowsAffected() const { return m_rowsAffected; }
    void close() override {}

private:
    int m_rowsAffected = 0;
};
