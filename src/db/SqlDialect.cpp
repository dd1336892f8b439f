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

} // namespace

namespace SqlDialect {

DialectStatement translate(const QString& text)
{
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
            i = j;
        } else if (c.isDigit()) {
            qsizetype j = i + 1;
            while (j < n && (isWordChar(text.at(j)) || text.at(j) == QLatin1Char('.')))
                ++j;
            out += text.mid(i, j - i);
            previousWasOrder = false;
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
            out += QStringView(text).mid(i, j - i);
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
