#pragma once

#include "platform/Errors.h"

#include <QString>

#include <concepts>
#include <functional>

class Dialogs;

// Where the work a window starts meets the event loop: an exception the work lets out stops
// here, so that none crosses Qt's event loop, and its text goes to the user.
namespace ErrorBoundary {

// Runs `work`; when it throws, `report` gets the exception's text. True when the work finished.
// A template, since the application runs every event it delivers through here.
template <typename Work, typename Report>
requires std::invocable<Report&, const QString&>
bool run(Work&& work, Report&& report)
{
    QString text;
    try {
        work();
        return true;
    } catch (...) {
        text = currentErrorText();
    }
    // Reported outside the handler: the report may open a box with an event loop of its own,
    // and the exception is over by then.
    report(text);
    return false;
}

// The same, reported in the error box.
bool run(const std::function<void()>& work, Dialogs& dialogs);

} // namespace ErrorBoundary
