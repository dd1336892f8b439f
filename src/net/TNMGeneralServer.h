#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

class QTcpSocket;
class QThread;
class QTimer;
class TNMGeneralServer;

// How much one server takes on. Connections beyond the limit are closed as soon as they are
// accepted; a connection silent for the idle time is closed.
struct ServerLimits
{
    int maxConnections = 100;
    std::chrono::milliseconds idleTimeout{30000};
    // The threads a server's connections are served on, each serving many.
    int threads = 2;
    int backlog = 256;
};

// One accepted connection. It is handed to the server's contact signal on the main thread
// before anything is read from it, then served on one of the server's threads.
class ServedConnection : public QObject
{
    Q_OBJECT

public:
    ServedConnection(qintptr descriptor, const QHostAddress& peer, TNMGeneralServer* server);
    ~ServedConnection() override;

    const QHostAddress& peerAddress() const { return m_peer; }
    // The peer's address in dotted form, as the protocol answers to it.
    QString peerText() const;

    enum class End { PeerClosed, TimedOut, Invalid, Failed, Shutdown };

    // Called on the serving thread once the contact has been handled.
    void begin();
    // Closes the connection; on the serving thread.
    void finish(End reason);

protected:
    // Called on the serving thread whenever bytes are waiting.
    virtual void consume() = 0;
    // Called once when the connection ends, before the socket closes.
    virtual void ended(End /*reason*/) {}
    // How much of a peer's bytes may wait in memory before the peer is slowed down.
    virtual qint64 readBufferSize() const { return 64 * 1024; }

    QTcpSocket* socket() const { return m_socket; }
    TNMGeneralServer* server() const { return m_server; }
    // Answers "OK" and from then on only waits for the peer to close.
    void answered();
    bool isAnswered() const { return m_answered; }

private:
    void onReadyRead();

    qintptr m_descriptor;
    QHostAddress m_peer;
    TNMGeneralServer* m_server;
    QTcpSocket* m_socket = nullptr;
    QTimer* m_idle = nullptr;
    bool m_answered = false;
    bool m_finished = false;
};

// The base of the message and stream servers: listens, accepts under a limit, raises
// OnClientContact on the main thread and serves each connection on one of a few threads.
class TNMGeneralServer : public QObject
{
    Q_OBJECT

public:
    explicit TNMGeneralServer(QObject* parent = nullptr);
    ~TNMGeneralServer() override;

    QHostAddress BindAddress{QHostAddress::AnyIPv4};
    quint16 Port = 6711;
    ServerLimits limits;

    // Starts listening; false with errorString() when the address cannot be taken.
    bool listen();
    bool isListening() const;
    QString errorString() const;
    // Stops listening and closes every open connection; waits for the threads.
    void close();

    int activeConnections() const;
    // Connections turned away because the limit was reached.
    int refusedConnections() const;

signals:
    // Main thread, once per accepted connection, before the connection is read.
    void OnClientContact(ServedConnection* connection);

protected:
    virtual ServedConnection* makeConnection(qintptr descriptor, const QHostAddress& peer) = 0;

private:
    friend class ServedConnection;
    class Listener;
    void accept(qintptr descriptor);
    void released(ServedConnection* connection);

    std::unique_ptr<Listener> m_listener;
    std::vector<QThread*> m_threads;
    std::vector<QObject*> m_homes;
    size_t m_nextThread = 0;
    mutable std::mutex m_lock;
    std::set<ServedConnection*> m_active;
    int m_refused = 0;
};
