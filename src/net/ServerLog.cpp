#include "net/ServerLog.h"

#include <QDateTime>

namespace ServerLog {

QString field(const QString& text)
{
    constexpr qsizetype longest = 200;
    QString shown = text.left(longest);
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char('?');
    }
    if (text.size() > longest)
        shown += QStringLiteral("...");
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

QString line(const QString& peer, const QString& verb, const QString& fields,
             const QString& outcome)
{
    QString text = QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ') +
                   (peer.isEmpty() ? QStringLiteral("-") : peer) + QLatin1Char(' ') + verb;
    if (!fields.isEmpty())
        text += QLatin1Char(' ') + fields;
    return text + QStringLiteral(": ") + outcome;
}

} // namespace ServerLog
