#include "testsupport/FailDevice.h"

#include <cstring>

FailDevice::FailDevice(QByteArray data, QObject* parent)
    : QIODevice(parent)
    , m_data(std::move(data))
{}

bool FailDevice::open(OpenMode mode)
{
    if (!QIODevice::open(mode | QIODevice::Unbuffered))
        return false;
    if (mode & QIODevice::Truncate)
        m_data.clear();
    if (mode & QIODevice::Append)
        QIODevice::seek(m_data.size());
    return true;
}

qint64 FailDevice::size() const
{
    return m_sequential ? 0 : m_data.size();
}

bool FailDevice::seek(qint64 pos)
{
    if (m_sequential || pos < 0)
        return false;
    return QIODevice::seek(pos);
}

qint64 FailDevice::readData(char* data, qint64 maxSize)
{
    qint64 allowed = maxSize;
    if (m_readLimit != NoLimit) {
        if (m_bytesRead >= m_readLimit) {
            m_failed = true;
            setErrorString(
                QStringLiteral("simulated read failure after %1 bytes").arg(m_readLimit));
            return -1;
        }
        allowed = qMin(allowed, m_readLimit - m_bytesRead);
    }
    // A sequential device has no position of its own in QIODevice: it reads from the front.
    const qint64 start = m_sequential ? m_sequentialPos : pos();
    const qint64 n = qBound<qint64>(0, qMin(allowed, m_data.size() - start), maxSize);
    if (n > 0)
        std::memcpy(data, m_data.constData() + start, size_t(n));
    m_bytesRead += n;
    if (m_sequential)
        m_sequentialPos += n;
    return n;
}

qint64 FailDevice::writeData(const char* data, qint64 maxSize)
{
    qint64 n = maxSize;
    if (m_writeLimit != NoLimit) {
        if (m_bytesWritten >= m_writeLimit) {
            m_failed = true;
            setErrorString(
                QStringLiteral("simulated write failure after %1 bytes").arg(m_writeLimit));
            return -1;
        }
        n = qMin(n, m_writeLimit - m_bytesWritten);
    }
    const qint64 start = m_sequential ? m_data.size() : pos();
    if (start + n > m_data.size())
        m_data.resize(start + n);
    std::memcpy(m_data.data() + start, data, size_t(n));
    m_bytesWritten += n;
    return n;
}
