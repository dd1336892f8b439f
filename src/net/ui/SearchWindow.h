#pragma once

#include "net/SearchResults.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <chrono>

class Dialogs;
class QGroupBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QTimer;
class QToolButton;
class SettingsStore;
class SharingClient;

// The search window (`TForm16`, "Search Internet"): the user picks the central server or one
// personal server, types an artist and a title, and searches. The server box remembers the
// personal servers searched before ("mps.dat", ServerHistory). While a search is out the window
// shows "Searching..." with its groups disabled; the answer closes it (the main window then
// opens the results), and a server that does not answer within answerWait() brings it back to
// its ready state with a message. Closing the window gives the search up.
class SearchWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultAnswerWait = SearchResults::answerWait;

    SearchWindow(SharingClient& sharing, Dialogs& dialogs, const SettingsStore& settings,
                 QString home, QWidget* parent = nullptr);
    ~SearchWindow() override;

    // Each time the window is shown: the server box from the history, its text the first entry,
    // empty search texts, everything enabled, the Search button's hint the central server.
    void formActivate();
    // The Search button (`SpeedButton1Click`).
    void search();

    bool centralChosen() const;
    // The server box text as searched (spaces around it dropped).
    QString serverText() const;
    QString artist() const;
    QString title() const;
    // The server box's entries, in their sorted order.
    QStringList servers() const;
    bool isSearching() const { return m_searching; }

    std::chrono::milliseconds answerWait() const { return m_answerWait; }
    void setAnswerWait(std::chrono::milliseconds wait) { m_answerWait = wait; }

    // The texts of the two boxes a search can end with.
    static QString contactErrorText();
    static QString noAnswerText();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void answerArrived();
    void noAnswer();
    // The history gains the server box text unless it already holds it; saved at once.
    void rememberServer(const QString& server);
    void setServers(QStringList entries);
    void setBusy(bool busy);
    // Back to the ready state after a search ended without an answer.
    void ready();
    QString centralServer() const;

    SharingClient& m_sharing;
    Dialogs& m_dialogs;
    const SettingsStore& m_settings;
    QString m_home;
    std::chrono::milliseconds m_answerWait = defaultAnswerWait;
    bool m_searching = false;

    QGroupBox* m_serverGroup = nullptr;
    QGroupBox* m_searchGroup = nullptr;
    QRadioButton* m_central = nullptr;
    QRadioButton* m_personal = nullptr;
    QComboBox* m_serverBox = nullptr;
    QLineEdit* m_artist = nullptr;
    QLineEdit* m_title = nullptr;
    QToolButton* m_searchButton = nullptr;
    QTimer* m_noAnswer = nullptr;
};
