#pragma once

#include "platform/Errors.h"

#include <QAbstractSocket>
#include <QString>

// A socket could not do what was asked: connect, resolve a name, send or receive. The text is
// one of the layer's own ("Connection Failed", "Host Lookup Failed", ...) or a socket error as
// the error number, a colon and its description ("10061: Connection refused").
class ESockError : public TamboroError
{
public:
    using TamboroError::TamboroError;
};

// A transfer was cancelled while it waited.
class EAbortError : public TamboroError
{
public:
    using TamboroError::TamboroError;
};

namespace SockErrors {

inline const QString AlreadyConnected = QStringLiteral("Already connected");
inline const QString NullRemoteAddress = QStringLiteral("Null Remote Address");
inline const QString ConnectionTimedOut = QStringLiteral("Connection Timed out");
inline const QString ConnectionCanceled = QStringLiteral("Connection Canceled");
inline const QString ConnectionFailed = QStringLiteral("Connection Failed");
inline const QString HostLookupTimedOut = QStringLiteral("Host Lookup Timed Out");
inline const QString HostLookupFailed = QStringLiteral("Host Lookup Failed");
inline const QString HostLookupCanceled = QStringLiteral("Host Lookup Canceled");
inline const QString SendAborted = QStringLiteral("Socket send aborted");

// "10061: Connection refused" for a socket error number of the classic table (10004 to 10071,
// 10091 to 10093, 11001 to 11004), "Unknown Error No. N" for any other.
QString numberedText(int number);

// The socket error number that stands for what Qt reports.
int numberFor(QAbstractSocket::SocketError error);

// The text a caller is shown for what Qt reports on a socket.
QString textFor(QAbstractSocket::SocketError error);

} // namespace SockErrors
