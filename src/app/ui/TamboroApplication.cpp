#include "app/ui/TamboroApplication.h"

#include "platform/Errors.h"

#include <QMessageBox>

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
    QString text;
    try {
        return QApplication::notify(receiver, event);
    } catch (const TamboroError& e) {
        text = e.message();
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    }
    QMessageBox::critical(activeWindow(), applicationDisplayName(), text);
    return false;
}
