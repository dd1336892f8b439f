#pragma once

#include "net/TNMGeneralServer.h"

// The message server: reads one message frame per connection, answers "OK" and raises OnMSG.
class TNMMSGServ : public TNMGeneralServer
{
    Q_OBJECT

public:
    using TNMGeneralServer::TNMGeneralServer;
    ~TNMMSGServ() override;

signals:
    // Raised on the connection's thread; a receiver on the main thread gets it queued there.
    // A peer that closes before its frame is complete gives the missing parts as empty texts.
    void OnMSG(const QString& sFrom, const QString& sMsg, const QString& peer);

protected:
    ServedConnection* makeConnection(qintptr descriptor, const QHostAddress& peer) override;
};
