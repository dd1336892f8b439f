#pragma once

#include <QObject>
#include <QString>

#include <functional>

class Dialogs;
class Gauge;
class ListWindow;
class QWidget;
class SongDatabase;
struct ListShared;

// Playing songs through the user's own MP3 player: the list windows' "&Play", "&Enqueue",
// "Play List" and "Enqueue List" (and the player bar's drop targets, which trigger the first
// two) write the chosen songs into the hand-off playlist "tmp.m3u" of the home and start the
// player the desktop registers for MP3 files with it. The play counts go up, in one
// transaction, once the player has started.
class PlayCommands : public QObject
{
    Q_OBJECT
public:
    enum class Scope { Selection, WholeList };
    enum class Verb { Play, Enqueue };

    struct Services
    {
        QWidget* mainWindow = nullptr;
        SongDatabase* database = nullptr;
        ListShared* shared = nullptr; // NowSelected
        Dialogs* dialogs = nullptr;
        Gauge* gauge = nullptr; // may be null
        QString home;
        // The registered player's command templates (PlayStr, EnqStr), read at start-up.
        std::function<QString()> playTemplate;
        std::function<QString()> enqueueTemplate;
        // Plays the song the tag editor shows with the built-in player.
        std::function<void()> playBuiltIn;
    };

    explicit PlayCommands(Services services, QObject* parent = nullptr);

    // Connects the four commands of a list window (once, however often it is adopted).
    void adopt(ListWindow* window);
    void run(ListWindow* window, Scope scope, Verb verb);

    // The command line started last; empty before the first.
    const QString& lastCommand() const { return m_lastCommand; }

private:
    QString playerTemplate(Verb verb) const;
    // No player to hand the songs to: says why, and offers the built-in player where that
    // helps.
    void noPlayer(Verb verb);

    Services m_services;
    QString m_lastCommand;
};
