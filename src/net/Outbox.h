#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

class QIODevice;
class SocketClient;

// The servers' outgoing messages. Each goes on a thread of a small pool, so that a peer that is
// slow to accept or to answer never holds up the server's own thread, and the outcome comes
// back on the thread that owns the outbox. Every post has a bounded connect and reply time.
class Outbox : public QObject
{
    Q_OBJECT

public:
    explicit Outbox(QObject* parent = nullptr);
    ~Outbox() override;

    // Where connections go out from (null or all interfaces: the system chooses).
    QHostAddress localAddress;
    std::chrono::milliseconds connectTimeout{5000};
    std::chrono::milliseconds replyTimeout{10000};

    // Null when the post was answered; else the error's text.
    using Done = std::function<void(const std::optional<QString>& error)>;

    // Posts `text` to host:port. `done`, when given, is called on this object's thread.
    void post(const QString& host, quint16 port, const QString& text, Done done = {});

    // Sends `size` bytes of `data` as one stream frame to host:port, read from the device as
    // they go out; the device is the outbox's from now on. `done` as for post().
    void sendStream(const QString& host, quint16 port, std::unique_ptr<QIODevice> data, qint64 size,
                    Done done = {});

    // Cancels every transfer under way, drops those not begun and waits for the pool. No `done`
    // is called afterwards.
    void shutdown();

    // Transfers begun and not yet ended.
    int busy() const;

private:
    template <typename Client>
    void start(const QString& host, quint16 port, std::function<void(Client&)> work, Done done);

    std::unique_ptr<QThreadPool> m_pool;
    mutable std::mutex m_lock;
    std::set<SocketClient*> m_clients;
    bool m_closing = false;
    int m_busy = 0;
};
