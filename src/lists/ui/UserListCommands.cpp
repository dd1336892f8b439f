#include "lists/ui/UserListCommands.h"

#include "db/RQuery.h"
#include "db/Statements.h"
#include "lists/ListOrder.h"
#include "lists/ListShared.h"
#include "lists/UserLists.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListOpeners.h"
#include "lists/ui/ListWindow.h"
#include "ui/Dialogs.h"
#include "ui/Gauge.h"

#include <QFileInfo>
#include <QMdiSubWindow>

namespace {

const QString saveTitle = QStringLiteral("Save user list");
const QString openTitle = QStringLiteral("Open user list");

// Builds `window` from the songs `lines` find, ordered by sort key 0. Returns the base query
// the rows came from, empty when no song was found (the window then shows no rows).
QString buildFromLines(ListContext& context, ListWindow& window, const QStringList& lines,
                       const QString& gaugeText)
{
    QStringList ids;
    {
        GaugeRun gauge(context.gauge, gaugeText);
        ids = UserListMatch::matchingIds(*context.db, lines, [&gauge](int handled, int total) {
            gauge.progress(handled, total);
        });
    }
    if (ids.isEmpty()) {
        window.showNoSongs();
        return QString();
    }
    // One look-up of the songs found gives the rows one "like" term per line would: the
    // terms need not be compared with every song of the table.
    const QString base = Statements::selectByIds(ids);
    RQuery& query = *context.query;
    query.close();
    query.setFilter(QString());
    query.setSql(Statements::withOrder(base, ListOrder::daOrder(0)));
    query.open();
    window.setQut(base);
    window.makeList();
    return base;
}

} // namespace

namespace UserListCommands {

bool save(ListContext& context, ListWindow& window, Dialogs& dialogs, QString& folder)
{
    const QString filter = QLatin1String(UserListFile::FilterText);
    std::optional<QString> chosen = dialogs.saveFile(saveTitle, folder, filter);
    if (!chosen)
        return false;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) {
        // The dialog asked about the name as typed; the name with the extension is asked here.
        path += QLatin1Char('.') + QLatin1String(UserListFile::Extension);
        if (QFileInfo::exists(path) &&
            dialogs.message(Dialogs::Kind::Confirmation,
                            QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                .arg(QFileInfo(path).fileName()),
                            saveTitle) != Dialogs::Answer::Yes)
            return false;
    }
    folder = QFileInfo(path).absolutePath();

    QStringList names;
    {
        GaugeRun gauge(context.gauge, QString());
        names =
            UserLists::fileNamesOf(*context.query, window.qut(), [&gauge](int handled, int total) {
                // The gauge counts records from 0 to the last.
                const int last = qMax(total - 1, 0);
                gauge.progress(qMin(handled, last), last);
            });
    }
    UserListFile::save(path, names);
    return true;
}

ListWindow* open(ListContext& context, QMdiArea* area, Dialogs& dialogs, QString& folder)
{
    const std::optional<QString> chosen =
        dialogs.openFile(openTitle, folder, QLatin1String(UserListFile::FilterText));
    if (!chosen)
        return nullptr;
    folder = QFileInfo(*chosen).absolutePath();
    return openFile(context, area, *chosen);
}

ListWindow* openFile(ListContext& context, QMdiArea* area, const QString& path)
{
    const QStringList lines = UserListFile::load(path);
    ListWindow* window = ListOpeners::createListWindow(context, area, ListIcons::Kind::UserList);
    ListOpeners::fillOrClose(context, window, [&] {
        context.shared->nowSelected = lines;
        ++context.shared->userListCounter;
        window->setCaption(ListWindow::loadingCaption());
        window->setUsrHdrs(QStringList());
        // The build ends the loading: the songs found become the list's members.
        buildFromLines(context, *window, lines, QStringLiteral("Loading list information..."));
    });
    return window;
}

ListWindow* fromAdded(ListContext& context, QMdiArea* area, const QStringList& storedNames)
{
    ListWindow* window = ListOpeners::createListWindow(context, area, ListIcons::Kind::UserList);
    ListOpeners::fillOrClose(context, window, [&] {
        context.shared->nowSelected = storedNames;
        ++context.shared->userListCounter;
        window->setCaption(QStringLiteral("Creating list, please wait..."));
        window->setCaption(QStringLiteral("User List"));
        window->setUsrHdrs(QStringList());
        buildFromLines(context, *window, storedNames,
                       QStringLiteral("Creating list information..."));
        // The list keeps the query of its file names: a re-query finds what they find then.
        window->setQut(UserLists::fileNameQuery(storedNames));
    });
    return window;
}

} // namespace UserListCommands
