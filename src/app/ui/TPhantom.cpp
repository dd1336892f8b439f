#include "app/ui/TPhantom.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QWidget>

#include <sys/resource.h>

namespace {

int niceValueOf(TPhantom::TPrioritaet priority)
{
    switch (priority) {
    case TPhantom::Idle:
        return 19;
    case TPhantom::Normal:
        return 0;
    case TPhantom::Hoch:
        return -10;
    case TPhantom::Realtime:
        return -20;
    }
    return 0;
}

} // namespace

TPhantom::TPhantom(QObject* parent)
    : QObject(parent)
    , m_tray(new QSystemTrayIcon(this))
{
    // The menus are popped up here rather than through QSystemTrayIcon::setContextMenu, so
    // that a right click shows PopupRight exactly once, whichever tray the desktop has.
    connect(m_tray, &QSystemTrayIcon::activated, this, &TPhantom::handleActivation);
}

TPhantom::~TPhantom()
{
    m_tray->hide();
}

void TPhantom::setOwner(QWidget* owner)
{
    m_owner = owner;
    if (owner)
        m_restoreMaximized = owner->windowState().testFlag(Qt::WindowMaximized);
}

void TPhantom::setVisible(bool visible)
{
    m_visible = visible;
    if (!m_owner)
        return;
    if (!visible) {
        m_restoreMaximized = m_owner->windowState().testFlag(Qt::WindowMaximized);
        if (m_owner->isVisible())
            m_owner->showMinimized();
        m_owner->hide();
        return;
    }
    if (!m_owner->isVisible() || m_owner->isMinimized()) {
        if (m_restoreMaximized)
            m_owner->showMaximized();
        else
            m_owner->showNormal();
    }
    m_owner->raise();
    m_owner->activateWindow();
}

void TPhantom::setIconfile(const QIcon& icon)
{
    m_icon = icon;
    m_tray->setIcon(icon);
    updateTray();
}

void TPhantom::setIconvisibility(bool on)
{
    m_iconvisibility = on;
    updateTray();
}

bool TPhantom::iconShown() const
{
    return m_tray->isVisible();
}

void TPhantom::setTip(const QString& tip)
{
    m_tip = tip.left(maxTipLength);
    m_tray->setToolTip(m_tip);
}

void TPhantom::setFlash(bool on)
{
    if (!on)
        return;
    QWidget* target = m_owner ? m_owner.data() : QApplication::activeWindow();
    if (target)
        QApplication::alert(target, m_flashTime);
    // One flash per request: the value is a trigger, not a state.
    m_flash = false;
}

void TPhantom::setPriority(TPrioritaet priority)
{
    m_priority = priority;
    // As with the desktop's own priority calls, a refusal is not reported.
    (void)setpriority(PRIO_PROCESS, 0, niceValueOf(priority));
}

void TPhantom::handleActivation(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        if (m_popupLeft)
            popup(m_popupLeft);
        else
            emit Leftclick();
        break;
    case QSystemTrayIcon::Context:
        if (m_popupRight)
            popup(m_popupRight);
        else
            emit Rightclick();
        break;
    case QSystemTrayIcon::DoubleClick:
        emit Doublelick();
        break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}

void TPhantom::updateTray()
{
    m_tray->setVisible(m_iconvisibility && !m_icon.isNull());
}

void TPhantom::popup(QMenu* menu)
{
    const QPoint position = QCursor::pos();
    // Non-blocking: the tray's click handler returns at once and the menu runs on its own.
    menu->popup(position);
    emit menuPopped(menu, position);
}
