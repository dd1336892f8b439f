#include "lists/ui/ListIcons.h"

#include <QApplication>
#include <QStyle>

namespace ListIcons {

namespace {

QIcon standard(QStyle::StandardPixmap which)
{
    return QApplication::style()->standardIcon(which);
}

} // namespace

QIcon listIcon(Kind kind)
{
    switch (kind) {
    case Kind::WholeDatabase:
        return standard(QStyle::SP_FileDialogDetailedView);
    case Kind::Parameters:
        return standard(QStyle::SP_FileDialogContentsView);
    case Kind::UserList:
        return standard(QStyle::SP_FileDialogListView);
    }
    return QIcon();
}

QIcon rowImage(bool available)
{
    return standard(available ? QStyle::SP_DialogApplyButton : QStyle::SP_DialogCancelButton);
}

QIcon headerImage(bool descending)
{
    return standard(descending ? QStyle::SP_ArrowDown : QStyle::SP_ArrowUp);
}

} // namespace ListIcons
