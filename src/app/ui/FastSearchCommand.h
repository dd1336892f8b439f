#pragma once

class Dialogs;
class ListWindow;
class QMdiArea;
struct ListContext;

// The FastSearch command of the tool bar, the Database menu and the tray menu.
namespace FastSearchCommand {

// Asks for keywords and opens a list window of the songs whose artist or title contains them
// (FastSearch::plan), sorted by artist and title like any new window. Cancelling the prompt or
// a text shorter than two characters opens nothing and returns null. The window comes from the
// user-list opener, so it raises the window and user-list counters. When the query fails the
// window is closed again and the error (EDatabaseError) goes to the caller.
ListWindow* run(ListContext& context, QMdiArea* area, Dialogs& dialogs);

} // namespace FastSearchCommand
