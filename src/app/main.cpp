#include "app/ui/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrova"));
    QApplication::setApplicationName(QStringLiteral("Tamboro3"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tamboro 3"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));

    MainWindow window;
    window.showMaximized();
    return QApplication::exec();
}
