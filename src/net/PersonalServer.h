#pragma once

#include "net/SharingSettings.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <memory>
#include <optional>

class Outbox;
class ShareCatalogue;
class SongDatabase;
class TNMMSGServ;

// The personal sharing server: offers this home's song table to other users. It answers
// "SEARCH$" with the records of its songs and sends files on request, one transfer at a time:
// "DOWNLOAD$" queues a file and is acknowledged with "ENQUEUED$"; the head of the queue is
// offered with "INCOMING$"; the asker answers "GETIT$" (the file then goes to its stream port
// as one stream frame) or "LATER$" (offered again after a pause). Only files the catalogue
// allows are ever queued or sent.
//
// Everything but the wire runs on the thread that owns the server (the song table's
// connection is used there only); messages and the file go out on a pool of their own, so the
// server keeps answering while a peer is slow or a file is under way.
class PersonalServer : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        // Where the server listens; a specific address is also where its own connections go
        // out from, so that peers answer to it.
        QHostAddress bindAddress{QHostAddress::AnyIPv4};
        quint16 port = 6710;
        // The askers' ports: resultPort (answers and queue messages), centralResultPort (answers
        // to the central server), streamPort (files), centralPort (registration).
        SharingSettings ports;
        // The central server to register with ("" for none): an address or a host name.
        QString centralHost;
        std::chrono::milliseconds registerInterval{60000};
        // After "LATER$": how long before the file is offered to that host again.
        std::chrono::milliseconds laterPause{5000};
        // After "INCOMING$": how long the host has to answer before its entry is dropped.
        std::chrono::milliseconds offerTimeout{30000};
        // How long an entry may keep being put off with "LATER$" before it is dropped.
        std::chrono::milliseconds longestDeferral{std::chrono::minutes(30)};
        std::chrono::milliseconds connectTimeout{5000};
        std::chrono::milliseconds replyTimeout{10000};
        int maxQueued = 1000;
        int maxQueuedPerHost = 100;
    };

    PersonalServer(SongDatabase& database, Options options, QObject* parent = nullptr);
    ~PersonalServer() override;

    // Starts listening (and registering, when a central server is named); false with
    // errorString() when the address cannot be taken.
    bool start();
    QString errorString() const;
    // Stops listening, cancels what is under way and waits for it.
    void stop();

    // Entries waiting, the one offered or being sent not counted.
    int queued() const { return static_cast<int>(m_queue.size()); }
    // The host an entry is offered to or sent to now, empty when none.
    QString activeHost() const;
    // The central server's address as last resolved; null before the first registration.
    QHostAddress centralAddress() const { return m_centralAddress; }

signals:
    // One line per request and per step of the queue: time, peer, verb, key fields, outcome.
    void logLine(const QString& line);
    // A transfer ended: sent, or failed with `error`.
    void transferEnded(const QString& host, const QString& name, const QString& error);

private:
    struct Entry
    {
        QString host;
        QString name;
        QElapsedTimer since; // from the first offer on
    };
    enum class Phase { Idle, Offering, Sending };

    void onMessage(const QString& text, const QString& peer);
    void onSearch(const QString& fields, const QString& peer);
    void onDownload(const QString& name, const QString& peer);
    void onLater(const QString& peer);
    void onGetIt(const QString& target, const QString& peer);
    void advance();
    void dropActive(const QString& why);
    void finishTransfer(quint64 serial, const std::optional<QString>& error);
    void registerWithCentral();
    void postRegistration(const QHostAddress& central);
    bool isCentral(const QString& peer) const;
    void log(const QString& peer, const QString& verb, const QString& fields,
             const QString& outcome);

    SongDatabase& m_database;
    Options m_options;
    std::unique_ptr<ShareCatalogue> m_catalogue;
    std::unique_ptr<TNMMSGServ> m_server;
    std::unique_ptr<Outbox> m_outbox;
    QTimer m_registerTimer;
    QTimer m_offerTimer;
    QTimer m_wakeTimer;
    QHostAddress m_centralAddress;

    std::deque<Entry> m_queue;
    std::optional<Entry> m_active;
    Phase m_phase = Phase::Idle;
    quint64 m_serial = 0; // tells a late outcome of an earlier offer from the current one
    // Hosts that answered "LATER$", and when they may be offered a file again.
    QHash<QString, QElapsedTimer> m_pausedSince;
};
