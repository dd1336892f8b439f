#include "app/ui/TamboroApplication.h"

#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"

#include <QtDebug>

TamboroApplication::TamboroApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Kestrova"));
    setApplicationName(QStringLiteral("Tamboro3"));
    // No display name: the platform would append it to every window's title, and the main
    // window's title already names the program ("Tamboro 3 - [Whole database (1)]" with a
    // maximised list). Every window and message box sets its own caption.
    setApplicationVersion(QStringLiteral("3.0"));
    // The installed menu entry's name: desktops match the windows to its icon and entry by it.
    setDesktopFileName(QStringLiteral("tamboro3"));
    setQuitOnLastWindowClosed(false);
}

bool TamboroApplication::notify(QObject* receiver, QEvent* event)
{
    bool result = false;
    ErrorBoundary::run([&] { result = QApplication::notify(receiver, event); },
                       [this](const QString& text) {
                           if (m_dialogs)
                               m_dialogs->message(Dialogs::Kind::Error, text);
                           else
                               qCritical().noquote() << text;
                       });
    return result;
}
