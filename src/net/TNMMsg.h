#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QTcpSocket;

// What the two clients share: the peer, name lookup, connecting and waiting. Every wait keeps
// the calling thread's event loop running, so the window stays painted and timers go on while a
// transfer is under way, and every wait has a limit.
class SocketClient : public QObject
{
    Q_OBJECT

public:
    explicit SocketClient(QObject* parent = nullptr);
    ~SocketClient() override;

    // A dotted IPv4 address or a host name.
    QString Host;
    // The address connections go out from; null or all interfaces lets the system choose. A peer
    // answers to the address it was contacted from.
    QHostAddress LocalAddress;
    quint16 Port = 6711;
    // Always empty in this program; a frame carries it all the same.
    QString FromName;
    std::chrono::milliseconds lookupTimeout{10000};
    std::chrono::milliseconds connectTimeout{10000};
    std::chrono::milliseconds replyTimeout{30000};

    // Resolves the host as a connect would. Throws ESockError.
    QHostAddress lookup() { return resolve(); }
    // The address the host name resolved to at the last connect.
    QHostAddress resolvedAddress() const { return m_resolved; }

    // Closes the connection if one is open.
    void Disconnect();
    bool connected() const;

public slots:
    // Cancels a transfer that is waiting; it throws EAbortError.
    void Abort();

protected:
    // Resolves the host and connects; the socket is the client's until the transfer ends.
    // Throws ESockError.
    QTcpSocket* open();
    // Waits with the event loop running until `done` holds; throws ESockError(timeoutText) at
    // the limit and EAbortError after Abort().
    void waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
                   const QString& timeoutText);
    // Waits for the 16-byte reply and returns it.
    QString readReply();
    // Marks the client busy for one transfer; Disconnect() ends it.
    void startTransfer();
    void endTransfer();

private:
    QHostAddress resolve();

    QTcpSocket* m_socket = nullptr;
    QHostAddress m_resolved;
    bool m_aborted = false;
    bool m_busy = false;
};

// The message client: posts one text per connection and returns the server's 16-byte reply.
class TNMMsg : public SocketClient
{
    Q_OBJECT

public:
    using SocketClient::SocketClient;

    // Connects, sends the frame, reads the reply, disconnects. Throws ESockError for every
    // failure (with the layer's texts), EAbortError when Abort() was called meanwhile.
    QString PostText(const QString& text);
};
