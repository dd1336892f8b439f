#include "net/TNMMsg.h"

#include "net/MessageFrame.h"
#include "net/SockError.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostInfo>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

#include <optional>

SocketClient::SocketClient(QObject* parent)
    : QObject(parent)
{}

SocketClient::~SocketClient()
{
    Disconnect();
}

bool SocketClient::connected() const
{
    return m_socket && m_socket->state() != QAbstractSocket::UnconnectedState;
}

void SocketClient::Disconnect()
{
    if (!m_socket)
        return;
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

void SocketClient::Abort()
{
    m_aborted = true;
}

void SocketClient::startTransfer()
{
    if (connected() || m_busy)
        throw ESockError(SockErrors::AlreadyConnected);
    m_busy = true;
    m_aborted = false;
}

void SocketClient::endTransfer()
{
    Disconnect();
    m_busy = false;
}

void SocketClient::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
                             const QString& timeoutText)
{
    const QDeadlineTimer deadline(limit);
    QEventLoop loop;
    QTimer tick;
    // The loop wakes for the socket's signals; the tick only makes sure a cancel and the
    // deadline are seen even when the socket stays silent.
    tick.setInterval(20);
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (m_socket) {
        QObject::connect(m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
        QObject::connect(m_socket, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
        QObject::connect(m_socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
        QObject::connect(m_socket, &QTcpSocket::bytesWritten, &loop, &QEventLoop::quit);
        QObject::connect(m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    }
    tick.start();
    while (!done()) {
        if (m_aborted)
            throw EAbortError(SockErrors::SendAborted);
        if (deadline.hasExpired())
            throw ESockError(timeoutText);
        loop.exec();
    }
}

QHostAddress SocketClient::resolve()
{
    const QString host = Host.trimmed();
    QHostAddress address;
    if (address.setAddress(host))
        return address;
    if (host.isEmpty())
        throw ESockError(SockErrors::HostLookupFailed);

    std::optional<QHostInfo> answer;
    QObject context; // a late answer after a time-out finds no receiver
    QHostInfo::lookupHost(host, &context, [&answer](const QHostInfo& info) { answer = info; });
    waitUntil([&answer] { return answer.has_value(); }, lookupTimeout,
              SockErrors::HostLookupTimedOut);
    if (answer->error() != QHostInfo::NoError || answer->addresses().isEmpty())
        throw ESockError(SockErrors::HostLookupFailed);
    // The servers listen on IPv4; a name with both kinds of address is reached on its IPv4 one.
    const QList<QHostAddress> addresses = answer->addresses();
    for (const QHostAddress& candidate : addresses) {
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol)
            return candidate;
    }
    return addresses.first();
}

QTcpSocket* SocketClient::open()
{
    const QHostAddress address = resolve();
    m_resolved = address;
    if (address.isNull() || address == QHostAddress(QHostAddress::AnyIPv4))
        throw ESockError(SockErrors::NullRemoteAddress);

    m_socket = new QTcpSocket(this);
    QTcpSocket* socket = m_socket;
    if (!LocalAddress.isNull() && LocalAddress != QHostAddress(QHostAddress::AnyIPv4) &&
        !socket->bind(LocalAddress))
        throw ESockError(SockErrors::textFor(socket->error()));
    socket->connectToHost(address, Port);
    waitUntil(
        [socket] {
            return socket->state() == QAbstractSocket::ConnectedState ||
                   socket->state() == QAbstractSocket::UnconnectedState;
        },
        connectTimeout, SockErrors::ConnectionTimedOut);
    if (socket->state() != QAbstractSocket::ConnectedState)
        throw ESockError(socket->error() == QAbstractSocket::UnknownSocketError
                             ? SockErrors::ConnectionFailed
                             : SockErrors::textFor(socket->error()));
    // Closing resets the connection at once: no half-closed sockets pile up after many posts.
    const linger reset{1, 0};
    ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                 sizeof reset);
    return socket;
}

QString SocketClient::readReply()
{
    QTcpSocket* socket = m_socket;
    waitUntil(
        [socket] {
            return socket->bytesAvailable() >= MessageFrame::ReplySize ||
                   socket->state() != QAbstractSocket::ConnectedState;
        },
        replyTimeout, SockErrors::numberedText(10060));
    if (socket->bytesAvailable() < MessageFrame::ReplySize) {
        const auto error = socket->error();
        throw ESockError(error == QAbstractSocket::UnknownSocketError
                             ? SockErrors::numberedText(10054)
                             : SockErrors::textFor(error));
    }
    return QString::fromLatin1(socket->read(MessageFrame::ReplySize));
}

QString TNMMsg::PostText(const QString& text)
{
    // Framed first, so that a text too long for its length field is refused before any contact.
    const QByteArray frame = MessageFrame::message(FromName, text);
    startTransfer();
    const auto done = qScopeGuard([this] { endTransfer(); });
    QTcpSocket* socket = open();
    const qsizetype nameEnd = MessageFrame::LengthDigits + FromName.toUtf8().size();
    socket->write(frame.left(nameEnd));
    socket->write(frame.mid(nameEnd));
    return readReply();
}
