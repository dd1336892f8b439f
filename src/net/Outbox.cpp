#include "net/Outbox.h"

#include "net/SockError.h"
#include "net/StreamSender.h"
#include "net/TNMMsg.h"

#include <QIODevice>
#include <QPointer>
#include <QThread>

Outbox::Outbox(QObject* parent)
    : QObject(parent)
    , m_pool(std::make_unique<QThreadPool>())
{
    // A handful of peers at a time; more wait their turn rather than open threads without end.
    m_pool->setMaxThreadCount(8);
    m_pool->setExpiryTimeout(30000);
}

Outbox::~Outbox()
{
    shutdown();
}

int Outbox::busy() const
{
    std::lock_guard guard(m_lock);
    return m_busy;
}

template <typename Client>
void Outbox::start(const QString& host, quint16 port, std::function<void(Client&)> work, Done done)
{
    {
        std::lock_guard guard(m_lock);
        if (m_closing)
            return;
        ++m_busy;
    }
    const QHostAddress local = localAddress;
    const auto connectLimit = connectTimeout;
    const auto replyLimit = replyTimeout;
    m_pool->start([this, host, port, local, connectLimit, replyLimit, work = std::move(work),
                   done = std::move(done)] {
        std::optional<QString> error;
        {
            Client client;
            client.Host = host;
            client.Port = port;
            client.LocalAddress = local;
            client.lookupTimeout = connectLimit;
            client.connectTimeout = connectLimit;
            client.replyTimeout = replyLimit;
            bool cancelled = false;
            {
                std::lock_guard guard(m_lock);
                cancelled = m_closing;
                if (!cancelled)
                    m_clients.insert(&client);
            }
            if (cancelled) {
                error = SockErrors::ConnectionCanceled;
            } else {
                try {
                    work(client);
                } catch (const TamboroError& e) {
                    error = e.message();
                } catch (const std::exception& e) {
                    error = QString::fromLocal8Bit(e.what());
                } catch (...) {
                    error = QStringLiteral("Unknown failure");
                }
                std::lock_guard guard(m_lock);
                m_clients.erase(&client);
            }
        }
        std::lock_guard guard(m_lock);
        --m_busy;
        if (done && !m_closing)
            QMetaObject::invokeMethod(
                this, [done, error] { done(error); }, Qt::QueuedConnection);
    });
}

void Outbox::post(const QString& host, quint16 port, const QString& text, Done done)
{
    start<TNMMsg>(
        host, port, [text](TNMMsg& client) { client.PostText(text); }, std::move(done));
}

void Outbox::sendStream(const QString& host, quint16 port, std::unique_ptr<QIODevice> data,
                        qint64 size, Done done)
{
    // Let go here so that the pool's thread can take the device as its own.
    data->moveToThread(nullptr);
    std::shared_ptr<QIODevice> device(data.release());
    start<StreamSender>(
        host, port,
        [device, size](StreamSender& sender) {
            device->moveToThread(QThread::currentThread());
            sender.send(*device, size);
        },
        std::move(done));
}

void Outbox::shutdown()
{
    {
        std::lock_guard guard(m_lock);
        m_closing = true;
        // Each client notices on its own thread, in the wait it is in.
        for (SocketClient* client : m_clients)
            QMetaObject::invokeMethod(client, &SocketClient::Abort, Qt::QueuedConnection);
    }
    m_pool->clear();
    m_pool->waitForDone();
    {
        std::lock_guard guard(m_lock);
        m_busy = 0;
    }
}
