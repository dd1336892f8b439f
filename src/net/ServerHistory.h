#pragma once

#include <QString>
#include <QStringList>

// The personal servers searched before: "mps.dat" in the home, one host name or address per
// line, lines ended by CR LF, read and written whole. The search window's server box shows it.
namespace ServerHistory {

inline const QString fileName = QStringLiteral("mps.dat");

// The entries, in file order; none when the file does not exist. Lines that are not UTF-8 are
// read as Windows-1252; empty lines are no entries. Throws EInOutError when the file is there
// but cannot be read.
QStringList load(const QString& home);

// Replaces the file with `entries`. A reader sees the old file or the new one, never a part of
// one. Throws EInOutError naming the file when it cannot be written.
void save(const QString& home, const QStringList& entries);

// Whether `text` is already known: a plain substring test on all entries joined, line ends
// and all, so that a text contained in any entry counts (10.0.0.1 beside 10.0.0.12). An empty
// text is never known.
bool known(const QStringList& entries, const QString& text);

} // namespace ServerHistory
