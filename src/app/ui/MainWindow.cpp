#include "app/ui/MainWindow.h"

#include <QMdiArea>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_mdiArea(new QMdiArea(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tamboro 3"));
    setMinimumSize(589, 434);
    m_mdiArea->setObjectName(QStringLiteral("MDIArea"));
    setCentralWidget(m_mdiArea);
}
