#include "lists/FastSearch.h"

#include "db/CaseFold.h"
#include "db/Statements.h"
#include "db/TextCodec.h"

namespace FastSearch {

Join joinOf(const QString& setting)
{
    return setting.compare(QLatin1String("and"), Qt::CaseInsensitive) == 0 ? Join::Every
                                                                           : Join::Any;
}

QString promptTitle(const QString& setting)
{
    return QStringLiteral("Fast Search (param: ") + setting + QLatin1Char(')');
}

QString promptLabel()
{
    return QStringLiteral("Enter your keyword(s)");
}

QString caption(const QString& text)
{
    return QStringLiteral("Fast search: ") + text;
}

QStringList keywords(const QString& text)
{
    if (text.endsWith(QLatin1Char(' ')))
        return {text};
    // Each blank ends the keyword before it; the rest after the last blank is the last one.
    return text.split(QLatin1Char(' '));
}

namespace {

// The first character (a whole code point) in upper case, the rest as it is.
QString firstUpper(const QString& lower)
{
    if (lower.isEmpty())
        return lower;
    const qsizetype first = lower.at(0).isHighSurrogate() && lower.size() > 1 ? 2 : 1;
    return lower.left(first).toUpper() + lower.mid(first);
}

} // namespace

QStringList caseVariants(const QStringList& keywords)
{
    QStringList variants;
    variants.reserve(keywords.size() * 4);
    for (const QString& keyword : keywords) {
        const QString lower = keyword.toLower();
        variants << keyword << keyword.toUpper() << lower << firstUpper(lower);
    }
    return variants;
}

std::optional<Plan> plan(const QString& text, Join join)
{
    // Characters, not UTF-16 units: one emoji is one character.
    qsizetype characters = 0;
    for (const QChar c : text)
        characters += c.isLowSurrogate() ? 0 : 1;
    if (characters < minimumLength)
        return std::nullopt;

    Plan result;
    result.caption = caption(text);
    result.words = keywords(text);

    QStringList groups;
    for (const QString& word : std::as_const(result.words)) {
        if (word.isEmpty())
            continue;
        const QStringList variants = caseVariants({word});
        result.search4 << variants;
        // Folding makes most variants one form; those that stay apart ("straße" and the
        // "STRASSE" of its upper case) remain alternatives.
        QStringList forms;
        for (const QString& variant : variants) {
            const QString form = CaseFold::fold(TextCodec::reFilter(variant));
            if (!forms.contains(form))
                forms << form;
        }
        groups << Statements::fastSearchKeywordGroup(forms);
    }
    result.qut = Statements::selectFastSearchFolded(groups, join == Join::Every);
    return result;
}

} // namespace FastSearch
