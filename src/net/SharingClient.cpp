#include "net/SharingClient.h"

#include "net/SockError.h"
#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"
#include "net/TNMStrmServ.h"
#include "net/Verbs.h"
#include "platform/Errors.h"

#include <QTimer>

namespace {

QTimer* oneShot(QObject* parent, const char* name, int interval)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setSingleShot(true);
    timer->setInterval(interval);
    return timer;
}

} // namespace

SharingClient::SharingClient(const SharingSettings& settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_cln(std::make_unique<TNMMsg>())
    , m_cln2(std::make_unique<TNMMsg>())
    , m_searchRes(oneShot(this, "SearchRes", 500))
    , m_enqueueTimer(oneShot(this, "EnqueueTimer", 500))
    , m_later(oneShot(this, "Later", 250))
    , m_startDownload(oneShot(this, "Startdownload", 250))
{
    m_cln->Port = settings.personalPort;
    m_cln2->Port = settings.centralPort;
    m_cln2->Host = settings.centralServer;
    for (TNMMsg* client : {m_cln.get(), m_cln2.get()})
        client->LocalAddress = settings.address;

    connect(m_searchRes, &QTimer::timeout, this, [this] { emit searchAnswered(m_searchAnswer); });
    connect(m_enqueueTimer, &QTimer::timeout, this,
            [this] { emit enqueued(m_lastMessage, m_peerAddress); });
    connect(m_later, &QTimer::timeout, this, &SharingClient::sendLater);
    connect(m_startDownload, &QTimer::timeout, this, &SharingClient::sendGetIt);
}

SharingClient::~SharingClient() = default;

bool SharingClient::isListening() const
{
    return m_srv && m_srv->isListening();
}

void SharingClient::start()
{
    if (isListening())
        return;
    const auto messages = [this](quint16 port) {
        auto server = std::make_unique<TNMMSGServ>();
        server->BindAddress = m_settings.address;
        server->Port = port;
        connect(server.get(), &TNMMSGServ::OnMSG, this,
                [this, port](const QString&, const QString& text, const QString& peer) {
                    onMessage(port, text, peer);
                });
        return server;
    };
    auto srv = messages(m_settings.resultPort);
    auto srv2 = messages(m_settings.centralResultPort);
    auto infSrv = messages(m_settings.infoPort);
    auto frv = std::make_unique<TNMStrmServ>();
    frv->BindAddress = m_settings.address;
    frv->Port = m_settings.streamPort;
    connect(frv.get(), &TNMStrmServ::OnClientContact, this, &SharingClient::onStreamContact);
    connect(frv.get(), &TNMStrmServ::progress, this,
            [this](const QString&, qint64 received, qint64 size) {
                emit streamProgress(received, size);
            });
    connect(frv.get(), &TNMStrmServ::OnMSG, this,
            [this](const QString&, const QString& target, qint64 size, const QString&) {
                emit streamStored(target, size);
            });
    connect(frv.get(), &TNMStrmServ::failed, this,
            [this](const QString&, const QString& target, const QString& reason) {
                emit streamFailed(target, reason);
            });

    const std::initializer_list<TNMGeneralServer*> servers = {srv.get(), srv2.get(), frv.get(),
                                                              infSrv.get()};
    for (TNMGeneralServer* server : servers) {
        if (!server->listen())
            throw ESockError(QStringLiteral("Cannot listen on %1 port %2: %3")
                                 .arg(dottedAddress(server->BindAddress))
                                 .arg(server->Port)
                                 .arg(server->errorString()));
    }
    m_srv = std::move(srv);
    m_srv2 = std::move(srv2);
    m_frv = std::move(frv);
    m_infSrv = std::move(infSrv);
}

void SharingClient::search(const QString& artist, const QString& title, const QString& host)
{
    start();
    TNMMsg& client = host.isEmpty() ? *m_cln2 : *m_cln;
    if (!host.isEmpty())
        client.Host = host;
    // Known before the post: a fast server answers while the post is still finishing.
    m_searchedAddress = client.lookup();
    try {
        client.PostText(Verb::Search + artist + QLatin1Char('$') + title);
    } catch (...) {
        m_searchedAddress.clear();
        throw;
    }
}

void SharingClient::cancelSearch()
{
    m_searchedAddress.clear();
}

void SharingClient::onMessage(int port, const QString& text, const QString& peer)
{
    if (port == m_settings.infoPort) {
        m_infoText = text;
        return;
    }
    // The verb stands at the start: a song title holding another verb is no message of its own.
    if (text.startsWith(Verb::SearchResults)) {
        const bool asked =
            !m_searchedAddress.isNull() &&
            (m_searchedAddress == QHostAddress(QHostAddress::Broadcast) ||
             QHostAddress(peer).isEqual(m_searchedAddress, QHostAddress::TolerantConversion));
        if (!asked) {
            emit dropped(peer, QStringLiteral("search results nobody asked this server for"));
            return;
        }
        m_searchedAddress.clear();
        m_searchAnswer = text;
        m_searchRes->start();
        return;
    }
    if (port != m_settings.resultPort)
        return;
    const bool queue = text.startsWith(Verb::Enqueued) || text.startsWith(Verb::Incoming);
    if (!queue)
        return;
    if (!m_downloads || !m_downloads->holdsDownloadFrom(peer)) {
        emit dropped(peer, QStringLiteral("a queue message from a host no download waits for"));
        return;
    }
    m_lastMessage = text;
    m_peerAddress = peer;
    if (text.startsWith(Verb::Enqueued)) {
        m_enqueueTimer->start();
    } else if (m_downloads->transferRunning()) {
        m_later->start();
    } else {
        m_startDownload->start();
    }
}

void SharingClient::post(const QString& host, const QString& text)
{
    // A client of its own for each answer: Cln may be busy with a search or a request.
    TNMMsg client;
    client.Host = host;
    client.Port = m_settings.personalPort;
    client.LocalAddress = m_settings.address;
    try {
        client.PostText(text);
    } catch (...) {
        // The server offers the file again, or the download is requested anew: nothing to do.
    }
}

void SharingClient::sendLater()
{
    m_cln->Host = m_peerAddress;
    post(m_peerAddress, Verb::Later);
}

void SharingClient::sendGetIt()
{
    // To the host that said it is ready, for the download that host holds: with several servers
    // in the queue, the ready one need not hold the first entry.
    m_sendingHost = m_peerAddress;
    m_sendingTarget = m_downloads ? m_downloads->targetFor(m_peerAddress) : QString();
    m_cln->Host = m_peerAddress;
    post(m_peerAddress, Verb::GetIt + m_sendingTarget);
}

void SharingClient::onStreamContact(ServedConnection* connection)
{
    const QString peer = connection->peerText();
    if (m_sendingHost.isEmpty() || peer != m_sendingHost || !m_downloads) {
        emit dropped(peer, QStringLiteral("a file nobody asked this host for"));
        return;
    }
    m_sendingHost.clear();
    m_cln->Host = peer;
    QString target;
    try {
        target = m_downloads->streamTarget(peer);
    } catch (...) {
        emit streamFailed(m_sendingTarget, currentErrorText());
        return;
    }
    if (target.isEmpty())
        return;
    TNMStrmServ::setTarget(connection, target);
    emit streamStarted(peer, target);
}
