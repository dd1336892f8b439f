#include "app/ui/FastSearchCommand.h"

#include "lists/FastSearch.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListIcons.h"
#include "lists/ui/ListOpeners.h"
#include "lists/ui/ListWindow.h"
#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"

#include <QMdiArea>

namespace FastSearchCommand {

ListWindow* run(ListContext& context, QMdiArea* area, Dialogs& dialogs)
{
    const QString setting = context.settings->text(QLatin1String(SettingsStore::FastSearchParam));
    const QString text =
        dialogs.prompt(FastSearch::promptTitle(setting), FastSearch::promptLabel(), QString())
            .value_or(QString());
    const std::optional<FastSearch::Plan> plan =
        FastSearch::plan(text, FastSearch::joinOf(setting));
    if (!plan)
        return nullptr;

    ListWindow* window = ListOpeners::openUserList(context, area);
    window->setCaption(plan->caption);
    window->setWindowIcon(ListIcons::listIcon(ListIcons::Kind::Parameters));
    window->setQut(plan->qut);
    ListOpeners::fillOrClose(context, window, [window] { window->refreshList(); });
    return window;
}

} // namespace FastSearchCommand
