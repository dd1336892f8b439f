#include "app/ui/ToolWindows.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <utility>

namespace {

bool isModalWindow(const QWidget* widget)
{
    return widget->isWindow() && widget->windowModality() != Qt::NonModal;
}

} // namespace

ToolWindows::ToolWindows(QWidget* owner)
    : QObject(owner)
    , m_owner(owner)
{
    // Message boxes and file dialogs are made where they are needed, not by the main window:
    // only the application sees them all come and go.
    qApp->installEventFilter(this);
}

ToolWindows::~ToolWindows()
{
    qApp->removeEventFilter(this);
}

ToolWindows::Windows ToolWindows::hideShown() const
{
    Windows hidden;
    for (QWidget* widget : m_owner->findChildren<QWidget*>()) {
        if (!widget->isWindow() || !widget->isVisible() || isModalWindow(widget))
            continue;
        // Menus, tool tips and the like close by themselves.
        const Qt::WindowType type = widget->windowType();
        if (type != Qt::Window && type != Qt::Tool && type != Qt::Dialog)
            continue;
        widget->hide();
        hidden.append(widget);
    }
    return hidden;
}

void ToolWindows::hideWithOwner()
{
    m_hiddenWithOwner += hideShown();
}

void ToolWindows::showWithOwner()
{
    const Windows windows = std::exchange(m_hiddenWithOwner, {});
    for (const QPointer<QWidget>& window : windows) {
        if (window)
            window->show();
    }
}

bool ToolWindows::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide) && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget != m_owner && isModalWindow(widget)) {
            if (type == QEvent::Show)
                modalShown(widget);
            else
                modalHidden(widget);
        }
    }
    return QObject::eventFilter(watched, event);
}

void ToolWindows::modalShown(QWidget* modal)
{
    if (m_openModals.contains(modal))
        return;
    m_openModals.append(modal);
    m_hiddenForModal += hideShown();
}

void ToolWindows::modalHidden(QWidget* modal)
{
    m_openModals.removeAll(modal);
    m_openModals.removeAll(nullptr);
    if (!m_openModals.isEmpty())
        return;
    const Windows windows = std::exchange(m_hiddenForModal, {});
    for (const QPointer<QWidget>& window : windows) {
        if (!window)
            continue;
        // The owner went to the tray meanwhile: the window comes back with the owner.
        if (m_owner->isVisible())
            window->show();
        else
            m_hiddenWithOwner.append(window);
    }
}
