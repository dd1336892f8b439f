#include "intake/ui/MassRetagCommand.h"

#include "db/SongDatabase.h"
#include "intake/ui/MassRetagWindow.h"
#include "lists/ListEntry.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "ui/BackgroundRunner.h"
#include "ui/Dialogs.h"
#include "ui/Gauge.h"

#include <QTimer>

MassRetagCommand::MassRetagCommand(QString home, Dialogs& dialogs, QWidget* mainWindow,
                                   Gauge* gauge, ActiveList activeList)
    : QObject(mainWindow)
    , m_home(std::move(home))
    , m_dialogs(dialogs)
    , m_mainWindow(mainWindow)
    , m_gauge(gauge)
    , m_activeList(std::move(activeList))
    , m_window(new MassRetagWindow(dialogs, mainWindow))
    , m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("Massrename"));
    m_timer->setInterval(500);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &MassRetagCommand::massRename);
}

void MassRetagCommand::open(ListWindow* list)
{
    if (!list)
        return;
    const std::vector<int> rows = list->selectedRows();
    if (rows.size() < 2) {
        m_dialogs.message(Dialogs::Kind::Information,
                          QStringLiteral("You need to have more than one song selected to mass "
                                         "rename! DOH!!!"));
        return;
    }
    m_window->prefill(list->model()->entry(rows.front()));
    if (m_window->exec() == QDialog::Accepted)
        m_timer->start();
}

void MassRetagCommand::massRename()
{
    m_timer->stop();
    ListWindow* list = m_activeList ? m_activeList() : nullptr;
    if (!list)
        return;
    // The IDs of the selection in list order, taken now: the run is for what is selected when
    // it starts.
    QStringList ids;
    for (int row : list->selectedRows())
        ids << list->model()->entry(row).value(ListEntry::ID);
    if (ids.isEmpty())
        return;

    const MassRetag::Values values = m_window->values();
    const QString home = m_home;
    MassRetag::Result result;
    emit runStarting();
    // The worker makes its own connection to the song table: a connection belongs to the
    // thread that opened it. run() returns only after the job, so it may use this frame's
    // values.
    const auto job = [&result, &home, &ids, &values](const BackgroundRunner::Progress& progress) {
        SongDatabase database(home);
        result = MassRetag::run(database, home, ids, values, progress);
    };
    const std::optional<QString> error = BackgroundRunner::run(
        m_mainWindow, job,
        [this](int position, int maximum, const QString& text) {
            showProgress(position, maximum, text);
        },
        QStringLiteral("The mass re-tag stopped because of an unknown error."));
    if (m_gauge)
        m_gauge->finish();
    m_lastResult = result;
    emit runFinished();

    if (error)
        m_dialogs.message(Dialogs::Kind::Error, *error);
    else if (result.stopped())
        m_dialogs.message(Dialogs::Kind::Error, result.error);
    emit refreshListsRequested();
}

void MassRetagCommand::showProgress(int position, int maximum, const QString& text)
{
    if (!m_gauge)
        return;
    if (m_gauge->isHidden() || m_gauge->maximum() != qMax(maximum, 1))
        m_gauge->start(text, maximum);
    m_gauge->setValue(position);
}
