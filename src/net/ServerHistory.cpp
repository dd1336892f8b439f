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
    return QFile::exists(path) ? LegacyText::readLines(path) : QStringList();
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
