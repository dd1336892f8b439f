#pragma once

#include "net/SharingClient.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QMap>

#include <functional>
#include <memory>

class QTimer;

// One queued download: the file as its server names it, the server, the local file.
struct DownloadEntry
{
    QString download;
    QString from;
    QString toFile;
    bool operator==(const DownloadEntry&) const = default;
};

// What the downloads window shows of the download being received.
struct CurrentDownload
{
    QString fromIp = QStringLiteral("n/a");
    QString toFile = QStringLiteral("n/a");
    QString status = QStringLiteral("n/a");
    QString speed = QStringLiteral("n/a");
    int percent = 0;
    bool operator==(const CurrentDownload&) const = default;
};

// The download queue: files are fetched one at a time from the servers that hold them. The
// first entry is the current download; `RequestDl` asks its server for it, "ENQUEUED$" moves it
// to the end, and the file arrives on the stream port while `dltimer` runs.
class DownloadQueue : public QObject, public DownloadHooks
{
    Q_OBJECT

public:
    explicit DownloadQueue(SharingClient& sharing, QObject* parent = nullptr);
    ~DownloadQueue() override;

    const QList<DownloadEntry>& entries() const { return m_entries; }
    const CurrentDownload& current() const { return m_current; }
    // Seconds the current transfer has run (the transfer timer's ticks).
    int seconds() const { return m_seconds; }

    // The name part of a server's file name, which may be a Windows path.
    static QString namePart(const QString& path);

    // Asks for the target of a stream whose first entry has none; an empty answer drops the
    // stream. The window asks the user; without it the stream is dropped.
    void setTargetChooser(std::function<QString(const QString& proposed)> chooser);

    // Adds a download and starts the servers; the request follows unless a file is being
    // received. Throws ESockError when the servers cannot listen.
    void add(const DownloadEntry& entry);
    // Starts the request timer when entries wait and no file is being received.
    void requestIfWaiting();

    QTimer* RequestDl() const { return m_requestDl; }
    QTimer* dltimer() const { return m_dltimer; }

    bool holdsDownloadFrom(const QString& peer) const override;
    QString targetFor(const QString& peer) const override;
    bool transferRunning() const override;
    QString streamTarget(const QString& peer) override;

signals:
    void entriesChanged();
    void currentChanged();
    // The downloads window is to be shown.
    void showRequested();
    // The download animation runs while a file is received.
    void receiving(bool on);
    // A download ended: stored at `target`, or failed with `reason` (empty when stored).
    void downloadEnded(const DownloadEntry& entry, const QString& reason);

private:
    void request();
    void enqueued(const QString& message, const QString& peer);
    void stored(const QString& target, qint64 size);
    void failed(const QString& target, const QString& reason);
    void progress(qint64 received, qint64 size);
    void resetCurrent();
    // The first entry held by this host, or -1.
    qsizetype entryOf(const QString& peer) const;

    SharingClient& m_sharing;
    QPointer<SharingClient> m_sharingAlive;
    QList<DownloadEntry> m_entries;
    // The address each server's name resolved to when it was asked, so that its answers,
    // which come from that address, are known as its own.
    QMap<QString, QString> m_resolved;
    CurrentDownload m_current;
    QTimer* m_requestDl;
    QTimer* m_dltimer;
    int m_seconds = 0;
    QElapsedTimer m_clock;
    std::function<QString(const QString&)> m_chooser;
    std::unique_ptr<TNMMsg> m_requester;
    // The entry being received, from the contact on.
    DownloadEntry m_receiving;
};
