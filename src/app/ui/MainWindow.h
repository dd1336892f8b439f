#pragma once

#include <QMainWindow>

class QMdiArea;

// The multiple-document frame that holds the list windows.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return m_mdiArea; }

private:
    QMdiArea* m_mdiArea;
};
