#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Starting the user's own programs: a command line runs as a process of its own that outlives
// this one, as a program started from the desktop does.
namespace DetachedProcess {

// The program and its arguments of a command line, split as the desktop splits the Exec line
// of a desktop entry: blanks separate words; single quotes keep everything inside as it is;
// double quotes keep blanks, and a backslash in them escapes $, `, " and \; a backslash
// outside quotes escapes the next character. Nothing, with the reason, when the line is empty
// or its quotes are not closed.
std::optional<QStringList> split(const QString& commandLine, QString* problem = nullptr);

// Splits `commandLine` (see split) and starts it. Nothing on success; the reason when it could
// not be started (no such program, not executable, empty line, unbalanced quotes).
std::optional<QString> start(const QString& commandLine);

} // namespace DetachedProcess
