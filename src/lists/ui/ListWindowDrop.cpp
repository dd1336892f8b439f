// Drag and drop between list windows: the part of ListWindow that takes rows dragged from
// another window.
#include "db/Statements.h"
#include "lists/ListShared.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "lists/ui/SongDrag.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>
#include <QTreeView>

bool ListWindow::acceptsSongsFrom(const QString& source) const
{
    return source != objectName() && isUserList();
}

bool ListWindow::dragEvent(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::DragLeave)
        return true;
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drag = static_cast<QDropEvent*>(event);
    const std::optional<SongDrag::Payload> payload = SongDrag::decode(drag->mimeData());
    if (!payload) {
        // Not rows of this program: refused, and the window stays where it is.
        drag->ignore();
        return true;
    }
    const bool accepted = acceptsSongsFrom(payload->source);
    if (type == QEvent::Drop) {
        if (!accepted) {
            drag->ignore();
            return true;
        }
        drag->acceptProposedAction();
        const QStringList ids = payload->ids;
        guarded([this, ids] { dropSongs(ids); });
        return true;
    }
    // Over a window other than the source: its own selection goes first, then it comes to the
    // front, so the user sees where the rows would land; a window that is no user list comes
    // forward as well but refuses them.
    if (payload->source != objectName()) {
        if (accepted && type == QEvent::DragEnter)
            m_view->clearSelection();
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
            frame && frame->mdiArea() && frame->mdiArea()->activeSubWindow() != frame)
            frame->mdiArea()->setActiveSubWindow(frame);
    }
    if (accepted)
        drag->acceptProposedAction();
    else
        drag->ignore();
    return true;
}

void ListWindow::dropSongs(const QStringList& ids)
{
    // The dropped songs first, then the former members; a song already there is kept once.
    QStringList members;
    QSet<QString> seen;
    for (const QStringList* list : {&ids, &std::as_const(m_usrHdrs)})
        for (const QString& id : *list)
            if (!seen.contains(id)) {
                seen.insert(id);
                members << id;
            }
    m_ctx.shared->nowSelected = members;
    m_model->setEntries({});
    m_qut = Statements::selectByIds(members);
    m_usrHdrs = members;
    refreshList();
}
