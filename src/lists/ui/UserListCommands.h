#pragma once

#include <QString>
#include <QStringList>

class Dialogs;
class ListWindow;
class QMdiArea;
struct ListContext;

// The user-list commands of the main window: saving a list window's songs to a user list file,
// opening such a file as a user list, and the list of the songs just added. A new, empty user
// list is ListOpeners::openUserList.
namespace UserListCommands {

// "Save User List": asks for a file name (".tb3" added to a name typed without an extension,
// and a confirmation before an existing file is replaced) and writes the stored file names of
// every song of `window`'s base query. False when the user cancelled. `folder` is where the
// dialog opens, and becomes the folder of the file chosen. Throws EInOutError when the file
// cannot be written (the old file, if any, is then as it was) and EDatabaseError when the
// query fails.
bool save(ListContext& context, ListWindow& window, Dialogs& dialogs, QString& folder);

// "Open User List": asks for a file and opens it (openFile). Null when the user cancelled.
ListWindow* open(ListContext& context, QMdiArea* area, Dialogs& dialogs, QString& folder);

// A user list of the songs the lines of the file at `path` find. The file is read before any
// window opens: one that cannot be read, or is no user list, throws EInOutError and opens
// nothing. A file whose lines find no song opens an empty user list.
ListWindow* openFile(ListContext& context, QMdiArea* area, const QString& path);

// The list of the songs just added (`storedNames`, their file names as stored): captioned
// "User List", it keeps its file-name query, so it takes no dropped songs.
ListWindow* fromAdded(ListContext& context, QMdiArea* area, const QStringList& storedNames);

} // namespace UserListCommands
