#pragma once

#include <QString>
#include <QStringList>

// State that all list windows share, owned by the main window.
struct ListShared
{
    int windowCounter = 0;        // "Child" + n
    int wholeDatabaseCounter = 0; // "Whole database (" + n + ")"
    int userListCounter = 0;      // "User List (" + n + ")"
    int parameterListCounter = 0; // "List by parameter(" + n + "): "
    // Caption of the header clicked last in any list window.
    QString lastClickedColumn;
    // IDs of the selected rows of the window that published last, then that window's name.
    QStringList nowSelected;
};
