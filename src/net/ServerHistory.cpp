#include "net/ServerHistory.h"

#include "platform/Errors.h"
#include "platform/Home.h"
#include "platform/LegacyText.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QString lineEnd = QStringLiteral("\r\n");

} // namespace

namespace ServerHistory {

QStringList load(const QString& home)
{
    const QString path = Home::file(home, fileName);
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    QStringList entries;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            entries.append(LegacyText::decode(line));
    }
    return entries;
}

void save(const QString& home, const QStringList& entries)
{
    const QString path = Home::file(home, fileName);
    QByteArray bytes;
    for (const QString& entry : entries)
        bytes += (entry + lineEnd).toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EInOutError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

bool known(const QStringList& entries, const QString& text)
{
    return !text.isEmpty() && entries.join(lineEnd).contains(text);
}

} // namespace ServerHistory
