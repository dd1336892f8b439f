#pragma once

#include "db/SongColumn.h"

#include <QList>
#include <QString>

// The record filter of the read query, in the expression form the list windows build:
// terms "column = 'text*'" joined by " and ". A trailing asterisk makes a term a prefix
// match; without it the whole value must match. Matching ignores letter case. The typed text
// is compared in the stored (encoded) form, so any character in it is safe.
class RecordFilter
{
public:
    struct Term
    {
        SongColumn column;
        QString text; // in stored form
        bool prefix;
    };

    RecordFilter() = default;
    // Throws EDatabaseError for an expression that is not of that form or names no column.
    static RecordFilter parse(const QString& expression);

    bool isEmpty() const { return m_terms.isEmpty(); }
    const QList<Term>& terms() const { return m_terms; }
    // `valueOf` gives the stored text of a column of the row being tested.
    template <typename ValueOf> bool matches(ValueOf valueOf) const
    {
        for (const Term& term : m_terms)
            if (!termMatches(term, valueOf(term.column)))
                return false;
        return true;
    }

private:
    static bool termMatches(const Term& term, const QString& value);
    QList<Term> m_terms;
};
