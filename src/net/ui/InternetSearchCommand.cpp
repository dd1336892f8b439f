#include "net/ui/InternetSearchCommand.h"

#include "lists/ui/ListContext.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListOpeners.h"
#include "lists/ui/ListWindow.h"
#include "net/SearchResults.h"
#include "net/SharingClient.h"
#include "net/Verbs.h"
#include "net/ui/SearchWindow.h"
#include "ui/ErrorBoundary.h"
#include "ui/Gauge.h"

namespace {

// The gauge counts rows round and round in steps of this many.
constexpr int gaugeRound = 25;

} // namespace

InternetSearchCommand::InternetSearchCommand(const Context& context, QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_window(new SearchWindow(*context.sharing, *context.dialogs, *context.settings, context.home,
                                context.mainWindow))
{
    // After the search window's own handler: the window has closed when the results open.
    connect(m_ctx.sharing, &SharingClient::searchAnswered, this, [this](const QString& answer) {
        ErrorBoundary::run([this, &answer] { searchRes(answer); }, *m_ctx.dialogs);
    });
}

void InternetSearchCommand::open()
{
    m_window->exec();
}

ListWindow* InternetSearchCommand::searchRes(const QString& answer)
{
    ListWindow* list = ListOpeners::openUserList(*m_ctx.lists, m_ctx.area);
    list->setHeaderSorting(false);
    list->setMultipleSelection(false);
    list->setRowDragging(false);
    list->setDownloadMenu(true);
    list->setFilterPanelVisible(false);
    list->setHideBoxEnabled(false);
    if (answer.size() <= Verb::SearchResults.size())
        return list;

    const bool central = m_window->centralChosen();
    list->setCaption(SearchResults::caption(central, m_window->serverText(), m_window->artist(),
                                            m_window->title()));
    std::vector<ListEntry> rows;
    {
        Gauge* gauge = m_ctx.lists->gauge;
        GaugeRun run(gauge, QString());
        if (gauge)
            gauge->start(QString(), gaugeRound);
        rows =
            SearchResults::shownRows(answer, central, m_window->serverText(), [gauge](int count) {
                if (gauge)
                    gauge->setValue(count % gaugeRound);
            });
    }
    const int count = int(rows.size());
    list->model()->setEntries(std::move(rows));
    list->makeColumns();
    list->setPanelTexts(SearchResults::panels(count));
    return list;
}
