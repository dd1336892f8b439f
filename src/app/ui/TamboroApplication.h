#pragma once

#include <QApplication>

// The application object. Every event goes through notify(): an exception that a handler let
// through stops there and is shown in the error box with its text, so no exception ever crosses
// Qt's event loop.
class TamboroApplication : public QApplication
{
    Q_OBJECT
public:
    TamboroApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
