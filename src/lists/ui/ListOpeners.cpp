#include "lists/ui/ListOpeners.h"

#include "db/RQuery.h"
#include "db/Statements.h"
#include "lists/ListShared.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListWindow.h"
#include "ui/Gauge.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace ListOpeners {

ListWindow* createListWindow(ListContext& context, QMdiArea* area, ListIcons::Kind kind)
{
    auto* window = new ListWindow(context);
    QMdiSubWindow* frame = area->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(frame, &QMdiSubWindow::windowStateChanged, window,
                     [window](Qt::WindowStates before, Qt::WindowStates now) {
                         if (now.testFlag(Qt::WindowActive) && !before.testFlag(Qt::WindowActive))
                             window->windowActivated();
                     });

    // The frame shows the list's icon, also one a command gives it later (fast search).
    QObject::connect(window, &QWidget::windowIconChanged, frame, &QWidget::setWindowIcon);

    window->setQut(QString());
    window->setWindowIcon(ListIcons::listIcon(kind));
    window->resetSort();
    frame->showMaximized();
    window->makeColumns();
    window->applyColors();
    return window;
}

ListWindow* openUserList(ListContext& context, QMdiArea* area)
{
    ListWindow* window = createListWindow(context, area, ListIcons::Kind::UserList);
    window->setUsrHdrs(QStringList());
    window->showNoSongs(); // the status line counts nothing rather than showing nothing
    ++context.shared->userListCounter;
    window->setCaption(QStringLiteral("User List (%1)").arg(context.shared->userListCounter));
    return window;
}

void fillOrClose(ListContext& context, ListWindow* window, const std::function<void()>& fill)
{
    try {
        fill();
    } catch (...) {
        if (context.gauge)
            context.gauge->finish();
        delete window->parentWidget();
        throw;
    }
}

ListWindow* openWholeDatabase(ListContext& context, QMdiArea* area)
{
    ListWindow* window = createListWindow(context, area, ListIcons::Kind::WholeDatabase);
    fillOrClose(context, window, [&] {
        if (context.gauge)
            context.gauge->setGaugeText(QStringLiteral("Requesting full database..."));
        RQuery& query = *context.query;
        query.close();
        query.setFilter(QString());
        query.setSql(Statements::selectAllByArtistTitle());
        query.open();

        window->setQut(Statements::selectAll());
        ++context.shared->wholeDatabaseCounter;
        window->setCaption(
            QStringLiteral("Whole database (%1)").arg(context.shared->wholeDatabaseCounter));
        window->makeList();
    });
    return window;
}

} // namespace ListOpeners
