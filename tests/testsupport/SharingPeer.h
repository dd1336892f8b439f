#pragma once

#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"
#include "net/TNMStrmServ.h"
#include "platform/Errors.h"
#include "testsupport/Loopback.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <vector>

// A user's side of the sharing protocol for the servers' tests, built from the message layer:
// on a loopback address of its own, message servers on the result port (6711) and the central
// result port (6715) keep what arrives, a stream server (6712) stores a stream at `target` when
// one is set, and posts go out from the same address, so that the servers answer to it.
class SharingPeer
{
public:
    explicit SharingPeer(QHostAddress at = uniqueLoopback())
        : address(at)
    {
        for (TNMGeneralServer* server : {static_cast<TNMGeneralServer*>(&results),
                                         static_cast<TNMGeneralServer*>(&centralResults),
                                         static_cast<TNMGeneralServer*>(&streams)})
            server->BindAddress = address;
        results.Port = 6711;
        centralResults.Port = 6715;
        streams.Port = 6712;
        keep(results, 6711);
        keep(centralResults, 6715);
        QObject::connect(&streams, &TNMStrmServ::OnClientContact, &streams,
                         [this](ServedConnection* connection) {
                             ++streamContacts;
                             if (!target.isEmpty())
                                 TNMStrmServ::setTarget(connection, target);
                         });
        QObject::connect(&streams, &TNMStrmServ::OnMSG, &streams,
                         [this](const QString&, const QString& stored, qint64, const QString&) {
                             storedFiles << stored;
                         });
        EXPECT_TRUE(results.listen()) << results.errorString().toStdString();
        EXPECT_TRUE(centralResults.listen()) << centralResults.errorString().toStdString();
        EXPECT_TRUE(streams.listen()) << streams.errorString().toStdString();
    }

    // Posts `text` to to:port from this peer's address; the reply, or the error's text.
    QString post(const QHostAddress& to, quint16 port, const QString& text) const
    {
        TNMMsg client;
        client.Host = to.toString();
        client.Port = port;
        client.LocalAddress = address;
        try {
            return client.PostText(text);
        } catch (const TamboroError& error) {
            return error.message();
        }
    }

    // The texts that arrived on `port` and start with `verb`, in arrival order.
    QStringList received(quint16 port, const QString& verb = QString()) const
    {
        QStringList texts;
        for (const auto& [on, text] : messages) {
            if (on == port && text.startsWith(verb))
                texts << text;
        }
        return texts;
    }

    QHostAddress address;
    TNMMSGServ results;
    TNMMSGServ centralResults;
    TNMStrmServ streams;
    std::vector<std::pair<quint16, QString>> messages;
    QString target;
    int streamContacts = 0;
    QStringList storedFiles;

private:
    void keep(TNMMSGServ& server, quint16 port)
    {
        QObject::connect(&server, &TNMMSGServ::OnMSG, &server,
                         [this, port](const QString&, const QString& text, const QString&) {
                             messages.emplace_back(port, text);
                         });
    }
};
