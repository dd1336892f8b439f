#include "cli/CliContext.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <limits>

namespace {

QString jsonText(const QJsonValue& value)
{
    // QJsonDocument only serialises arrays and objects: wrap the value and drop the brackets.
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// Appends `value` as QJsonDocument writes it in compact form: booleans and null here, strings
// through appendJsonString, anything else by QJsonDocument itself.
void appendJson(QString& line, const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        line += value.toBool() ? QLatin1String("true") : QLatin1String("false");
        return;
    case QJsonValue::Null:
        line += QLatin1String("null");
        return;
    case QJsonValue::String:
        appendJsonString(line, value.toString());
        return;
    default:
        line += jsonText(value);
        return;
    }
}

QString plainText(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QString();
    default:
        return jsonText(value);
    }
}

} // namespace

void appendJsonString(QString& line, const QString& text)
{
    // Control characters and surrogates (paired or not) are rare: QJsonDocument's own writer
    // keeps their forms exact. Everything else needs only the quote and the backslash escaped.
    const bool plain = std::none_of(text.cbegin(), text.cend(),
                                    [](QChar c) { return c.unicode() < 0x20 || c.isSurrogate(); });
    if (!plain) {
        line += jsonText(text);
        return;
    }
    line += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            line += QLatin1Char('\\');
        line += c;
    }
    line += QLatin1Char('"');
}

CliRecord& CliRecord::add(const QString& name, const QJsonValue& value)
{
    m_fields.append({name, value});
    return *this;
}

void CliRecord::print(QTextStream& out, bool json) const
{
    QString text;
    if (json) {
        text += QLatin1Char('{');
        for (const auto& [name, value] : m_fields) {
            if (text.size() > 1)
                text += QLatin1Char(',');
            appendJson(text, name);
            text += QLatin1Char(':');
            appendJson(text, value);
        }
        text += QLatin1String("}\n");
    } else {
        for (const auto& [name, value] : m_fields)
            text += name + QLatin1String(": ") + plainText(value) + QLatin1Char('\n');
        text += QLatin1Char('\n');
    }
    out << text;
    out.flush();
}

bool CliArgs::has(const QString& name) const
{
    for (const auto& option : options)
        if (option.first == name)
            return true;
    return false;
}

QString CliArgs::value(const QString& name) const
{
    QString result;
    for (const auto& option : options)
        if (option.first == name)
            result = option.second; // the last one given wins
    return result;
}

CliArgs parseCliArgs(const QStringList& args, const QStringList& flags, const QStringList& valued)
{
    CliArgs result;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg.startsWith(QLatin1String("--"))) {
            if (flags.contains(arg)) {
                result.options.append({arg, QString()});
            } else if (valued.contains(arg)) {
                if (i + 1 >= args.size())
                    throw CliUsageError(QStringLiteral("Option %1 needs a value").arg(arg));
                result.options.append({arg, args.at(++i)});
            } else {
                throw CliUsageError(QStringLiteral("Unknown option %1").arg(arg));
            }
        } else {
            result.positional << arg;
        }
    }
    return result;
}

QString missingPathText(const QString& path)
{
    if (path.contains(QChar::ReplacementCharacter))
        return QStringLiteral("%1: the name is not valid UTF-8, so no file can be opened by it")
            .arg(path);
    return QStringLiteral("%1 does not exist").arg(path);
}

QStringList cliIdList(const QString& list)
{
    QStringList ids;
    for (const QString& part : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString id = part.trimmed();
        bool number = false;
        id.toLongLong(&number);
        if (!number)
            throw CliUsageError(QStringLiteral("%1 is no song ID").arg(id));
        ids << id;
    }
    return ids;
}

void cliRequireSelect(const QString& sql)
{
    if (!sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive))
        throw CliUsageError(QStringLiteral("--query must be a select statement"));
}

QStringList cliQueryIds(SongDatabase& database, const QString& sql)
{
    cliRequireSelect(sql);
    RQuery query(database);
    query.setSql(sql);
    query.open();
    QStringList ids;
    for (query.first(); !query.eof(); query.next())
        ids << query.field(SongColumn::ID);
    query.close();
    return ids;
}

int waitSecondsOption(const CliArgs& parsed, int fallback)
{
    if (!parsed.has(QStringLiteral("--wait")))
        return fallback;
    bool ok = false;
    const int seconds = parsed.value(QStringLiteral("--wait")).toInt(&ok);
    if (!ok || seconds <= 0)
        throw CliUsageError(QStringLiteral("--wait takes a number of seconds"));
    return std::min(seconds, std::numeric_limits<int>::max() / 1000);
}
