#pragma once

#include "net/SharingSettings.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class Outbox;
class TNMMSGServ;

// The central sharing server: answers users' searches with the records of the personal
// servers it knows. A personal server becomes known by registering ("REGISTER$" and its port
// number, repeated every minute; forgotten after some minutes of silence) or by being named on
// the command line. A user's "SEARCH$" is passed on to every known server; their answers come
// back on the results port and are collected until all have answered or a few seconds have
// passed; the user then gets one "SEARCHRES$" whose records each start with the address of
// the server that holds the song and ";". Searches are served one after another, so that no
// answer is taken for the wrong search.
class CentralServer : public QObject
{
    Q_OBJECT

public:
    struct Peer
    {
        QHostAddress address;
        quint16 port = 6710;
    };

    struct Options
    {
        // Where both servers listen and where connections go out from when it is a specific
        // address.
        QHostAddress bindAddress{QHostAddress::AnyIPv4};
        // Users' searches and registrations.
        quint16 port = 6714;
        // ports.centralResultPort: where the personal servers' answers arrive and where a user
        // gets the collected answer.
        SharingSettings ports;
        // Personal servers that are always asked.
        std::vector<Peer> peers;
        std::chrono::milliseconds registrationLifetime{std::chrono::minutes(5)};
        std::chrono::milliseconds collectTimeout{3000};
        std::chrono::milliseconds connectTimeout{3000};
        std::chrono::milliseconds replyTimeout{10000};
        int maxServers = 1000;
        int maxWaitingSearches = 100;
    };

    static constexpr int maxRecords = 50;
    static constexpr qsizetype maxMessageBytes = 9999;

    explicit CentralServer(Options options, QObject* parent = nullptr);
    ~CentralServer() override;

    // Starts both servers; false with errorString() when an address cannot be taken.
    bool start();
    QString errorString() const;
    void stop();

    // The personal servers a search would go to now, as "address:port".
    QStringList knownServers();
    // Searches waiting behind the one under way.
    int waitingSearches() const { return static_cast<int>(m_waiting.size()); }

    // The collected answer: `answers` holds each asked server's records (the text after the
    // verb) in the order asked. Records are taken in turn from each server, each led by that
    // server's address and ";", while there are fewer than 50 and the whole message stays
    // within 9,999 bytes; a record is never cut. Incomplete trailing records are dropped.
    static QString collect(const std::vector<std::pair<QHostAddress, QString>>& answers);

signals:
    void logLine(const QString& line);

private:
    struct Search
    {
        QString asker;
        QString text; // the whole message, passed on as it came
    };
    struct Asked
    {
        QHostAddress address;
        QString key;
        std::optional<QString> records; // set once answered (empty when it failed)
    };

    void onRequest(const QString& text, const QString& peer);
    void onResults(const QString& text, const QString& peer);
    void onRegister(const QString& port, const QString& peer);
    void next();
    void finishSearch(const QString& why);
    void log(const QString& peer, const QString& verb, const QString& fields,
             const QString& outcome);

    Options m_options;
    std::unique_ptr<TNMMSGServ> m_requests;
    std::unique_ptr<TNMMSGServ> m_results;
    std::unique_ptr<Outbox> m_outbox;
    QString m_error;
    // Registered servers by address: their port and when they last registered.
    std::map<QString, std::pair<Peer, QElapsedTimer>> m_registered;
    std::deque<Search> m_waiting;
    std::optional<Search> m_current;
    std::vector<Asked> m_asked;
    quint64 m_serial = 0;
    QTimer m_collectTimer;
};
