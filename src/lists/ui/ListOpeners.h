#pragma once

#include "lists/ui/ListIcons.h"

#include <functional>

class ListWindow;
class QMdiArea;
struct ListContext;

// Opening list windows.
namespace ListOpeners {

// The set-up every opener performs: a new window (named "Child" + the raised window counter)
// in a sub-window of `area`, with an empty QUT, the icon of its kind, the sort reset, maximised,
// with the columns, colours and font of the settings. The caller adds query, caption and rows.
ListWindow* createListWindow(ListContext& context, QMdiArea* area, ListIcons::Kind kind);

// Runs `fill` on a window just created; when it throws, the window is closed again, the gauge
// hidden, and the error goes on to the caller.
void fillOrClose(ListContext& context, ListWindow* window, const std::function<void()>& fill);

// "Whole database (n)": every song by artist and title. When the query fails, the new window
// is closed again and the error (EDatabaseError) goes to the caller.
ListWindow* openWholeDatabase(ListContext& context, QMdiArea* area);

// The user-list opener: a new, empty window with the user-list icon and no base query, its
// UsrHdrs cleared, the shared user-list counter raised and the caption "User List (n)". Other
// commands that need a fresh window (fast search, a cached parameter request, the top 10,
// search results) take it from here and give it their own query and caption; the counter is
// raised for them as well.
ListWindow* openUserList(ListContext& context, QMdiArea* area);

} // namespace ListOpeners
