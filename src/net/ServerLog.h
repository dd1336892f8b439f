#pragma once

#include <QString>

// The one-line log records of the sharing servers: time, peer, verb, key fields, outcome.
namespace ServerLog {

// A peer's text as a log field: quoted, cut to a readable length, with line breaks and other
// control characters shown as "?", so that no peer can break a record into two.
QString field(const QString& text);

QString line(const QString& peer, const QString& verb, const QString& fields,
             const QString& outcome);

} // namespace ServerLog
