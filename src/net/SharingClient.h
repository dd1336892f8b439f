#pragma once

#include "net/SharingSettings.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class QTimer;
class ServedConnection;
class TNMMSGServ;
class TNMMsg;
class TNMStrmServ;

// What the download queue tells the protocol: which hosts it waits for, where the file being
// fetched goes, and whether a transfer runs.
class DownloadHooks
{
public:
    virtual ~DownloadHooks() = default;
    // Whether a queued download is held by the computer at this dotted address.
    virtual bool holdsDownloadFrom(const QString& peer) const = 0;
    // The target file of the first download this host holds; may be empty.
    virtual QString targetFor(const QString& peer) const = 0;
    // Whether a file is being received now.
    virtual bool transferRunning() const = 0;
    // A sender that was told to send connects (main thread): the file its bytes go to, which is
    // that host's download's. An empty answer drops the stream. The user may be asked here.
    virtual QString streamTarget(const QString& peer) = 0;
};

// The user's side of the sharing protocol: the four servers of the main window (`Srv` for
// answers and the download messages, `Srv2` for a central server's answers, `Frv` for the
// files, `INfSrv` for anyone's notes), the hand-over of what they receive to the main thread,
// the timers that act on it, and the message clients `Cln` and `Cln2`.
//
// The servers listen only once start() was called (the first search or download), and they
// take only what answers a request of ours: search results from the server asked while its
// search is outstanding, queue messages from hosts a download waits for, a file from the host
// just told to send it. Anything else is answered "OK" by the layer and dropped.
class SharingClient : public QObject
{
    Q_OBJECT

public:
    explicit SharingClient(const SharingSettings& settings, QObject* parent = nullptr);
    ~SharingClient() override;

    const SharingSettings& settings() const { return m_settings; }

    // Starts the four servers unless they listen already. Throws ESockError naming the port
    // that cannot be taken; then none listens.
    void start();
    bool isListening() const;

    // The message client for personal servers; its host is set before each use.
    TNMMsg& Cln() { return *m_cln; }
    // The message client for the central server, its host preset.
    TNMMsg& Cln2() { return *m_cln2; }

    // Posts "SEARCH$" artist "$" title to the central server, or to the personal server `host`
    // when it is not empty, and waits for that server's answer. Starts the servers first.
    // Throws ESockError.
    void search(const QString& artist, const QString& title, const QString& host = QString());
    // No answer is waited for any longer (the search window closed, or gave up).
    void cancelSearch();
    bool searchOutstanding() const { return !m_searchedAddress.isNull(); }

    void setDownloads(DownloadHooks* hooks) { m_downloads = hooks; }

    // The hand-over values: the full text of the last "ENQUEUED$" or "INCOMING$", and the
    // dotted address of its sender.
    const QString& lastMessage() const { return m_lastMessage; }
    const QString& peerAddress() const { return m_peerAddress; }
    // The last accepted search answer, verb and all (the search window's hidden field).
    const QString& searchAnswer() const { return m_searchAnswer; }
    // The last text anyone sent to the note port; nothing shows it.
    const QString& infoText() const { return m_infoText; }

    QTimer* SearchRes() const { return m_searchRes; }
    QTimer* EnqueueTimer() const { return m_enqueueTimer; }
    QTimer* Later() const { return m_later; }
    QTimer* Startdownload() const { return m_startDownload; }

signals:
    // `SearchRes` fired: an answer to the outstanding search is in searchAnswer().
    void searchAnswered(const QString& answer);
    // `EnqueueTimer` fired: a server queued the first download (lastMessage(), peerAddress()).
    void enqueued(const QString& message, const QString& peer);
    // A sender asked for the first download connected; its bytes go to `target`.
    void streamStarted(const QString& peer, const QString& target);
    void streamProgress(qint64 received, qint64 size);
    void streamStored(const QString& target, qint64 size);
    void streamFailed(const QString& target, const QString& reason);
    // A message was dropped because it answers nothing we asked; for the log.
    void dropped(const QString& peer, const QString& reason);

private:
    void onMessage(int port, const QString& text, const QString& peer);
    void onStreamContact(ServedConnection* connection);
    void sendLater();
    void sendGetIt();
    void post(const QString& host, const QString& text);

    SharingSettings m_settings;
    std::unique_ptr<TNMMSGServ> m_srv, m_srv2, m_infSrv;
    std::unique_ptr<TNMStrmServ> m_frv;
    std::unique_ptr<TNMMsg> m_cln, m_cln2;
    QTimer* m_searchRes;
    QTimer* m_enqueueTimer;
    QTimer* m_later;
    QTimer* m_startDownload;
    DownloadHooks* m_downloads = nullptr;

    QHostAddress m_searchedAddress;
    QString m_searchAnswer;
    QString m_lastMessage;
    QString m_peerAddress;
    QString m_infoText;
    // The host told to send the first download, until its stream connects.
    QString m_sendingHost;
    QString m_sendingTarget;
};
