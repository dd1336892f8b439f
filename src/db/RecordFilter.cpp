#include "db/RecordFilter.h"

#include "db/TextCodec.h"
#include "platform/Errors.h"

namespace {

[[noreturn]] void invalid(const QString& expression)
{
    throw EDatabaseError(QStringLiteral("Invalid filter expression: %1").arg(expression));
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

qsizetype skipBlanks(const QString& s, qsizetype i)
{
    while (i < s.size() && s.at(i) == QLatin1Char(' '))
        ++i;
    return i;
}

// Where the head of a term, "column = '", ends (the index after the quote), or -1.
qsizetype termHead(const QString& s, qsizetype i, QString* column)
{
    i = skipBlanks(s, i);
    const qsizetype start = i;
    while (i < s.size() && isWordChar(s.at(i)))
        ++i;
    if (i == start)
        return -1;
    if (column)
        *column = s.mid(start, i - start);
    i = skipBlanks(s, i);
    if (i >= s.size() || s.at(i) != QLatin1Char('='))
        return -1;
    i = skipBlanks(s, i + 1);
    if (i >= s.size() || s.at(i) != QLatin1Char('\''))
        return -1;
    return i + 1;
}

// The closing quote of a term's text: the first quote after which comes either the end or
// " and " with the head of another term. The text itself may hold quotes.
qsizetype termEnd(const QString& s, qsizetype from)
{
    for (qsizetype q = s.indexOf(QLatin1Char('\''), from); q >= 0;
         q = s.indexOf(QLatin1Char('\''), q + 1)) {
        const qsizetype after = skipBlanks(s, q + 1);
        if (after == s.size())
            return q;
        if (s.mid(after, 4).compare(QLatin1String("and "), Qt::CaseInsensitive) == 0 &&
            termHead(s, after + 4, nullptr) >= 0)
            return q;
    }
    return -1;
}

bool columnByName(const QString& name, SongColumn* column)
{
    for (int i = 0; i < songColumnCount; ++i) {
        const auto candidate = static_cast<SongColumn>(i);
        if (songColumnName(candidate).compare(name, Qt::CaseInsensitive) == 0) {
            *column = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

RecordFilter RecordFilter::parse(const QString& expression)
{
    RecordFilter filter;
    if (expression.trimmed().isEmpty())
        return filter;

    qsizetype i = 0;
    for (;;) {
        QString name;
        const qsizetype textStart = termHead(expression, i, &name);
        if (textStart < 0)
            invalid(expression);
        const qsizetype close = termEnd(expression, textStart);
        if (close < 0)
            invalid(expression);

        Term term{};
        if (!columnByName(name, &term.column))
            throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
        QString text = expression.mid(textStart, close - textStart);
        term.prefix = text.endsWith(QLatin1Char('*'));
        if (term.prefix)
            text.chop(1);
        term.text = isEncodedColumn(term.column) ? TextCodec::reFilter(text) : text;
        filter.m_terms.append(term);

        i = skipBlanks(expression, close + 1);
        if (i == expression.size())
            break;
        i += 4; // "and "
    }
    return filter;
}

bool RecordFilter::termMatches(const Term& term, const QString& value)
{
    if (term.prefix)
        return value.startsWith(term.text, Qt::CaseInsensitive);
    return value.compare(term.text, Qt::CaseInsensitive) == 0;
}
