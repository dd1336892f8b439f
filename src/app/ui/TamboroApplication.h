#pragma once

#include <QApplication>

class Dialogs;

// The application object. Every event goes through notify(): an exception that a handler let
// through stops there and is shown in the error box with its text, so no exception ever crosses
// Qt's event loop.
class TamboroApplication : public QApplication
{
    Q_OBJECT
public:
    TamboroApplication(int& argc, char** argv);

    // The dialogs that show the error box. Until they are given, an error is only logged.
    void setDialogs(Dialogs* dialogs) { m_dialogs = dialogs; }
    Dialogs* dialogs() const { return m_dialogs; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    Dialogs* m_dialogs = nullptr;
};
