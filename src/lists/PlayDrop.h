#pragma once

#include <QString>
#include <QStringList>

// The player bar's two drop targets play or enqueue the selection the active list window
// published. They take rows only while that selection is the active window's own: at least one
// list window is open and the active one's name is the last line of NowSelected. Rows of any
// other window would play a selection the user is not looking at.
namespace PlayDrop {

bool accepts(int openListWindows, const QString& activeWindow, const QStringList& nowSelected);

} // namespace PlayDrop
