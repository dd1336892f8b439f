#include "app/ui/MaintenanceCommands.h"

#include "app/ui/MaintenanceDialogs.h"
#include "db/Maintenance.h"
#include "db/RQuery.h"
#include "db/Statements.h"
#include "lists/ListEntry.h"
#include "lists/ListShared.h"
#include "lists/ui/ItemInfoSink.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListIcons.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListOpeners.h"
#include "lists/ui/ListWindow.h"
#include "platform/Errors.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Gauge.h"

#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

namespace {

constexpr int playedColumn = 12;
constexpr int playedColumnWidth = 40;

} // namespace

MaintenanceCommands::MaintenanceCommands(Services services, QObject* parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_reindexDialog(new ReindexDialog(m_services.mainWindow))
    , m_deleteDialog(new DeleteDialog(m_services.mainWindow))
    , m_delShitTimer(new QTimer(this))
{
    m_delShitTimer->setObjectName(QStringLiteral("DelShitTimer"));
    m_delShitTimer->setInterval(750);
    m_delShitTimer->setSingleShot(true);
    connect(m_delShitTimer, &QTimer::timeout, this, [this] { guarded([this] { delShitTick(); }); });
    connect(m_reindexDialog, &ReindexDialog::reindexRequested, this,
            [this] { guarded([this] { reindex(); }); });
    connect(m_deleteDialog, &QDialog::accepted, m_delShitTimer, qOverload<>(&QTimer::start));
}

void MaintenanceCommands::guarded(const std::function<void()>& work)
{
    if (m_services.gauge) {
        ErrorBoundary::run(work, [this](const QString& text) {
            m_services.gauge->finish();
            m_services.dialogs->message(Dialogs::Kind::Error, text);
        });
        return;
    }
    ErrorBoundary::run(work, *m_services.dialogs);
}

void MaintenanceCommands::adopt(ListWindow* window)
{
    if (window)
        connect(window, &ListWindow::deleteRequested, this, &MaintenanceCommands::requestDelete,
                Qt::UniqueConnection);
}

// ---- Existence check ----

void MaintenanceCommands::checkExistence()
{
    Dialogs& dialogs = *m_services.dialogs;
    if (dialogs.message(Dialogs::Kind::Confirmation, Maintenance::existenceQuestion()) !=
        Dialogs::Answer::Yes)
        return;
    ListContext& context = *m_services.context;
    Maintenance::MissingFiles missing;
    {
        GaugeRun gauge(m_services.gauge, Maintenance::existenceGaugeText());
        missing = Maintenance::findMissingFiles(
            *context.db, context.roots ? context.roots() : QStringList(),
            [&gauge](int handled, int total) { gauge.progress(handled, total); });
    }
    int deleted = 0;
    if (!missing.ids.isEmpty()) {
        // Deleting is not undone: the user sees how many rows go before they go.
        if (dialogs.message(Dialogs::Kind::Confirmation,
                            Maintenance::confirmDeletionText(
                                int(missing.ids.size()), missing.skipped)) != Dialogs::Answer::Yes)
            return;
        deleted = Maintenance::deleteRows(*context.db, missing.ids);
        emit refreshListsRequested();
    }
    dialogs.message(Dialogs::Kind::Information,
                    Maintenance::existenceReport(deleted, missing.skipped));
}

// ---- Top 10 ----

ListWindow* MaintenanceCommands::topTen()
{
    ListContext& context = *m_services.context;
    const QStringList ids = Maintenance::topTenIds(*context.db);
    if (ids.isEmpty()) {
        m_services.dialogs->message(Dialogs::Kind::Error, Maintenance::topTenTooFewText());
        return nullptr;
    }
    ListWindow* window = ListOpeners::openUserList(context, m_services.area);
    ListOpeners::fillOrClose(context, window, [&] {
        window->setCaption(Maintenance::topTenCaption());
        window->setWindowIcon(ListIcons::listIcon(ListIcons::Kind::Parameters));
        window->model()->clearHeaderImages();
        window->model()->setHeaderImage(playedColumn, ListModel::HeaderImage::Descending);
        window->setUsrHdrs(ids);
        const QString qut = Statements::selectByIds(ids);
        window->setQut(qut);
        RQuery& query = *context.query;
        query.close();
        query.setFilter(QString());
        query.setSql(Statements::withOrder(qut, QStringLiteral(" order by Played desc")));
        query.open();
        query.first();
        window->makeList();
        // The play counts are what this list is about: their column shows even when the
        // settings hide it elsewhere.
        window->listView()->setColumnHidden(playedColumn, false);
        window->listView()->setColumnWidth(playedColumn, playedColumnWidth);
    });
    return window;
}

// ---- Re-indexing ----

void MaintenanceCommands::openReindex()
{
    m_reindexDialog->setAdvice(Maintenance::reindexAdvice(*m_services.context->db));
    m_reindexDialog->open();
}

void MaintenanceCommands::reindex()
{
    QString failure;
    QHash<QString, QString> newIds;
    {
        GaugeRun gauge(m_services.gauge, Maintenance::reindexGaugeText());
        try {
            // Every query of the main window's connection is closed for the swap; the next
            // statement opens the new table.
            Maintenance::reindex(
                *m_services.context->db,
                [&gauge](int handled, int total) { gauge.progress(handled, total); }, &newIds);
        } catch (const TamboroError& error) {
            failure = error.message();
        }
    }
    if (failure.isEmpty())
        renumberWindows(newIds);
    if (failure.isEmpty())
        m_services.dialogs->message(Dialogs::Kind::Information, Maintenance::reindexDoneText());
    else
        m_services.dialogs->message(Dialogs::Kind::Error,
                                    Maintenance::reindexFailedText() + QLatin1Char('\n') + failure);
    emit delayedRefreshRequested();
    m_reindexDialog->accept();
}

void MaintenanceCommands::renumberWindows(const QHash<QString, QString>& newIds)
{
    // An ID no row has any more leaves a list; NowSelected keeps its window's name.
    auto renumber = [&newIds](const QStringList& ids, bool keepOthers = false) {
        QStringList result;
        for (const QString& id : ids) {
            if (const auto it = newIds.constFind(id); it != newIds.constEnd())
                result << *it;
            else if (keepOthers)
                result << id;
        }
        return result;
    };
    // Lists made of IDs (user lists, the top 10) must name the same songs under their new IDs.
    for (QMdiSubWindow* sub : m_services.area->subWindowList()) {
        auto* list = qobject_cast<ListWindow*>(sub->widget());
        if (!list)
            continue;
        const QStringList members = list->usrHdrs();
        const bool queryOfMembers =
            !members.isEmpty() && list->qut() == Statements::selectByIds(members);
        list->setUsrHdrs(renumber(members));
        if (queryOfMembers)
            list->setQut(list->usrHdrs().isEmpty() ? QString()
                                                   : Statements::selectByIds(list->usrHdrs()));
    }
    ListContext& context = *m_services.context;
    if (context.shared)
        context.shared->nowSelected = renumber(context.shared->nowSelected, true);
    // The tag editor holds a row by its old ID, now another song's: it is emptied, so that it
    // saves nothing until a list fills it again.
    if (context.tagEditor) {
        context.tagEditor->submitItemInfo(ListEntry());
        context.tagEditor->setSaveEnabled(false);
    }
}

// ---- Deleting ----

void MaintenanceCommands::requestDelete(ListWindow* window)
{
    guarded([&] {
        if (!window)
            return;
        if (window->isUserList()) {
            if (!window->selectedRows().empty())
                removeFromUserList(*window);
            return;
        }
        m_deleteDialog->reset();
        m_deleteDialog->open();
    });
}

void MaintenanceCommands::removeFromUserList(ListWindow& window)
{
    const std::vector<int> selected = window.selectedRows();
    QStringList members = window.usrHdrs();
    for (const int row : selected)
        members.removeAll(window.model()->entry(row).value(ListEntry::ID));
    if (int(selected.size()) == int(window.model()->entries().size()) || members.isEmpty()) {
        window.emptyUserList();
        return;
    }
    // The songs leave the list only: the window's query names the members that are left.
    window.setUsrHdrs(members);
    window.setQut(Statements::selectByIds(members));
    window.refreshList();
}

void MaintenanceCommands::delShitTick()
{
    m_delShitTimer->stop();
    ListWindow* window = m_services.activeList ? m_services.activeList() : nullptr;
    if (!window)
        return;
    QList<Maintenance::DeleteTarget> targets;
    for (const int row : window->selectedRows()) {
        const ListEntry& entry = window->model()->entry(row);
        targets.append({entry.value(ListEntry::ID), entry.value(ListEntry::Filename)});
    }
    Maintenance::DeleteCounts counts;
    {
        GaugeRun gauge(m_services.gauge, QString());
        counts = Maintenance::deleteSongs(
            *m_services.context->db, targets, m_deleteDialog->recordsBox()->isChecked(),
            m_deleteDialog->filesBox()->isChecked(),
            [&gauge](int handled, int total) { gauge.progress(handled, total); });
    }
    emit refreshListsRequested();
    m_services.dialogs->message(Dialogs::Kind::Information, Maintenance::deleteReport(counts));
}
