#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

// Reading and writing whole pieces on a QIODevice, turning every device failure into an
// EInOutError that names the device (its file name when it has one).
namespace DeviceIo {

// The file name of a file device, otherwise a generic description.
QString deviceName(const QIODevice& device);

// Reads until `count` bytes are there or the device has no more; fewer bytes mean end of data.
QByteArray readUpTo(QIODevice& device, qint64 count);

// Writes every byte or throws.
void writeAll(QIODevice& device, QByteArrayView bytes);

void seek(QIODevice& device, qint64 position);

QByteArray int32Le(qint32 value);
qint32 readInt32Le(QByteArrayView fourBytes);

} // namespace DeviceIo
