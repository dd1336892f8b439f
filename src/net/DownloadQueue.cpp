#include "net/DownloadQueue.h"

#include "net/SockError.h"
#include "net/TNMMsg.h"
#include "net/Verbs.h"
#include "platform/Errors.h"

#include <QTimer>

namespace {

QString speedText(qint64 bytes, qint64 ms)
{
    if (ms <= 0)
        return QStringLiteral("n/a");
    const double perSecond = double(bytes) * 1000.0 / double(ms);
    if (perSecond >= 1024.0 * 1024.0)
        return QStringLiteral("%1 MB/s").arg(perSecond / (1024.0 * 1024.0), 0, 'f', 1);
    return QStringLiteral("%1 KB/s").arg(perSecond / 1024.0, 0, 'f', 1);
}

} // namespace

DownloadQueue::DownloadQueue(SharingClient& sharing, QObject* parent)
    : QObject(parent)
    , m_sharing(sharing)
    , m_sharingAlive(&sharing)
    , m_requestDl(new QTimer(this))
    , m_dltimer(new QTimer(this))
    , m_requester(std::make_unique<TNMMsg>())
{
    m_requestDl->setObjectName(QStringLiteral("RequestDl"));
    m_requestDl->setSingleShot(true);
    m_requestDl->setInterval(250);
    m_dltimer->setObjectName(QStringLiteral("dltimer"));
    m_dltimer->setInterval(1000);
    m_requester->Port = sharing.settings().personalPort;
    m_requester->LocalAddress = sharing.settings().address;

    connect(m_requestDl, &QTimer::timeout, this, &DownloadQueue::request);
    connect(m_dltimer, &QTimer::timeout, this, [this] { ++m_seconds; });
    connect(&sharing, &SharingClient::enqueued, this, &DownloadQueue::enqueued);
    connect(&sharing, &SharingClient::streamStored, this, &DownloadQueue::stored);
    connect(&sharing, &SharingClient::streamFailed, this, &DownloadQueue::failed);
    connect(&sharing, &SharingClient::streamProgress, this, &DownloadQueue::progress);
    sharing.setDownloads(this);
}

DownloadQueue::~DownloadQueue()
{
    // The window that owns both may have let the protocol's side go first.
    if (m_sharingAlive)
        m_sharing.setDownloads(nullptr);
}

QString DownloadQueue::namePart(const QString& path)
{
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

void DownloadQueue::setTargetChooser(std::function<QString(const QString&)> chooser)
{
    m_chooser = std::move(chooser);
}

void DownloadQueue::add(const DownloadEntry& entry)
{
    m_sharing.start();
    m_entries.append(entry);
    emit entriesChanged();
    requestIfWaiting();
}

void DownloadQueue::requestIfWaiting()
{
    if (!m_entries.isEmpty() && !transferRunning() && !m_requestDl->isActive())
        m_requestDl->start();
}

void DownloadQueue::request()
{
    m_requestDl->stop();
    if (m_entries.isEmpty())
        return;
    // A request of its own: the search window's client may be busy with a search meanwhile.
    m_requester->Disconnect();
    const DownloadEntry first = m_entries.first();
    m_sharing.Cln().Host = first.from;
    m_requester->Host = first.from;
    try {
        // Known before the post: the server may answer while the post is still finishing.
        m_resolved.insert(first.from, dottedAddress(m_requester->lookup()));
        m_requester->PostText(Verb::Download + first.download);
    } catch (...) {
        // The server cannot be reached: its entry goes, and the next is tried at once.
        const QString reason = currentErrorText();
        if (!m_entries.isEmpty() && m_entries.first() == first)
            m_entries.removeFirst();
        emit entriesChanged();
        emit downloadEnded(first, reason);
        if (!m_entries.isEmpty())
            m_requestDl->start();
    }
}

qsizetype DownloadQueue::entryOf(const QString& peer) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const QString& from = m_entries[i].from;
        if (from == peer || m_resolved.value(from) == peer)
            return i;
    }
    return -1;
}

bool DownloadQueue::holdsDownloadFrom(const QString& peer) const
{
    return entryOf(peer) >= 0;
}

QString DownloadQueue::targetFor(const QString& peer) const
{
    const qsizetype i = entryOf(peer);
    return i < 0 ? QString() : m_entries[i].toFile;
}

bool DownloadQueue::transferRunning() const
{
    return m_dltimer->isActive();
}

QString DownloadQueue::streamTarget(const QString& peer)
{
    const qsizetype i = entryOf(peer);
    if (i < 0)
        return QString();
    DownloadEntry& entry = m_entries[i];
    m_current.fromIp = entry.from;
    m_current.toFile = entry.toFile;
    m_current.status = QStringLiteral("Downloading...");
    m_current.percent = 0;
    emit receiving(true);
    emit showRequested();
    if (entry.toFile.isEmpty() && m_chooser) {
        entry.toFile = m_chooser(namePart(entry.download));
        m_current.toFile = entry.toFile;
        emit entriesChanged();
    }
    if (entry.toFile.isEmpty()) {
        // Nowhere to put it: the download is given up and the next one asked for.
        const DownloadEntry dropped = m_entries.takeAt(i);
        resetCurrent();
        emit receiving(false);
        emit entriesChanged();
        emit downloadEnded(dropped, QStringLiteral("No file was chosen for the download"));
        requestIfWaiting();
        return QString();
    }
    m_receiving = entry;
    m_seconds = 0;
    m_clock.start();
    m_dltimer->start();
    emit currentChanged();
    return entry.toFile;
}

void DownloadQueue::progress(qint64 received, qint64 size)
{
    m_current.percent = size > 0 ? int(received * 100 / size) : 100;
    m_current.speed = speedText(received, m_clock.isValid() ? m_clock.elapsed() : 0);
    emit currentChanged();
}

void DownloadQueue::stored(const QString& target, qint64)
{
    const qsizetype i = m_entries.indexOf(m_receiving);
    const DownloadEntry done = i >= 0 ? m_entries.takeAt(i) : m_receiving;
    Q_UNUSED(target);
    m_dltimer->stop();
    m_receiving = {};
    resetCurrent();
    emit receiving(false);
    emit entriesChanged();
    emit downloadEnded(done, QString());
    requestIfWaiting();
}

void DownloadQueue::failed(const QString&, const QString& reason)
{
    const qsizetype i = m_entries.indexOf(m_receiving);
    const DownloadEntry lost = i >= 0 ? m_entries.takeAt(i) : m_receiving;
    // The transfer is over: left running, every later offer would be put off for good.
    m_dltimer->stop();
    m_receiving = {};
    resetCurrent();
    m_current.status = reason;
    emit receiving(false);
    emit entriesChanged();
    emit currentChanged();
    emit downloadEnded(lost, reason);
    requestIfWaiting();
}

void DownloadQueue::resetCurrent()
{
    m_current = CurrentDownload{};
    m_seconds = 0;
    emit currentChanged();
}

void DownloadQueue::enqueued(const QString& message, const QString& peer)
{
    emit showRequested();
    const QString name = message.mid(Verb::Enqueued.size());
    // The request the server queued; the queue message of a download that has ended meanwhile
    // (its file can arrive before the message's timer fires) finds none and changes nothing.
    qsizetype queued = -1;
    for (qsizetype i = 0; i < m_entries.size() && queued < 0; ++i) {
        const DownloadEntry& entry = m_entries[i];
        if (entry.download == name && (entry.from == peer || m_resolved.value(entry.from) == peer))
            queued = i;
    }
    if (queued < 0)
        return;
    // While a file arrives, the current download is that file: another server's queue message
    // must not put its name over the transfer's progress.
    if (!transferRunning()) {
        m_current.fromIp = peer;
        m_current.toFile = name;
        m_current.status = QStringLiteral("Remotely queued");
        emit currentChanged();
    }
    // The queued request moves to the end and keeps its target file.
    const DownloadEntry moved = m_entries.takeAt(queued);
    m_entries.append({name, peer, moved.toFile});
    emit entriesChanged();
    const DownloadEntry& first = m_entries.first();
    if (first.download == name && first.from == peer)
        return;
    if (!transferRunning())
        m_requestDl->start();
}
