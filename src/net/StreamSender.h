#pragma once

#include "net/TNMMsg.h"

class QIODevice;

// Sends one stream frame: the sender name, the byte count and the bytes, read from a device as
// they go out so that a file of any size is never held in memory. The personal server sends the
// files it was asked for with it.
class StreamSender : public SocketClient
{
    Q_OBJECT

public:
    using SocketClient::SocketClient;

    // Sends `size` bytes of `data` and returns the receiver's reply. Throws ESockError when the
    // connection fails or the device gives fewer bytes than announced; EAbortError on Abort().
    QString send(QIODevice& data, qint64 size);

signals:
    void sent(qint64 bytes, qint64 size);
};
