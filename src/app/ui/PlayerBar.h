#pragma once

#include <QFrame>

#include <functional>

class Dialogs;
class ListWindow;
class PlayerTransport;
class QLabel;
class QScrollBar;
class QToolButton;
struct ListShared;

// The player bar along the top of the main window (`Panel3`): play, pause and stop, the time
// display, the title of the loaded song, the position bar, and two targets that play or
// enqueue rows dragged from a list window. It holds no state of its own: the buttons and the
// position bar call the transport, and the widgets show what the transport reports.
//
// Errors of the player go to the error box; none leaves a handler.
class PlayerBar : public QFrame
{
    Q_OBJECT
public:
    struct Context
    {
        PlayerTransport* transport = nullptr;
        Dialogs* dialogs = nullptr;
        // The main window's list windows: how many are open, and the active one (or null).
        std::function<int()> openListWindows;
        std::function<ListWindow*()> activeListWindow;
        const ListShared* shared = nullptr;
    };

    PlayerBar(Context context, QWidget* parent = nullptr);

    // Whether the drop targets take rows now.
    bool acceptsDrop() const;
    // ">" as a click on it: the song the tag editor shows, errors in the error box.
    void play();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* addButton(QWidget* parent, const char* name, const QString& caption, int x,
                           void (PlayerTransport::*command)());
    QLabel* addDropTarget(const char* name, const QString& caption);
    // The transport's state into the widgets.
    void mirror();
    // A scroll of the user's, once the bar has taken its new value.
    void seekToBar();
    void run(const std::function<void()>& work);
    bool dropEvent(QLabel* target, QEvent* event);

    Context m_ctx;
    QLabel* m_display = nullptr;
    QLabel* m_title = nullptr;
    QScrollBar* m_position = nullptr;
    QLabel* m_playTarget = nullptr;
    QLabel* m_enqueueTarget = nullptr;
};
