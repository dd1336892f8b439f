#include "db/SqlDialect.h"

#include "platform/Errors.h"

#include <QSet>

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

const QSet<QString>& textColumns()
{
    static const QSet<QString> columns{
        QStringLiteral("artist"),   QStringLiteral("title"),        QStringLiteral("filename"),
        QStringLiteral("location"), QStringLiteral("track_length"), QStringLiteral("genre"),
        QStringLiteral("album"),    QStringLiteral("bitrate"),      QStringLiteral("frequency"),
        QStringLiteral("comment"),  QStringLiteral("syear")};
    return columns;
}

bool isPlainTableName(const QString& lower)
{
    for (QChar c : lower)
        if (!((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
              (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_')))
            return false;
    return !lower.isEmpty();
}

[[noreturn]] void fail(const QString& message, const QString& text)
{
    throw EDatabaseError(message + QStringLiteral("\nStatement: ") + text);
}

// ---- Long "or" chains ----
//
// The engine parses "a or b or c ..." into a tree as deep as the chain is long and refuses one
// deeper than 1,000. User lists, dropped songs and ticked parameters make chains of thousands
// of terms, so such a chain is regrouped into parentheses of at most `chainGroup` terms each,
// level upon level: the same condition, a few levels deep.
constexpr int chainGroup = 64;

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || isLineBreak(c);
}

// The number of an ID term ` ID="17"`, or an empty view for any other term.
QStringView idTermNumber(QStringView term)
{
    term = term.trimmed();
    if (!term.startsWith(QLatin1String("ID"), Qt::CaseInsensitive))
        return {};
    term = term.mid(2).trimmed();
    if (!term.startsWith(QLatin1Char('=')))
        return {};
    term = term.mid(1).trimmed();
    if (term.size() < 3 || !term.startsWith(QLatin1Char('"')) || !term.endsWith(QLatin1Char('"')))
        return {};
    term = term.mid(1, term.size() - 2);
    for (QChar c : term)
        if (!c.isDigit() || c.unicode() > 127)
            return {};
    return term;
}

QString regroup(QStringList terms)
{
    // A chain of nothing but ID terms (a user list's members) is one look-up of a set: the
    // engine plans a long chain of them in time that grows with its square.
    QStringList numbers;
    for (const QString& term : terms) {
        const QStringView number = idTermNumber(term);
        if (number.isEmpty())
            break;
        numbers << number.toString();
    }
    if (numbers.size() == terms.size())
        return QStringLiteral(" ID in (") + numbers.join(QLatin1Char(',')) + QLatin1Char(')');
    while (terms.size() > chainGroup) {
        QStringList groups;
        for (qsizetype i = 0; i < terms.size(); i += chainGroup)
            groups << QLatin1Char('(') + terms.mid(i, chainGroup).join(QLatin1String(" or ")) +
                          QLatin1Char(')');
        terms = groups;
    }
    return terms.join(QLatin1String(" or "));
}

// The end of the literal that opens at `i` (the index after its closing quote), or -1.
qsizetype literalEnd(QStringView text, qsizetype i)
{
    const QChar quote = text.at(i);
    for (qsizetype j = i + 1; j < text.size(); ++j) {
        if (text.at(j) != quote)
            continue;
        if (quote == QLatin1Char('\'') && j + 1 < text.size() && text.at(j + 1) == quote) {
            ++j;
            continue;
        }
        return j + 1;
    }
    return -1;
}

// `text` with every long "or" chain at its own level, and inside each of its parentheses,
// regrouped. `where` tells that `text` is a whole statement, whose chain is the condition
// between its first "where" and a following "order" at the outer level.
QString regroupChains(QStringView text, bool statement)
{
    QStringList terms;
    QString term;
    qsizetype conditionStart = statement ? -1 : 0;
    QString head; // a statement's text up to its condition
    QString tail; // and from its "order" on
    const auto atWord = [&](qsizetype i, QLatin1String word) {
        const qsizetype end = i + word.size();
        return end <= text.size() &&
               text.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0 &&
               (i == 0 || !isWordChar(text.at(i - 1))) &&
               (end == text.size() || !isWordChar(text.at(end)));
    };
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = literalEnd(text, i);
            if (end < 0)
                return text.toString(); // the translation reports it
            term += text.mid(i, end - i);
            i = end;
        } else if (c == QLatin1Char('(')) {
            qsizetype depth = 1;
            qsizetype j = i + 1;
            while (j < text.size() && depth > 0) {
                const QChar d = text.at(j);
                if (d == QLatin1Char('"') || d == QLatin1Char('\'')) {
                    const qsizetype end = literalEnd(text, j);
                    if (end < 0)
                        return text.toString();
                    j = end;
                    continue;
                }
                depth += d == QLatin1Char('(') ? 1 : d == QLatin1Char(')') ? -1 : 0;
                ++j;
            }
            if (depth > 0)
                return text.toString();
            term += QLatin1Char('(') + regroupChains(text.mid(i + 1, j - i - 2), false) +
                    QLatin1Char(')');
            i = j;
        } else if (conditionStart < 0 && atWord(i, QLatin1String("where"))) {
            head = term + text.mid(i, 5).toString();
            term.clear();
            i += 5;
            conditionStart = i;
        } else if (statement && conditionStart >= 0 && atWord(i, QLatin1String("order"))) {
            tail = text.mid(i).toString();
            break;
        } else if (conditionStart >= 0 && isSpace(c) && atWord(i + 1, QLatin1String("or")) &&
                   i + 3 < text.size() &&
                   (isSpace(text.at(i + 3)) || text.at(i + 3) == QLatin1Char('('))) {
            terms << term;
            term.clear();
            i += 3; // the blank after "or" opens the next term
        } else {
            term += c;
            ++i;
        }
    }
    terms << term;
    if (conditionStart < 0)
        return term; // a statement without a condition: its groups are regrouped all the same
    return head + regroup(terms) + tail;
}

} // namespace

namespace SqlDialect {

DialectStatement translate(const QString& dialectText)
{
    // A quick count first: nearly every statement has no chain worth regrouping.
    const QString text = dialectText.count(QLatin1String(" or "), Qt::CaseInsensitive) >= chainGroup
                             ? regroupChains(dialectText, true)
                             : dialectText;
    DialectStatement result;
    // Built side by side: `sql` with the values written in, `parameterizedSql` with "?" for
    // the double-quoted ones. `out` collects what both share; the values part diverges.
    QString& out = result.sql;
    QString& param = result.parameterizedSql;
    out.reserve(text.size() + 16);
    param.reserve(text.size() + 16);
    qsizetype shared = 0; // how much of `out` has been copied into `param` already
    const auto sync = [&] {
        param += QStringView(out).mid(shared);
        shared = out.size();
    };

    const qsizetype n = text.size();
    bool expectTable = false;
    bool inOrderBy = false;
    bool previousWasOrder = false; // the word before was "order"
    // "ID=" came just before: the number after it is a value like a quoted one, so that the
    // statements of many rows by ID (a re-tag of thousands) share one compiled form.
    bool previousWasId = false;
    bool afterIdEquals = false;

    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);

        if (isLineBreak(c)) {
            out += QLatin1Char(' ');
            ++i;
        } else if (c == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                fail(QStringLiteral("Unterminated string literal"), text);
            const qsizetype after = close + 1;
            if (after < n && (isWordChar(text.at(after)) || text.at(after) == QLatin1Char('"') ||
                              text.at(after) == QLatin1Char('\'')))
                fail(QStringLiteral("A value in this statement contains a double quote"), text);
            QString literal = text.mid(i + 1, close - i - 1);
            sync();
            result.values << literal;
            param += QLatin1Char('?');
            literal.replace(QLatin1Char('\''), QLatin1String("''"));
            out += QLatin1Char('\'') + literal + QLatin1Char('\'');
            shared = out.size();
            previousWasOrder = false;
            previousWasId = false;
            afterIdEquals = false;
            expectTable = false;
            i = after;
        } else if (c == QLatin1Char('\'')) {
            // A literal already in SQLite's own form: copied as it stands, '' included.
            qsizetype j = i + 1;
            for (;;) {
                if (j >= n)
                    fail(QStringLiteral("Unterminated string literal"), text);
                if (text.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < n && text.at(j + 1) == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += text.mid(i, j + 1 - i);
            previousWasOrder = false;
            i = j + 1;
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(text.at(j)))
                ++j;
            // Views and case-blind comparisons: this runs for every word of every statement.
            const QStringView word = QStringView(text).mid(i, j - i);
            const auto is = [&word](QLatin1String keyword) {
                return word.compare(keyword, Qt::CaseInsensitive) == 0;
            };
            if (expectTable) {
                expectTable = false;
                if (is(QLatin1String("tamboro"))) {
                    out += word;
                } else {
                    const QString lower = word.toString().toLower();
                    if (!isPlainTableName(lower))
                        fail(QStringLiteral("Invalid table name %1").arg(word), text);
                    if (!result.tables.contains(lower))
                        result.tables << lower;
                    out += lower + QLatin1String(".tamboro");
                }
            } else {
                out += word;
                if (inOrderBy && textColumns().contains(word.toString().toLower()))
                    out += QLatin1String(" COLLATE NOCASE");
            }
            if (is(QLatin1String("from")) || is(QLatin1String("into")) ||
                is(QLatin1String("update")) || is(QLatin1String("join")))
                expectTable = true;
            if (previousWasOrder && is(QLatin1String("by")))
                inOrderBy = true;
            previousWasOrder = is(QLatin1String("order"));
            previousWasId = is(QLatin1String("id"));
            afterIdEquals = false;
            i = j;
        } else if (c.isDigit()) {
            qsizetype j = i + 1;
            while (j < n && (isWordChar(text.at(j)) || text.at(j) == QLatin1Char('.')))
                ++j;
            const QString number = text.mid(i, j - i);
            bool digitsOnly = afterIdEquals;
            for (qsizetype k = 0; digitsOnly && k < number.size(); ++k)
                digitsOnly = number.at(k).isDigit();
            if (digitsOnly) {
                sync();
                result.values << number;
                param += QLatin1Char('?');
                out += number;
                shared = out.size();
            } else {
                out += number;
            }
            previousWasOrder = false;
            previousWasId = false;
            afterIdEquals = false;
            i = j;
        } else if (c == QLatin1Char(';')) {
            for (qsizetype j = i + 1; j < n; ++j)
                if (!text.at(j).isSpace())
                    fail(QStringLiteral("Only one statement can be run at a time"), text);
            i = n;
        } else {
            // A run of blanks and punctuation is copied in one piece: statements are built for
            // every file an add reads, so this loop is hot.
            qsizetype j = i;
            bool punctuation = false;
            for (; j < n; ++j) {
                const QChar d = text.at(j);
                if (isLineBreak(d) || d == QLatin1Char('"') || d == QLatin1Char('\'') ||
                    isWordStart(d) || d.isDigit() || d == QLatin1Char(';'))
                    break;
                punctuation = punctuation || !d.isSpace();
            }
            const QStringView run = QStringView(text).mid(i, j - i);
            out += run;
            afterIdEquals = previousWasId && run.trimmed() == QLatin1String("=");
            previousWasId = false;
            if (punctuation) {
                previousWasOrder = false;
                expectTable = false;
            }
            i = j;
        }
    }
    sync();
    return result;
}

} // namespace SqlDialect
