#include "lists/ParameterQuery.h"

#include <algorithm>

namespace {

using ParameterQuery::Kind;

const char* kindWord(Kind kind)
{
    switch (kind) {
    case Kind::Artist:
        return "artists";
    case Kind::Genre:
        return "genres";
    case Kind::Medium:
        return "mediums";
    case Kind::Album:
        return "albums";
    case Kind::Year:
        return "years";
    }
    return "";
}

QString conditions(const std::array<QString, ValueFiles::kindCount>& groups)
{
    return Statements::parameterConditions(QStringList(groups.begin(), groups.end()));
}

} // namespace

namespace ParameterQuery {

bool Request::isEmpty() const
{
    return std::all_of(conditions.begin(), conditions.end(),
                       [](const QString& c) { return c.isEmpty(); });
}

QString Request::baseQuery() const
{
    return Statements::parameterBaseQuery(::conditions(conditions));
}

QString Request::selectStatement() const
{
    return Statements::selectByParameters(::conditions(conditions));
}

QString Request::captionText() const
{
    QString text;
    for (Kind kind : ValueFiles::kinds) {
        const QString& caption = captions[std::size_t(ValueFiles::index(kind))];
        if (!caption.isEmpty())
            text += QStringLiteral(" (%1: %2)").arg(QLatin1String(kindWord(kind)), caption);
    }
    return text;
}

QString Request::cacheLine() const
{
    QString query = baseQuery();
    query.remove(QLatin1Char('\r'));
    query.remove(QLatin1Char('\n'));
    return cacheCaption(captionText()) + QLatin1Char('|') + query;
}

Request request(const Ticked& ticked)
{
    Request result;
    for (Kind kind : ValueFiles::kinds) {
        const auto i = std::size_t(ValueFiles::index(kind));
        QString& condition = result.conditions[i];
        for (const QString& caption : ticked[i])
            condition += Statements::parameterTerm(kind, ValueFiles::termValue(kind, caption),
                                                   condition.isEmpty());
        result.captions[i] = ticked[i].join(QStringLiteral(", "));
    }
    return result;
}

QString cacheCaption(const QString& captionText)
{
    QString caption = captionText;
    caption.replace(QLatin1Char('|'), QChar(0x00A6));
    caption.replace(QLatin1String("\r\n"), QLatin1String(" "));
    caption.replace(QLatin1Char('\r'), QLatin1Char(' '));
    caption.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return caption;
}

QString windowCaption(int counter, const QString& caption)
{
    return QStringLiteral("List by parameter(%1): ").arg(counter) + caption;
}

} // namespace ParameterQuery
