#pragma once

#include <QScreen>
#include <QWidget>

// Puts a window in the middle of the screen it is on, where a dialog of its own is looked for.
inline void centerOnScreen(QWidget& window)
{
    if (const QScreen* where = window.screen())
        window.move(where->availableGeometry().center() - window.rect().center());
}
