#include "net/StreamSender.h"

#include "net/MessageFrame.h"
#include "net/SockError.h"

#include <QIODevice>
#include <QScopeGuard>
#include <QTcpSocket>

namespace {

constexpr qint64 kChunk = 256 * 1024;
// Bytes handed to the socket and not yet on the wire; more would only grow the send buffer.
constexpr qint64 kInFlight = 1024 * 1024;

} // namespace

QString StreamSender::send(QIODevice& data, qint64 size)
{
    const QByteArray header = MessageFrame::streamHeader(FromName, size);
    startTransfer();
    const auto done = qScopeGuard([this] { endTransfer(); });
    QTcpSocket* socket = open();
    socket->write(header);

    QByteArray chunk;
    qint64 left = size;
    while (left > 0) {
        waitUntil(
            [socket] {
                return socket->bytesToWrite() < kInFlight ||
                       socket->state() != QAbstractSocket::ConnectedState;
            },
            replyTimeout, SockErrors::numberedText(10060));
        if (socket->state() != QAbstractSocket::ConnectedState)
            throw ESockError(SockErrors::textFor(socket->error()));
        chunk.resize(std::min(left, kChunk));
        const qint64 got = data.read(chunk.data(), chunk.size());
        if (got <= 0)
            throw ESockError(QStringLiteral("The data to send ended after %1 of %2 bytes")
                                 .arg(size - left)
                                 .arg(size));
        socket->write(chunk.constData(), got);
        left -= got;
        emit sent(size - left, size);
    }
    return readReply();
}
