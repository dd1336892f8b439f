#include "app/ui/TamboroApplication.h"

#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"

#include <QtDebug>

TamboroApplication::TamboroApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Kestrova"));
    setApplicationName(QStringLiteral("Tamboro3"));
    setApplicationDisplayName(QStringLiteral("Tamboro 3"));
    setApplicationVersion(QStringLiteral("3.0"));
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
