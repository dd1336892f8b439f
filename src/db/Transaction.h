#pragma once

class SongDatabase;

// Runs the statements of its lifetime as one transaction: commit() makes them permanent,
// leaving the scope without commit() (an exception, an early return) rolls them back, so a
// batch is stored whole or not at all. Guards nest: only the outermost one talks to the
// engine, and an inner one left without commit() makes the outer commit() fail. The outermost
// guard takes the table's write lock at once: another program writing the table is waited for
// (SongDatabase::setBusyTimeout), and the constructor throws EDatabaseError if it takes too
// long.
class Transaction
{
public:
    explicit Transaction(SongDatabase& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Throws EDatabaseError when the engine cannot commit or an inner guard rolled back.
    void commit();

private:
    SongDatabase& m_database;
    bool m_done = false;
};
