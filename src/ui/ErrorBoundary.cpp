#include "ui/ErrorBoundary.h"

#include "ui/Dialogs.h"

namespace ErrorBoundary {

bool run(const std::function<void()>& work, Dialogs& dialogs)
{
    return run(work,
               [&dialogs](const QString& text) { dialogs.message(Dialogs::Kind::Error, text); });
}

} // namespace ErrorBoundary
