#pragma once

#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"
#include "testsupport/Loopback.h"

#include <QStringList>
#include <gtest/gtest.h>

// A personal server as far as the user's side sees it: on an address of its own, it keeps what
// it is sent on its port 6710 and posts from that address.
struct InboxPeer
{
    InboxPeer()
    {
        inbox.BindAddress = address;
        inbox.Port = 6710;
        QObject::connect(
            &inbox, &TNMMSGServ::OnMSG, &inbox,
            [this](const QString&, const QString& text, const QString&) { received << text; });
        EXPECT_TRUE(inbox.listen());
    }

    QString name() const { return address.toString(); }

    void post(const QHostAddress& to, quint16 port, const QString& text)
    {
        TNMMsg client;
        client.Host = to.toString();
        client.Port = port;
        client.LocalAddress = address;
        client.PostText(text);
    }

    QHostAddress address = uniqueLoopback();
    TNMMSGServ inbox;
    QStringList received;
};
