#include "cli/CliContext.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QString jsonText(const QJsonValue& value)
{
    // QJsonDocument only serialises arrays and objects: wrap the value and drop the brackets.
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
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

CliRecord& CliRecord::add(const QString& name, const QJsonValue& value)
{
    m_fields.append({name, value});
    return *this;
}

void CliRecord::print(QTextStream& out, bool json) const
{
    if (json) {
        QStringList parts;
        for (const auto& [name, value] : m_fields)
            parts << jsonText(name) + QLatin1Char(':') + jsonText(value);
        out << '{' << parts.join(QLatin1Char(',')) << "}\n";
    } else {
        for (const auto& [name, value] : m_fields)
            out << name << ": " << plainText(value) << '\n';
        out << '\n';
    }
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
