#include "lists/PlayDrop.h"

namespace PlayDrop {

bool accepts(int openListWindows, const QString& activeWindow, const QStringList& nowSelected)
{
    // No active window has no name, and an empty name must not match an empty last line.
    return openListWindows > 0 && !activeWindow.isEmpty() && !nowSelected.isEmpty() &&
           nowSelected.last() == activeWindow;
}

} // namespace PlayDrop
