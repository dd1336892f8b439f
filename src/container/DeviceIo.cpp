#include "container/DeviceIo.h"

#include "platform/Errors.h"

#include <QFileDevice>
#include <QtEndian>

namespace DeviceIo {

QString deviceName(const QIODevice& device)
{
    if (const auto* file = qobject_cast<const QFileDevice*>(&device)) {
        if (!file->fileName().isEmpty())
            return file->fileName();
    }
    return QStringLiteral("data stream");
}

QByteArray readUpTo(QIODevice& device, qint64 count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    qint64 got = 0;
    while (got < count) {
        const qint64 n = device.read(bytes.data() + got, count - got);
        if (n < 0) {
            throw EInOutError(
                QStringLiteral("Cannot read %1: %2").arg(deviceName(device), device.errorString()));
        }
        if (n == 0) {
            // A pipe or socket may simply have nothing yet; anything else has ended.
            if (device.isSequential() && !device.atEnd() && device.waitForReadyRead(30000))
                continue;
            break;
        }
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

void writeAll(QIODevice& device, QByteArrayView bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = device.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            QString reason = device.errorString();
            if (n == 0 || reason.isEmpty())
                reason = QStringLiteral("the device accepts no more data");
            throw EInOutError(
                QStringLiteral("Cannot write %1: %2").arg(deviceName(device), reason));
        }
        done += n;
    }
}

void seek(QIODevice& device, qint64 position)
{
    if (!device.seek(position)) {
        throw EInOutError(
            QStringLiteral("Cannot seek in %1: %2").arg(deviceName(device), device.errorString()));
    }
}

QByteArray int32Le(qint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(value, bytes.data());
    return bytes;
}

qint32 readInt32Le(QByteArrayView fourBytes)
{
    Q_ASSERT(fourBytes.size() == 4);
    return qFromLittleEndian<qint32>(fourBytes.data());
}

} // namespace DeviceIo
