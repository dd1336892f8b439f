#pragma once

#include <QByteArray>
#include <QIODevice>

// An in-memory device (read, write, seek) that breaks down on purpose: after a set number of
// bytes read, or written, every further read or write fails with -1 and an error string, the
// way a disk or network failure shows up to a reader or writer. The transfer that reaches a
// limit is cut short at the limit. Limits count bytes actually moved, whatever the position.
// It can also pose as a sequential device (a pipe) that cannot seek or tell its size: reads
// then take bytes from the front, writes append.
//
//     FailDevice dev(bytes);
//     dev.setReadLimit(100);      // the 101st byte read fails
//     dev.open(QIODevice::ReadOnly);
class FailDevice : public QIODevice
{
    Q_OBJECT
public:
    static constexpr qint64 NoLimit = -1;

    explicit FailDevice(QByteArray data = QByteArray(), QObject* parent = nullptr);

    void setReadLimit(qint64 bytes) { m_readLimit = bytes; }
    void setWriteLimit(qint64 bytes) { m_writeLimit = bytes; }
    void setSequential(bool sequential) { m_sequential = sequential; }

    const QByteArray& data() const { return m_data; }
    qint64 bytesRead() const { return m_bytesRead; }
    qint64 bytesWritten() const { return m_bytesWritten; }
    // True once a read or write has been refused.
    bool failed() const { return m_failed; }

    // Always opens unbuffered, so that the limits count the caller's own reads.
    bool open(OpenMode mode) override;
    bool isSequential() const override { return m_sequential; }
    qint64 size() const override;
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QByteArray m_data;
    qint64 m_readLimit = NoLimit;
    qint64 m_writeLimit = NoLimit;
    qint64 m_bytesRead = 0;
    qint64 m_bytesWritten = 0;
    qint64 m_sequentialPos = 0;
    bool m_sequential = false;
    bool m_failed = false;
};
