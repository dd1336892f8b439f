#include "ui/ErrorBoundary.h"

#include "platform/Errors.h"
#include "ui/Dialogs.h"

namespace ErrorBoundary {

bool run(const std::function<void()>& work, const Sink& report)
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

bool run(const std::function<void()>& work, Dialogs& dialogs)
{
    return run(work,
               [&dialogs](const QString& text) { dialogs.message(Dialogs::Kind::Error, text); });
}

} // namespace ErrorBoundary
