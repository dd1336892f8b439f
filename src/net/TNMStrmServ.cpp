#include "net/TNMStrmServ.h"

#include "net/MessageFrame.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTcpSocket>

#include <fcntl.h>

#include <memory>

namespace {

constexpr qint64 kChunk = 256 * 1024;
// The file is made durable before the stream is answered. Handing what has arrived to the disk
// every few megabytes lets the disk write while the network delivers, so that last flush finds
// little left to do, and a large stream never piles up unwritten in memory.
constexpr qint64 kWriteBackStep = 8 * 1024 * 1024;

class StreamConnection : public ServedConnection
{
    Q_OBJECT

public:
    StreamConnection(qintptr descriptor, const QHostAddress& peer, TNMStrmServ* server)
        : ServedConnection(descriptor, peer, server)
        , m_owner(server)
    {}

    QString target;

protected:
    qint64 readBufferSize() const override { return 1024 * 1024; }

    void consume() override
    {
        if (target.isEmpty()) {
            answered();
            return;
        }
        while (!isAnswered() && !m_failed) {
            if (m_step == Step::Data) {
                if (!takeData())
                    return;
                continue;
            }
            const qint64 need = m_step == Step::Name   ? m_length
                                : m_step == Step::Size ? MessageFrame::SizeDigits
                                                       : MessageFrame::LengthDigits;
            if (socket()->bytesAvailable() < need)
                return;
            const QByteArray part = socket()->read(need);
            if (m_step == Step::Name) {
                m_name = QString::fromUtf8(part);
                m_step = Step::Size;
                continue;
            }
            const auto value = MessageFrame::parseLength(part);
            if (!value) {
                fail(QStringLiteral("The sender broke the frame"), End::Invalid);
                return;
            }
            if (m_step == Step::NameLength) {
                m_length = *value;
                m_step = Step::Name;
            } else if (!open(*value)) {
                return;
            }
        }
    }

    void ended(End reason) override
    {
        if (m_file && !m_failed && !m_done) {
            const QString why = reason == End::TimedOut ? QStringLiteral("The sender went silent")
                                : reason == End::Shutdown
                                    ? QStringLiteral("The download was stopped")
                                    : QStringLiteral("The connection closed");
            fail(QStringLiteral("%1 after %2 of %3 bytes").arg(why).arg(m_received).arg(m_size),
                 reason);
        } else if (!m_file && !m_failed && !isAnswered() && !target.isEmpty()) {
            fail(QStringLiteral("The connection closed before the file was announced"), reason);
        }
    }

private:
    enum class Step { NameLength, Name, Size, Data };

    bool open(qint64 size)
    {
        m_size = size;
        const QString folder = QFileInfo(target).absolutePath();
        const QStorageInfo volume(folder);
        if (volume.isValid() && volume.bytesAvailable() >= 0 && size > volume.bytesAvailable()) {
            fail(QStringLiteral("The file needs %1 bytes and %2 has only %3 bytes free")
                     .arg(size)
                     .arg(QDir::toNativeSeparators(folder))
                     .arg(volume.bytesAvailable()),
                 End::Failed);
            return false;
        }
        m_file = std::make_unique<QSaveFile>(target);
        m_file->setDirectWriteFallback(false);
        if (!m_file->open(QIODevice::WriteOnly)) {
            fail(QStringLiteral("Cannot create %1: %2").arg(target, m_file->errorString()),
                 End::Failed);
            return false;
        }
        m_clock.start();
        m_step = Step::Data;
        return true;
    }

    // Moves what has arrived into the file; true when the stream is complete.
    bool takeData()
    {
        while (m_received < m_size) {
            const qint64 want = std::min(kChunk, m_size - m_received);
            m_buffer.resize(want);
            const qint64 got = socket()->read(m_buffer.data(), want);
            if (got <= 0)
                return false;
            if (m_file->write(m_buffer.constData(), got) != got) {
                fail(QStringLiteral("Cannot write %1: %2").arg(target, m_file->errorString()),
                     End::Failed);
                return false;
            }
            m_received += got;
            if (m_received - m_writtenBack >= kWriteBackStep && !startWriteBack())
                return false;
            if (m_clock.elapsed() >= 100) {
                m_clock.restart();
                emit m_owner->progress(peerText(), m_received, m_size);
            }
        }
        if (!m_file->commit()) {
            fail(QStringLiteral("Cannot write %1: %2").arg(target, m_file->errorString()),
                 End::Failed);
            return false;
        }
        m_done = true;
        emit m_owner->progress(peerText(), m_received, m_size);
        answered();
        emit m_owner->OnMSG(m_name, target, m_size, peerText());
        return true;
    }

    bool startWriteBack()
    {
        if (!m_file->flush()) {
            fail(QStringLiteral("Cannot write %1: %2").arg(target, m_file->errorString()),
                 End::Failed);
            return false;
        }
#ifdef __linux__
        // Only starts the writes: an error in them shows in the commit's flush.
        ::sync_file_range(m_file->handle(), m_writtenBack, m_received - m_writtenBack,
                          SYNC_FILE_RANGE_WRITE);
#endif
        m_writtenBack = m_received;
        return true;
    }

    void fail(const QString& reason, End end)
    {
        m_failed = true;
        if (m_file)
            m_file->cancelWriting();
        m_file.reset(); // the temporary file goes with it
        emit m_owner->failed(peerText(), target, reason);
        if (end != End::PeerClosed && end != End::TimedOut && end != End::Shutdown)
            finish(end);
    }

    TNMStrmServ* m_owner;
    Step m_step = Step::NameLength;
    qint64 m_length = 0;
    qint64 m_size = 0;
    qint64 m_received = 0;
    qint64 m_writtenBack = 0;
    QString m_name;
    QByteArray m_buffer;
    std::unique_ptr<QSaveFile> m_file;
    QElapsedTimer m_clock;
    bool m_failed = false;
    bool m_done = false;
};

} // namespace

TNMStrmServ::~TNMStrmServ()
{
    // The connections raise this class's signals: they end before it goes.
    close();
}

void TNMStrmServ::setTarget(ServedConnection* connection, const QString& target)
{
    if (auto* stream = qobject_cast<StreamConnection*>(connection))
        stream->target = target;
}

ServedConnection* TNMStrmServ::makeConnection(qintptr descriptor, const QHostAddress& peer)
{
    return new StreamConnection(descriptor, peer, this);
}

#include "TNMStrmServ.moc"
