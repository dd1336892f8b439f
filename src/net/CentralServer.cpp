#include "net/CentralServer.h"
#include "net/SharingSettings.h"

#include "net/Outbox.h"
#include "net/ServerLog.h"
#include "net/TNMMSGServ.h"
#include "net/Verbs.h"
#include "platform/Errors.h"

#include <algorithm>

using ServerLog::field;

namespace {

// The whole records of an answer, each with its ten fields and their ends.
QStringList recordsOf(const QString& text)
{
    constexpr int fieldsPerRecord = 10;
    QStringList records;
    qsizetype start = 0;
    qsizetype at = 0;
    int fields = 0;
    while ((at = text.indexOf(QLatin1Char('|'), at)) >= 0) {
        ++at;
        if (++fields == fieldsPerRecord) {
            records << text.mid(start, at - start);
            start = at;
            fields = 0;
        }
    }
    return records;
}

} // namespace

CentralServer::CentralServer(Options options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_requests(std::make_unique<TNMMSGServ>())
    , m_results(std::make_unique<TNMMSGServ>())
    , m_outbox(std::make_unique<Outbox>())
{
    m_requests->BindAddress = m_options.bindAddress;
    m_requests->Port = m_options.port;
    m_results->BindAddress = m_options.bindAddress;
    m_results->Port = m_options.ports.centralResultPort;
    if (isSpecificAddress(m_options.bindAddress))
        m_outbox->localAddress = m_options.bindAddress;
    m_outbox->connectTimeout = m_options.connectTimeout;
    m_outbox->replyTimeout = m_options.replyTimeout;

    const auto guarded = [this](void (CentralServer::*handler)(const QString&, const QString&)) {
        return [this, handler](const QString&, const QString& text, const QString& peer) {
            try {
                (this->*handler)(text, peer);
            } catch (...) {
                log(peer, QStringLiteral("?"), QString(),
                    QStringLiteral("failed: ") + currentErrorText());
            }
        };
    };
    connect(m_requests.get(), &TNMMSGServ::OnMSG, this, guarded(&CentralServer::onRequest));
    connect(m_results.get(), &TNMMSGServ::OnMSG, this, guarded(&CentralServer::onResults));
    m_collectTimer.setSingleShot(true);
    connect(&m_collectTimer, &QTimer::timeout, this,
            [this] { finishSearch(QStringLiteral("time up")); });
}

CentralServer::~CentralServer()
{
    stop();
}

bool CentralServer::start()
{
    for (TNMMSGServ* server : {m_requests.get(), m_results.get()}) {
        if (!server->listen()) {
            m_error = QStringLiteral("%1:%2: %3")
                          .arg(dottedAddress(server->BindAddress))
                          .arg(server->Port)
                          .arg(server->errorString());
            stop();
            return false;
        }
    }
    return true;
}

QString CentralServer::errorString() const
{
    return m_error;
}

void CentralServer::stop()
{
    m_collectTimer.stop();
    m_requests->close();
    m_results->close();
    m_outbox->shutdown();
}

void CentralServer::log(const QString& peer, const QString& verb, const QString& fields,
                        const QString& outcome)
{
    emit logLine(ServerLog::line(peer, verb, fields, outcome));
}

QStringList CentralServer::knownServers()
{
    QStringList known;
    for (const Peer& peer : m_options.peers)
        known << QStringLiteral("%1:%2").arg(dottedAddress(peer.address)).arg(peer.port);
    for (auto it = m_registered.begin(); it != m_registered.end();) {
        if (it->second.second.elapsed() > m_options.registrationLifetime.count()) {
            log(it->first, Verb::Register, QString(), QStringLiteral("forgotten: no registration"));
            it = m_registered.erase(it);
            continue;
        }
        const QString entry = QStringLiteral("%1:%2").arg(it->first).arg(it->second.first.port);
        // A server named on the command line is asked once, at the port given there.
        const bool fixed =
            std::any_of(m_options.peers.begin(), m_options.peers.end(),
                        [&it](const Peer& p) { return dottedAddress(p.address) == it->first; });
        if (!fixed)
            known << entry;
        ++it;
    }
    return known;
}

void CentralServer::onRequest(const QString& text, const QString& peer)
{
    if (text.startsWith(Verb::Register)) {
        onRegister(text.mid(Verb::Register.size()), peer);
        return;
    }
    if (!text.startsWith(Verb::Search)) {
        log(peer, QStringLiteral("(unknown)"), field(text), QStringLiteral("ignored"));
        return;
    }
    const QString fields = field(text.mid(Verb::Search.size()));
    if (static_cast<int>(m_waiting.size()) >= m_options.maxWaitingSearches) {
        log(peer, Verb::Search, fields, QStringLiteral("refused: too many searches waiting"));
        return;
    }
    m_waiting.push_back(Search{peer, text});
    log(peer, Verb::Search, fields,
        m_current ? QStringLiteral("waiting (%1 before it)").arg(m_waiting.size())
                  : QStringLiteral("accepted"));
    next();
}

void CentralServer::onRegister(const QString& portText, const QString& peer)
{
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    const bool digits = std::all_of(portText.begin(), portText.end(),
                                    [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!ok || !digits || port == 0 || port > 65535) {
        log(peer, Verb::Register, field(portText), QStringLiteral("refused: not a port number"));
        return;
    }
    const QHostAddress address(peer);
    if (address.protocol() != QAbstractSocket::IPv4Protocol) {
        log(peer, Verb::Register, field(portText), QStringLiteral("refused: not an IPv4 peer"));
        return;
    }
    auto found = m_registered.find(peer);
    if (found == m_registered.end()) {
        knownServers(); // forgets the silent ones first
        if (static_cast<int>(m_registered.size()) >= m_options.maxServers) {
            log(peer, Verb::Register, field(portText), QStringLiteral("refused: too many servers"));
            return;
        }
        found = m_registered.emplace(peer, std::pair{Peer{address, quint16(port)}, QElapsedTimer()})
                    .first;
        log(peer, Verb::Register, field(portText), QStringLiteral("registered"));
    } else {
        found->second.first.port = quint16(port);
        log(peer, Verb::Register, field(portText), QStringLiteral("renewed"));
    }
    found->second.second.start();
}

void CentralServer::next()
{
    if (m_current || m_waiting.empty())
        return;
    m_current = m_waiting.front();
    m_waiting.pop_front();
    const quint64 serial = ++m_serial;
    m_asked.clear();
    const QStringList servers = knownServers();
    for (const QString& server : servers) {
        const QString key = server.left(server.lastIndexOf(QLatin1Char(':')));
        m_asked.push_back(Asked{QHostAddress(key), key, {}});
    }
    if (m_asked.empty()) {
        finishSearch(QStringLiteral("no server known"));
        return;
    }
    m_collectTimer.start(m_options.collectTimeout);
    for (const QString& server : servers) {
        const qsizetype colon = server.lastIndexOf(QLatin1Char(':'));
        const QString key = server.left(colon);
        const quint16 port = server.mid(colon + 1).toUShort();
        m_outbox->post(key, port, m_current->text,
                       [this, serial, key](const std::optional<QString>& error) {
                           if (!error || serial != m_serial || !m_current)
                               return;
                           log(key, Verb::Search, QString(), QStringLiteral("failed: ") + *error);
                           // A server that cannot be asked is not waited for.
                           onResults(Verb::SearchResults, key);
                       });
    }
}

void CentralServer::onResults(const QString& text, const QString& peer)
{
    const auto asked = std::find_if(m_asked.begin(), m_asked.end(),
                                    [&peer](const Asked& a) { return a.key == peer; });
    if (!m_current || asked == m_asked.end() || asked->records) {
        log(peer, QStringLiteral("(results)"), QString(),
            QStringLiteral("ignored: no search of ours is waiting for this server"));
        return;
    }
    if (!text.startsWith(Verb::SearchResults)) {
        log(peer, QStringLiteral("(unknown)"), field(text), QStringLiteral("ignored"));
        return;
    }
    asked->records = text.mid(Verb::SearchResults.size());
    if (std::all_of(m_asked.begin(), m_asked.end(), [](const Asked& a) { return a.records; }))
        finishSearch(QStringLiteral("all answered"));
}

QString CentralServer::collect(const std::vector<std::pair<QHostAddress, QString>>& answers)
{
    std::vector<QStringList> records;
    std::vector<QString> prefixes;
    for (const auto& [address, text] : answers) {
        records.push_back(recordsOf(text));
        prefixes.push_back(dottedAddress(address) + QLatin1Char(';'));
    }
    QString message = Verb::SearchResults;
    qsizetype bytes = message.toUtf8().size();
    int count = 0;
    // In turn from each server, so that one server's many songs leave room for the others'.
    for (qsizetype round = 0; count < maxRecords; ++round) {
        bool any = false;
        for (size_t i = 0; i < records.size() && count < maxRecords; ++i) {
            if (round >= records[i].size())
                continue;
            any = true;
            const QString record = prefixes[i] + records[i][round];
            const qsizetype size = record.toUtf8().size();
            if (bytes + size > maxMessageBytes)
                return message;
            message += record;
            bytes += size;
            ++count;
        }
        if (!any)
            break;
    }
    return message;
}

void CentralServer::finishSearch(const QString& why)
{
    m_collectTimer.stop();
    if (!m_current)
        return;
    std::vector<std::pair<QHostAddress, QString>> answers;
    int answered = 0;
    for (const Asked& asked : m_asked) {
        if (!asked.records)
            continue;
        ++answered;
        answers.emplace_back(asked.address, *asked.records);
    }
    const QString message = collect(answers);
    const QString asker = m_current->asker;
    const quint16 port = m_options.ports.centralResultPort;
    log(asker, Verb::SearchResults, field(m_current->text.mid(Verb::Search.size())),
        QStringLiteral("%1 of %2 servers answered (%3); %4 bytes to %5:%6")
            .arg(answered)
            .arg(m_asked.size())
            .arg(why)
            .arg(message.toUtf8().size())
            .arg(asker)
            .arg(port));
    m_outbox->post(asker, port, message, [this, asker, port](const std::optional<QString>& error) {
        if (error)
            log(asker, Verb::SearchResults, QStringLiteral("to port %1").arg(port),
                QStringLiteral("failed: ") + *error);
    });
    ++m_serial;
    m_current.reset();
    m_asked.clear();
    next();
}
