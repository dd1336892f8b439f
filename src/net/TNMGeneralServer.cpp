#include "net/TNMGeneralServer.h"

#include "net/MessageFrame.h"
#include "net/SharingSettings.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

class TNMGeneralServer::Listener : public QTcpServer
{
public:
    explicit Listener(TNMGeneralServer* owner)
        : m_owner(owner)
    {}

protected:
    void incomingConnection(qintptr descriptor) override { m_owner->accept(descriptor); }

private:
    TNMGeneralServer* m_owner;
};

ServedConnection::ServedConnection(qintptr descriptor, const QHostAddress& peer,
                                   TNMGeneralServer* server)
    : m_descriptor(descriptor)
    , m_peer(peer)
    , m_server(server)
{}

ServedConnection::~ServedConnection() = default;

QString ServedConnection::peerText() const
{
    return dottedAddress(m_peer);
}

void ServedConnection::begin()
{
    if (m_finished)
        return;
    m_socket = new QTcpSocket(this);
    if (!m_socket->setSocketDescriptor(m_descriptor)) {
        ::close(static_cast<int>(m_descriptor));
        finish(End::Failed);
        return;
    }
    m_socket->setReadBufferSize(readBufferSize());
    m_idle = new QTimer(this);
    m_idle->setSingleShot(true);
    m_idle->setInterval(m_server->limits.idleTimeout);
    connect(m_idle, &QTimer::timeout, this, [this] { finish(End::TimedOut); });
    connect(m_socket, &QTcpSocket::readyRead, this, &ServedConnection::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        // Whatever arrived before the close is still read.
        onReadyRead();
        finish(End::PeerClosed);
    });
    m_idle->start();
    if (m_socket->bytesAvailable() > 0)
        onReadyRead();
}

void ServedConnection::onReadyRead()
{
    if (m_finished)
        return;
    m_idle->start();
    if (m_answered) {
        // After the reply only the peer's close is awaited; anything more is not read.
        m_socket->readAll();
        return;
    }
    consume();
}

void ServedConnection::answered()
{
    m_answered = true;
    m_socket->write(MessageFrame::reply());
    m_socket->flush();
    m_socket->readAll();
}

void ServedConnection::finish(End reason)
{
    if (m_finished)
        return;
    m_finished = true;
    ended(reason);
    if (m_idle)
        m_idle->stop();
    if (m_socket) {
        m_socket->disconnect(this);
        if (reason == End::PeerClosed)
            m_socket->close();
        else
            m_socket->abort();
    } else {
        ::close(static_cast<int>(m_descriptor));
    }
    m_server->released(this);
    deleteLater();
}

TNMGeneralServer::TNMGeneralServer(QObject* parent)
    : QObject(parent)
{}

TNMGeneralServer::~TNMGeneralServer()
{
    close();
}

bool TNMGeneralServer::listen()
{
    if (isListening())
        return true;
    if (!m_listener)
        m_listener = std::make_unique<Listener>(this);
    m_listener->setListenBacklogSize(limits.backlog);
    if (!m_listener->listen(BindAddress, Port))
        return false;
    while (m_threads.size() < static_cast<size_t>(std::max(1, limits.threads))) {
        auto* thread = new QThread;
        thread->setObjectName(QStringLiteral("served:%1").arg(Port));
        auto* home = new QObject;
        home->moveToThread(thread);
        connect(thread, &QThread::finished, home, &QObject::deleteLater);
        thread->start();
        m_threads.push_back(thread);
        m_homes.push_back(home);
    }
    return true;
}

bool TNMGeneralServer::isListening() const
{
    return m_listener && m_listener->isListening();
}

QString TNMGeneralServer::errorString() const
{
    return m_listener ? m_listener->errorString() : QString();
}

int TNMGeneralServer::activeConnections() const
{
    std::lock_guard guard(m_lock);
    return static_cast<int>(m_active.size());
}

int TNMGeneralServer::refusedConnections() const
{
    std::lock_guard guard(m_lock);
    return m_refused;
}

void TNMGeneralServer::accept(qintptr descriptor)
{
    {
        std::lock_guard guard(m_lock);
        if (static_cast<int>(m_active.size()) >= limits.maxConnections || m_threads.empty()) {
            ++m_refused;
            const linger reset{1, 0};
            ::setsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            ::close(static_cast<int>(descriptor));
            return;
        }
    }
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    QHostAddress peer;
    if (::getpeername(static_cast<int>(descriptor), reinterpret_cast<sockaddr*>(&address),
                      &length) == 0)
        peer = QHostAddress(reinterpret_cast<const sockaddr*>(&address));

    ServedConnection* connection = makeConnection(descriptor, peer);
    {
        std::lock_guard guard(m_lock);
        m_active.insert(connection);
    }
    emit OnClientContact(connection);
    // The contact handler may have closed the server.
    if (m_threads.empty()) {
        connection->finish(ServedConnection::End::Shutdown);
        return;
    }
    QThread* thread = m_threads[m_nextThread++ % m_threads.size()];
    connection->moveToThread(thread);
    QMetaObject::invokeMethod(connection, &ServedConnection::begin, Qt::QueuedConnection);
}

void TNMGeneralServer::released(ServedConnection* connection)
{
    std::lock_guard guard(m_lock);
    m_active.erase(connection);
}

void TNMGeneralServer::close()
{
    if (m_listener)
        m_listener->close();
    for (size_t i = 0; i < m_threads.size(); ++i) {
        QThread* thread = m_threads[i];
        // Ended on their own thread, so that no connection is in the middle of serving.
        QMetaObject::invokeMethod(
            m_homes[i],
            [this, thread] {
                std::vector<ServedConnection*> here;
                {
                    std::lock_guard guard(m_lock);
                    for (ServedConnection* connection : m_active) {
                        if (connection->thread() == thread)
                            here.push_back(connection);
                    }
                }
                for (ServedConnection* connection : here)
                    connection->finish(ServedConnection::End::Shutdown);
            },
            Qt::BlockingQueuedConnection);
        thread->quit();
        thread->wait();
        delete thread;
    }
    m_threads.clear();
    m_homes.clear();
}
