#pragma once

#include "net/TNMGeneralServer.h"

#include <QString>

// The stream server: reads one stream frame per connection and writes its bytes, as they
// arrive, into a temporary file beside the target, renamed into place once complete. The
// contact handler names the target; a stream nobody named a target for is answered "OK" and
// dropped unread.
class TNMStrmServ : public TNMGeneralServer
{
    Q_OBJECT

public:
    using TNMGeneralServer::TNMGeneralServer;
    ~TNMStrmServ() override;

    // In an OnClientContact handler (main thread): the file this connection's bytes go to.
    static void setTarget(ServedConnection* connection, const QString& target);

signals:
    // The following are raised on the connection's thread; receivers on the main thread get them
    // queued there.
    // The stream is complete and stored as `target`.
    void OnMSG(const QString& sFrom, const QString& target, qint64 size, const QString& peer);
    // Bytes arrived; raised at most every 100 ms and once at the end.
    void progress(const QString& peer, qint64 received, qint64 size);
    // The stream was announced for a target and is not stored; nothing of it is left on disk.
    void failed(const QString& peer, const QString& target, const QString& reason);

protected:
    ServedConnection* makeConnection(qintptr descriptor, const QHostAddress& peer) override;
};
