#pragma once

#include <QString>

// The verbs of the sharing protocol. Each message is one verb followed directly by its fields.
namespace Verb {

// "SEARCH$" artist "$" title: to a personal server, or to the central server.
inline const QString Search = QStringLiteral("SEARCH$");
// "SEARCHRES$" records: the answer to a search, on the asker's result port.
inline const QString SearchResults = QStringLiteral("SEARCHRES$");
// "DOWNLOAD$" remote file name: asks a personal server for a file.
inline const QString Download = QStringLiteral("DOWNLOAD$");
// "ENQUEUED$" remote file name: the server has queued the request.
inline const QString Enqueued = QStringLiteral("ENQUEUED$");
// "INCOMING$": the server is ready to send.
inline const QString Incoming = QStringLiteral("INCOMING$");
// "LATER$": a transfer is running here; offer the file again later.
inline const QString Later = QStringLiteral("LATER$");
// "GETIT$" target file name: send the file now, as one stream frame.
inline const QString GetIt = QStringLiteral("GETIT$");
// "REGISTER$": a personal server makes itself known to a central server of ours, which then
// passes searches on to it.
inline const QString Register = QStringLiteral("REGISTER$");

} // namespace Verb
