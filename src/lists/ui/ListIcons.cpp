#include "lists/ui/ListIcons.h"

#include "ui/Icons.h"

namespace ListIcons {

QIcon listIcon(Kind kind)
{
    switch (kind) {
    case Kind::WholeDatabase:
        return Icons::get(Icons::Id::ListWholeDatabase);
    case Kind::Parameters:
        return Icons::get(Icons::Id::ListByParameters);
    case Kind::UserList:
        return Icons::get(Icons::Id::ListUser);
    }
    return QIcon();
}

QIcon rowImage(bool available)
{
    return Icons::get(available ? Icons::Id::RowAvailable : Icons::Id::RowNotAvailable);
}

QIcon remoteRowImage()
{
    return Icons::get(Icons::Id::MediumNetwork);
}

QIcon headerImage(bool descending)
{
    return Icons::get(descending ? Icons::Id::SortDown : Icons::Id::SortUp);
}

} // namespace ListIcons
