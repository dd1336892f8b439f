#pragma once

#include <QString>

#include <optional>

// Starting the user's own programs: a command line runs as a process of its own that outlives
// this one, as a program started from the desktop does.
namespace DetachedProcess {

// Splits `commandLine` into the program and its arguments (blanks separate words; double
// quotes keep blanks inside one word and are removed) and starts it. Nothing on success; the
// reason when it could not be started (no such program, not executable, empty line).
std::optional<QString> start(const QString& commandLine);

} // namespace DetachedProcess
