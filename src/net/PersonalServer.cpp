#include "net/PersonalServer.h"
#include "net/SharingSettings.h"

#include "net/Outbox.h"
#include "net/ServerLog.h"
#include "net/ShareCatalogue.h"
#include "net/TNMMSGServ.h"
#include "net/Verbs.h"
#include "platform/Errors.h"

#include <QFile>
#include <QHostInfo>

using ServerLog::field;

namespace {

QString errorOutcome(const std::optional<QString>& error)
{
    return error ? QStringLiteral("failed: ") + *error : QStringLiteral("sent");
}

} // namespace

PersonalServer::PersonalServer(SongDatabase& database, Options options, QObject* parent)
    : QObject(parent)
    , m_database(database)
    , m_options(std::move(options))
    , m_catalogue(std::make_unique<ShareCatalogue>(m_database))
    , m_server(std::make_unique<TNMMSGServ>())
    , m_outbox(std::make_unique<Outbox>())
{
    m_server->BindAddress = m_options.bindAddress;
    m_server->Port = m_options.port;
    if (isSpecificAddress(m_options.bindAddress))
        m_outbox->localAddress = m_options.bindAddress;
    m_outbox->connectTimeout = m_options.connectTimeout;
    m_outbox->replyTimeout = m_options.replyTimeout;
    // The receiver lives on this thread: each message is handled here, in arrival order.
    connect(m_server.get(), &TNMMSGServ::OnMSG, this,
            [this](const QString&, const QString& text, const QString& peer) {
                try {
                    onMessage(text, peer);
                } catch (...) {
                    emit logLine(ServerLog::line(peer, QStringLiteral("?"), QString(),
                                                 QStringLiteral("failed: ") + currentErrorText()));
                }
            });

    m_offerTimer.setSingleShot(true);
    connect(&m_offerTimer, &QTimer::timeout, this,
            [this] { dropActive(QStringLiteral("dropped: no answer to INCOMING$")); });
    m_wakeTimer.setSingleShot(true);
    connect(&m_wakeTimer, &QTimer::timeout, this, [this] { advance(); });
    connect(&m_registerTimer, &QTimer::timeout, this, [this] { registerWithCentral(); });
}

PersonalServer::~PersonalServer()
{
    stop();
}

bool PersonalServer::start()
{
    if (!m_server->listen())
        return false;
    if (!m_options.centralHost.trimmed().isEmpty()) {
        m_registerTimer.start(m_options.registerInterval);
        registerWithCentral();
    }
    return true;
}

QString PersonalServer::errorString() const
{
    return m_server->errorString();
}

void PersonalServer::stop()
{
    m_registerTimer.stop();
    m_offerTimer.stop();
    m_wakeTimer.stop();
    m_server->close();
    m_outbox->shutdown();
}

QString PersonalServer::activeHost() const
{
    return m_active ? m_active->host : QString();
}

void PersonalServer::log(const QString& peer, const QString& verb, const QString& fields,
                         const QString& outcome)
{
    emit logLine(ServerLog::line(peer, verb, fields, outcome));
}

void PersonalServer::onMessage(const QString& text, const QString& peer)
{
    // The verb stands at the start; a text that merely holds one elsewhere is no request.
    if (text.startsWith(Verb::Search))
        onSearch(text.mid(Verb::Search.size()), peer);
    else if (text.startsWith(Verb::Download))
        onDownload(text.mid(Verb::Download.size()), peer);
    else if (text.startsWith(Verb::Later))
        onLater(peer);
    else if (text.startsWith(Verb::GetIt))
        onGetIt(text.mid(Verb::GetIt.size()), peer);
    else
        log(peer, QStringLiteral("(unknown)"), field(text), QStringLiteral("ignored"));
}

bool PersonalServer::isCentral(const QString& peer) const
{
    return !m_centralAddress.isNull() &&
           QHostAddress(peer).isEqual(m_centralAddress, QHostAddress::ConvertV4MappedToIPv4);
}

void PersonalServer::onSearch(const QString& fields, const QString& peer)
{
    const qsizetype split = fields.indexOf(QLatin1Char('$'));
    const QString artist = split < 0 ? fields : fields.left(split);
    const QString title = split < 0 ? QString() : fields.mid(split + 1);
    const QString shown =
        QStringLiteral("artist=") + field(artist) + QStringLiteral(" title=") + field(title);
    ShareCatalogue::Answer answer;
    try {
        answer = m_catalogue->search(artist, title);
    } catch (...) {
        log(peer, Verb::Search, shown, QStringLiteral("failed: ") + currentErrorText());
        return;
    }
    // The central server collects the answers of the shares it asked on a port of its own.
    const quint16 port =
        isCentral(peer) ? m_options.ports.centralResultPort : m_options.ports.resultPort;
    log(peer, Verb::Search, shown,
        QStringLiteral("%1 records to %2:%3").arg(answer.count).arg(peer).arg(port));
    m_outbox->post(peer, port, Verb::SearchResults + answer.records,
                   [this, peer, port](const std::optional<QString>& error) {
                       if (error)
                           log(peer, Verb::SearchResults, QStringLiteral("to port %1").arg(port),
                               errorOutcome(error));
                   });
}

void PersonalServer::onDownload(const QString& name, const QString& peer)
{
    const QString shown = field(name);
    std::optional<QString> path;
    try {
        path = m_catalogue->servableFile(name);
    } catch (...) {
        log(peer, Verb::Download, shown, QStringLiteral("failed: ") + currentErrorText());
        return;
    }
    if (!path) {
        log(peer, Verb::Download, shown, QStringLiteral("refused: not a file this share offers"));
        return;
    }
    int fromHost = m_active && m_active->host == peer ? 1 : 0;
    bool already = m_active && m_active->host == peer && m_active->name == name;
    for (const Entry& entry : m_queue) {
        if (entry.host != peer)
            continue;
        ++fromHost;
        already = already || entry.name == name;
    }
    if (already) {
        log(peer, Verb::Download, shown, QStringLiteral("already queued"));
        return;
    }
    if (static_cast<int>(m_queue.size()) >= m_options.maxQueued ||
        fromHost >= m_options.maxQueuedPerHost) {
        log(peer, Verb::Download, shown, QStringLiteral("refused: the queue is full"));
        return;
    }
    log(peer, Verb::Download, shown, QStringLiteral("queued"));
    // The entry joins the queue once the asker has its acknowledgement, so that "INCOMING$"
    // never overtakes "ENQUEUED$"; an asker that cannot be reached gets nothing queued.
    m_outbox->post(peer, m_options.ports.resultPort, Verb::Enqueued + name,
                   [this, peer, name](const std::optional<QString>& error) {
                       if (error) {
                           log(peer, Verb::Enqueued, field(name),
                               QStringLiteral("dropped: ") + *error);
                           return;
                       }
                       m_queue.push_back(Entry{peer, name, {}});
                       advance();
                   });
}

void PersonalServer::advance()
{
    if (m_phase != Phase::Idle || m_queue.empty())
        return;
    // A host that asked for a pause waits; the entries of other hosts go first meanwhile.
    const qint64 pause = m_options.laterPause.count();
    qint64 soonest = -1;
    for (auto it = m_pausedSince.begin(); it != m_pausedSince.end();) {
        const qint64 left = pause - it.value().elapsed();
        if (left <= 0) {
            it = m_pausedSince.erase(it);
            continue;
        }
        soonest = soonest < 0 ? left : std::min(soonest, left);
        ++it;
    }
    auto next = std::find_if(m_queue.begin(), m_queue.end(), [this](const Entry& entry) {
        return !m_pausedSince.contains(entry.host);
    });
    if (next == m_queue.end()) {
        m_wakeTimer.start(std::chrono::milliseconds(std::max<qint64>(soonest, 1)));
        return;
    }
    m_active = *next;
    m_queue.erase(next);
    if (!m_active->since.isValid())
        m_active->since.start();
    m_phase = Phase::Offering;
    const quint64 serial = ++m_serial;
    const QString host = m_active->host;
    log(host, Verb::Incoming, field(m_active->name), QStringLiteral("offered"));
    m_offerTimer.start(m_options.offerTimeout);
    m_outbox->post(host, m_options.ports.resultPort, Verb::Incoming + m_active->name,
                   [this, serial](const std::optional<QString>& error) {
                       if (error && serial == m_serial && m_phase == Phase::Offering)
                           dropActive(QStringLiteral("dropped: ") + *error);
                   });
}

void PersonalServer::dropActive(const QString& why)
{
    m_offerTimer.stop();
    if (m_active)
        log(m_active->host, Verb::Incoming, field(m_active->name), why);
    m_active.reset();
    m_phase = Phase::Idle;
    advance();
}

void PersonalServer::onLater(const QString& peer)
{
    if (m_phase != Phase::Offering || m_active->host != peer) {
        log(peer, Verb::Later, QString(), QStringLiteral("ignored: nothing offered to this host"));
        return;
    }
    m_offerTimer.stop();
    if (m_active->since.elapsed() > m_options.longestDeferral.count()) {
        log(peer, Verb::Later, field(m_active->name), QStringLiteral("put off too long"));
        dropActive(QStringLiteral("dropped: put off too long"));
        return;
    }
    log(peer, Verb::Later, field(m_active->name),
        QStringLiteral("offered again in %1 ms").arg(m_options.laterPause.count()));
    m_pausedSince[peer].start();
    // It keeps its place: the first entry offered once the host's pause is over.
    m_queue.push_front(*m_active);
    m_active.reset();
    m_phase = Phase::Idle;
    advance();
}

void PersonalServer::onGetIt(const QString& target, const QString& peer)
{
    if (m_phase != Phase::Offering || m_active->host != peer) {
        log(peer, Verb::GetIt, field(target),
            QStringLiteral("ignored: nothing offered to this host"));
        return;
    }
    m_offerTimer.stop();
    std::unique_ptr<QFile> file;
    try {
        file = m_catalogue->openServable(m_active->name);
    } catch (...) {
        log(peer, Verb::GetIt, field(m_active->name),
            QStringLiteral("failed: ") + currentErrorText());
    }
    if (!file) {
        dropActive(QStringLiteral("dropped: the file cannot be sent now"));
        return;
    }
    const qint64 size = file->size();
    m_phase = Phase::Sending;
    const quint64 serial = ++m_serial;
    log(peer, Verb::GetIt, field(m_active->name) + QStringLiteral(" target=") + field(target),
        QStringLiteral("sending %1 bytes to %2:%3")
            .arg(size)
            .arg(peer)
            .arg(m_options.ports.streamPort));
    m_outbox->sendStream(
        peer, m_options.ports.streamPort, std::move(file), size,
        [this, serial](const std::optional<QString>& error) { finishTransfer(serial, error); });
}

void PersonalServer::finishTransfer(quint64 serial, const std::optional<QString>& error)
{
    if (serial != m_serial || m_phase != Phase::Sending || !m_active)
        return;
    const Entry done = *m_active;
    log(done.host, QStringLiteral("stream"), field(done.name), errorOutcome(error));
    m_active.reset();
    m_phase = Phase::Idle;
    emit transferEnded(done.host, done.name, error.value_or(QString()));
    advance();
}

void PersonalServer::registerWithCentral()
{
    const QString host = m_options.centralHost.trimmed();
    QHostAddress literal;
    if (literal.setAddress(host)) {
        postRegistration(literal);
        return;
    }
    QHostInfo::lookupHost(host, this, [this, host](const QHostInfo& info) {
        const QList<QHostAddress> addresses = info.addresses();
        const auto v4 = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& a) {
            return a.protocol() == QAbstractSocket::IPv4Protocol;
        });
        if (info.error() != QHostInfo::NoError || v4 == addresses.end()) {
            log(host, Verb::Register, QString(), QStringLiteral("failed: Host Lookup Failed"));
            return;
        }
        postRegistration(*v4);
    });
}

void PersonalServer::postRegistration(const QHostAddress& central)
{
    m_centralAddress = central;
    const QString text = Verb::Register + QString::number(m_options.port);
    const QString host = central.toString();
    m_outbox->post(host, m_options.ports.centralPort, text,
                   [this, host, text](const std::optional<QString>& error) {
                       // Failures only: a line a minute for a working registration says nothing.
                       if (error)
                           log(host, Verb::Register, field(text),
                               errorOutcome(error) + QStringLiteral(" (tried again later)"));
                   });
}
