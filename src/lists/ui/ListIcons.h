#pragma once

#include <QIcon>

// The pictures of the list windows: window icons by kind of list, the row images (file
// available or not) and the header arrows of the sort column. Each family comes from one
// function, so the artwork can change in one place.
namespace ListIcons {

enum class Kind {
    WholeDatabase, // the first list icon
    Parameters,    // lists by parameters and fast search
    UserList,
};

QIcon listIcon(Kind kind);
// Row image 0 (available) or 1 (not available).
QIcon rowImage(bool available);
// Row image 6: a file on another computer.
QIcon remoteRowImage();
// Header image 4 (ascending) or 5 (descending).
QIcon headerImage(bool descending);

} // namespace ListIcons
