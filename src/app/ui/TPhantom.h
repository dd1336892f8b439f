#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

class QWidget;

// The tray icon component: shows the program's icon in the notification area, turns clicks on
// it into menus and signals, and controls the task-bar presence of its owner window and the
// process priority.
class TPhantom : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
    Q_PROPERTY(bool Serviceprocess READ serviceprocess WRITE setServiceprocess)
    Q_PROPERTY(QIcon Iconfile READ iconfile WRITE setIconfile)
    Q_PROPERTY(bool Iconvisibility READ iconvisibility WRITE setIconvisibility)
    Q_PROPERTY(QString Tip READ tip WRITE setTip)
    Q_PROPERTY(bool Flash READ flash WRITE setFlash)
    Q_PROPERTY(int FlashTime READ flashTime WRITE setFlashTime)
    Q_PROPERTY(TPrioritaet Priority READ priority WRITE setPriority)
    Q_PROPERTY(QMenu* PopupRight READ popupRight WRITE setPopupRight)
    Q_PROPERTY(QMenu* PopupLeft READ popupLeft WRITE setPopupLeft)

public:
    enum TPrioritaet { Idle, Normal, Hoch, Realtime };
    Q_ENUM(TPrioritaet)

    // The longest tip the tray shows.
    static constexpr int maxTipLength = 63;

    explicit TPhantom(QObject* parent = nullptr);
    ~TPhantom() override;

    // The window whose task-bar presence `Visible` controls and that `Flash` flashes.
    void setOwner(QWidget* owner);
    QWidget* owner() const { return m_owner; }

    bool visible() const { return m_visible; }
    // False minimises and hides the owner; true shows it again, maximised when it was so.
    void setVisible(bool visible);

    bool serviceprocess() const { return m_serviceprocess; }
    // Nothing on this system marks a process as a service: only the value is kept.
    void setServiceprocess(bool on) { m_serviceprocess = on; }

    QIcon iconfile() const { return m_icon; }
    // An empty picture takes the icon out of the tray.
    void setIconfile(const QIcon& icon);

    bool iconvisibility() const { return m_iconvisibility; }
    void setIconvisibility(bool on);
    // Whether the icon is in the tray now: wanted and with a picture.
    bool iconShown() const;

    QString tip() const { return m_tip; }
    // Keeps the first 63 characters.
    void setTip(const QString& tip);

    bool flash() const { return m_flash; }
    // True flashes the owner's task-bar entry for FlashTime ms; the value returns to false.
    void setFlash(bool on);
    int flashTime() const { return m_flashTime; }
    void setFlashTime(int ms) { m_flashTime = ms; }

    TPrioritaet priority() const { return m_priority; }
    // The process's nice value: Idle 19, Normal 0, Hoch -10, Realtime -20. Raising the
    // priority needs privileges; without them the call fails and nothing changes.
    void setPriority(TPrioritaet priority);

    QMenu* popupRight() const { return m_popupRight; }
    void setPopupRight(QMenu* menu) { m_popupRight = menu; }
    QMenu* popupLeft() const { return m_popupLeft; }
    void setPopupLeft(QMenu* menu) { m_popupLeft = menu; }

    QSystemTrayIcon* trayIcon() const { return m_tray; }

public slots:
    // A mouse action on the icon: a left click pops up PopupLeft at the cursor, or emits
    // Leftclick when there is none; a right click the same with PopupRight and Rightclick; a
    // double click emits Doublelick. Other actions are ignored.
    void handleActivation(QSystemTrayIcon::ActivationReason reason);

signals:
    void Leftclick();
    void Rightclick();
    void Doublelick();
    // A menu was popped up at the position given (lets tests see it without a tray).
    void menuPopped(QMenu* menu, const QPoint& position);

private:
    void updateTray();
    void popup(QMenu* menu);

    QSystemTrayIcon* m_tray;
    QPointer<QWidget> m_owner;
    QPointer<QMenu> m_popupRight;
    QPointer<QMenu> m_popupLeft;
    QIcon m_icon;
    QString m_tip;
    bool m_visible = true;
    bool m_serviceprocess = false;
    bool m_iconvisibility = false;
    bool m_flash = false;
    bool m_restoreMaximized = false;
    int m_flashTime = 300;
    TPrioritaet m_priority = Normal;
};
