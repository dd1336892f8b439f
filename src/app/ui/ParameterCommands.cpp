#include "app/ui/ParameterCommands.h"

#include "db/RQuery.h"
#include "lists/ListShared.h"
#include "lists/ReqsCache.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListIcons.h"
#include "lists/ui/ListOpeners.h"
#include "lists/ui/ListWindow.h"
#include "lists/ui/ParameterDialog.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <optional>
#include <utility>

namespace {} // namespace

ParameterCommands::ParameterCommands(const Parts& parts)
    : QObject(parts.owner)
    , m_parts(parts)
{
    setObjectName(QStringLiteral("ParameterCommands"));
    m_dialog =
        new ParameterDialog(*m_parts.context->db, *m_parts.dialogs, m_parts.gauge, m_parts.owner);
    connect(m_dialog, &ParameterDialog::loadRequested, this,
            [this](const ParameterQuery::Request& request) {
                m_pending = request;
                m_makeTimer->start();
            });

    m_makeTimer = new QTimer(m_parts.owner);
    m_makeTimer->setObjectName(QStringLiteral("MakeTimer"));
    m_makeTimer->setInterval(50);
    m_makeTimer->setSingleShot(true);
    connect(m_makeTimer, &QTimer::timeout, this, [this] { guarded([this] { makeTimerTick(); }); });

    if (m_parts.command)
        connect(m_parts.command, &QAction::triggered, this,
                [this] { guarded([this] { showDialog(); }); });
}

void ParameterCommands::guarded(const std::function<void()>& work)
{
    ErrorBoundary::run(work, *m_parts.dialogs);
}

QString ParameterCommands::cachePath() const
{
    return Home::file(m_parts.home, QLatin1String(ReqsCache::FileName));
}

void ParameterCommands::showDialog()
{
    m_dialog->exec();
}

void ParameterCommands::makeTimerTick()
{
    m_makeTimer->stop();
    const ParameterQuery::Request request = std::exchange(m_pending, {});
    if (request.isEmpty())
        return;
    ListContext& context = *m_parts.context;
    ListWindow* window =
        ListOpeners::createListWindow(context, m_parts.area, ListIcons::Kind::Parameters);
    ListOpeners::fillOrClose(context, window, [&] {
        RQuery& query = *context.query;
        query.close();
        query.setFilter(QString());
        query.setSql(request.selectStatement());
        window->setQut(request.baseQuery());
        query.open();
    });
    ++context.shared->parameterListCounter;
    const QString caption = request.captionText();
    // The list opens even when the cache cannot be written; the failure is told afterwards.
    QString cacheError;
    ErrorBoundary::run([&] { remember(request); },
                       [&cacheError](const QString& text) { cacheError = text; });
    window->setCaption(
        ParameterQuery::windowCaption(context.shared->parameterListCounter, caption));
    ListOpeners::fillOrClose(context, window, [window] { window->makeList(); });
    if (!cacheError.isEmpty())
        m_parts.dialogs->message(Dialogs::Kind::Error, cacheError);
}

void ParameterCommands::remember(const ParameterQuery::Request& request)
{
    const QString line = request.cacheLine();
    if (ReqsCache::add(cachePath(), line))
        addMenuItem(ReqsCache::parse(line)->caption);
}

QAction* ParameterCommands::addMenuItem(const QString& caption)
{
    ++*m_parts.itemCounter;
    // The caption is shown as it is: an "&" of a value is no accelerator.
    QString text = caption;
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    QAction* item = m_parts.menu->addAction(text);
    item->setObjectName(QStringLiteral("NItem%1").arg(*m_parts.itemCounter));
    item->setData(caption);
    connect(item, &QAction::triggered, this,
            [this, caption] { guarded([this, caption] { interpretItem(caption); }); });
    return item;
}

void ParameterCommands::interpretItem(const QString& caption)
{
    ListContext& context = *m_parts.context;
    QStringList refused;
    for (const QString& line : ReqsCache::lines(cachePath())) {
        const std::optional<ReqsCache::Entry> entry = ReqsCache::parse(line);
        if (!entry || entry->caption != caption)
            continue;
        // Only what reads is run from the file.
        if (!ReqsCache::isReadQuery(entry->query)) {
            refused.append(line);
            continue;
        }
        ListWindow* window = ListOpeners::openUserList(context, m_parts.area);
        window->setQut(entry->query);
        window->setSortKey(0);
        window->setSortDirection(0);
        window->setCaption(entry->caption);
        window->setWindowIcon(ListIcons::listIcon(ListIcons::Kind::Parameters));
        ++context.shared->parameterListCounter;
        window->setCaption(
            ParameterQuery::windowCaption(context.shared->parameterListCounter, entry->caption));
        ListOpeners::fillOrClose(context, window, [window] { window->refreshList(); });
    }
    if (!refused.isEmpty())
        throw EInOutError(QStringLiteral("The parameter-request cache holds a line that is not a "
                                         "read query: %1")
                              .arg(refused.join(QLatin1Char('\n'))));
}
