#include "container/TFileSource.h"

#include "container/DeviceIo.h"
#include "container/TCompressStream.h"
#include "platform/Clock.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {

constexpr qint64 CopyChunk = 64 * 1024;

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

QString extensionOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

TFileSource::TFileSource(QObject* parent)
    : TFileSource(systemClock(), QString(), parent)
{}

TFileSource::TFileSource(Clock& clock, const QString& tempDir, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_tempDir(tempDir.isEmpty() ? QDir::tempPath() : tempDir)
{}

TFileSource::~TFileSource()
{
    removeOwnedFile();
}

QString TFileSource::fileName() const
{
    if (m_fileName.isEmpty() || !QFileInfo::exists(m_fileName))
        return QString();
    return m_fileName;
}

void TFileSource::setFileName(const QString& path)
{
    m_extension = extensionOf(path);
    // Naming the file the container already holds must neither delete it nor leave it behind.
    if (path == m_fileName)
        return;
    removeOwnedFile();
    m_owned = false;
    m_fileName = path;
}

void TFileSource::setCompress(bool compress)
{
    m_compress = compress;
    if (compress)
        m_store = true;
}

void TFileSource::removeOwnedFile()
{
    if (m_owned && !m_fileName.isEmpty())
        QFile::remove(m_fileName);
    m_owned = false;
}

void TFileSource::loadFileData(QIODevice& fileData)
{
    // The extension is glued to a name inside the temporary directory; a separator in it
    // would put the file somewhere else.
    if (m_extension.contains(QLatin1Char('/')) || m_extension.contains(QChar(0))) {
        throw EInOutError(QStringLiteral("%1: invalid extension \"%2\" for a temporary file")
                              .arg(objectName(), m_extension));
    }

    const QString prefix = QStringLiteral("~fs") + QString::number(m_clock.now().time().second());
    const QDir dir(m_tempDir);
    QFile file;
    // Each name is created exclusively, so a file or link already there is never opened or
    // followed: its name is simply taken and the counter moves on.
    for (qint64 n = 0;; ++n) {
        const QString path = dir.filePath(prefix + QString::number(n) + m_extension);
        file.setFileName(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        const QFileInfo there(path);
        if (!there.exists() && !there.isSymLink()) {
            throw EInOutError(QStringLiteral("%1 cannot create temporary file %2: %3")
                                  .arg(objectName(), path, file.errorString()));
        }
    }

    if (file.fileName() != m_fileName)
        removeOwnedFile();
    m_fileName = file.fileName();
    m_owned = true;

    try {
        unpackFileData(fileData, m_compress, file);
        if (!file.flush())
            throw EInOutError(
                QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()));
        file.close();
    } catch (...) {
        file.close();
        removeOwnedFile();
        m_fileName.clear();
        throw;
    }
}

void TFileSource::loadFileData(const QByteArray& fileData)
{
    QByteArray bytes = fileData;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    loadFileData(buffer);
}

void TFileSource::storeFileData(QIODevice& out) const
{
    QFile file(m_fileName);
    if (m_fileName.isEmpty() || !file.exists()) {
        throw EInOutError(objectName() + QStringLiteral(" cannot store file: ") + m_fileName +
                          QStringLiteral(" (file is missing)"));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw EInOutError(QStringLiteral("Cannot open %1: %2").arg(m_fileName, file.errorString()));
    }
    packFileData(file, m_compress, out);
}

QByteArray TFileSource::fileData() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    storeFileData(buffer);
    return bytes;
}

void TFileSource::packFileData(QIODevice& file, bool compressed, QIODevice& out)
{
    if (compressed) {
        TCompressStream::compress(file, out);
        return;
    }
    const QString name = DeviceIo::deviceName(file);
    const qint64 size = file.size() - file.pos();
    if (file.isSequential() || size < 0)
        throw EInOutError(QStringLiteral("Cannot tell the size of %1").arg(name));
    if (size > std::numeric_limits<qint32>::max())
        throw EInOutError(QStringLiteral("%1 is too large to be stored").arg(name));

    DeviceIo::writeAll(out, DeviceIo::int32Le(qint32(size)));
    qint64 remaining = size;
    while (remaining > 0) {
        const QByteArray chunk = DeviceIo::readUpTo(file, qMin(remaining, CopyChunk));
        if (chunk.isEmpty())
            throw EInOutError(QStringLiteral("%1 became shorter while being read").arg(name));
        DeviceIo::writeAll(out, chunk);
        remaining -= chunk.size();
    }
}

void TFileSource::unpackFileData(QIODevice& fileData, bool compressed, QIODevice& out)
{
    if (compressed) {
        TCompressStream::decompress(fileData, out);
        return;
    }
    const QByteArray lengthBytes = DeviceIo::readUpTo(fileData, 4);
    if (lengthBytes.size() < 4)
        throw ECompressError(QStringLiteral("Corrupt file image: the length is truncated"));
    const qint64 length = DeviceIo::readInt32Le(lengthBytes);
    if (length < 0)
        throw ECompressError(QStringLiteral("Corrupt file image: negative length %1").arg(length));
    if (!fileData.isSequential() && length > fileData.size() - fileData.pos()) {
        throw ECompressError(
            QStringLiteral(
                "Corrupt file image: length %1 goes beyond the end of the data (%2 bytes)")
                .arg(length)
                .arg(fileData.size() - fileData.pos()));
    }
    qint64 remaining = length;
    while (remaining > 0) {
        const QByteArray chunk = DeviceIo::readUpTo(fileData, qMin(remaining, CopyChunk));
        if (chunk.isEmpty())
            throw ECompressError(QStringLiteral("Corrupt file image: the data is truncated"));
        DeviceIo::writeAll(out, chunk);
        remaining -= chunk.size();
    }
}
