#include "net/MessageFrame.h"

#include "net/SockError.h"

namespace MessageFrame {

QByteArray reply()
{
    return QByteArrayLiteral("OK              ");
}

QByteArray lengthField(qint64 length, int digits)
{
    QByteArray field = QByteArray::number(length).rightJustified(digits, '0');
    if (length < 0 || field.size() != digits)
        throw ESockError(QStringLiteral("A length of %1 cannot be written in %2 digits")
                             .arg(length)
                             .arg(digits));
    return field;
}

namespace {

QByteArray framedText(const QString& text, const char* what)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() > MaxText)
        throw ESockError(QStringLiteral("The %1 is %2 bytes long; a message can carry at most "
                                        "9,999 bytes, so it was not sent")
                             .arg(QLatin1String(what))
                             .arg(bytes.size()));
    return lengthField(bytes.size(), LengthDigits) + bytes;
}

} // namespace

QByteArray message(const QString& name, const QString& text)
{
    return framedText(name, "sender name") + framedText(text, "message");
}

QByteArray streamHeader(const QString& name, qint64 size)
{
    return framedText(name, "sender name") + lengthField(size, SizeDigits);
}

std::optional<qint64> parseLength(QByteArrayView field)
{
    if (field.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace MessageFrame
