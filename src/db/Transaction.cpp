#include "db/Transaction.h"

#include "db/SongDatabase.h"
#include "platform/Errors.h"

#include <QSqlError>
#include <QSqlQuery>

Transaction::Transaction(SongDatabase& database)
    : m_database(database)
{
    if (m_database.m_transactionDepth == 0) {
        // The write lock is taken here, waiting for another writer if need be. A transaction
        // that took it only at its first write, after reads, would fail at once instead: the
        // engine cannot wait there without risking a deadlock with the other writer.
        QSqlQuery begin(m_database.connection());
        if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
            throwDatabaseError(begin.lastError());
        m_database.m_rollbackOnly = false;
    }
    ++m_database.m_transactionDepth;
}

Transaction::~Transaction()
{
    if (m_done || m_database.m_transactionDepth == 0)
        return; // committed, or the connection was closed under us
    if (--m_database.m_transactionDepth > 0) {
        m_database.m_rollbackOnly = true;
        return;
    }
    if (m_database.isConnected())
        m_database.connection().rollback();
}

void Transaction::commit()
{
    if (m_done)
        return;
    if (m_database.m_transactionDepth == 0)
        throw EDatabaseError(QStringLiteral("The transaction ended when the database closed"));
    m_done = true;
    if (--m_database.m_transactionDepth > 0)
        return;
    QSqlDatabase db = m_database.connection();
    if (m_database.m_rollbackOnly) {
        db.rollback();
        m_database.m_rollbackOnly = false;
        throw EDatabaseError(QStringLiteral("The changes were rolled back"));
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        throwDatabaseError(error);
    }
}
