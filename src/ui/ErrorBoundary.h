#pragma once

#include <QString>

#include <functional>

class Dialogs;

// Where the work a window starts meets the event loop: an exception the work lets out stops
// here, so that none crosses Qt's event loop, and its text goes to the user.
namespace ErrorBoundary {

using Sink = std::function<void(const QString& text)>;

// Runs `work`; when it throws, `report` gets the exception's text. True when the work finished.
bool run(const std::function<void()>& work, const Sink& report);

// The same, reported in the error box.
bool run(const std::function<void()>& work, Dialogs& dialogs);

} // namespace ErrorBoundary
