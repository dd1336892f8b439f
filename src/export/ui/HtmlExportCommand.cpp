#include "export/ui/HtmlExportCommand.h"

#include "export/HtmlExport.h"
#include "export/ui/HtmlOptionsWindow.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "platform/DesktopOpener.h"
#include "platform/Errors.h"
#include "ui/BackgroundRunner.h"
#include "ui/Dialogs.h"
#include "ui/Gauge.h"

#include <QDir>
#include <QTimer>

HtmlExportCommand::HtmlExportCommand(Dialogs& dialogs, QWidget* mainWindow, Gauge* gauge,
                                     ActiveList activeList, const DesktopOpener* opener)
    : QObject(mainWindow)
    , m_dialogs(dialogs)
    , m_mainWindow(mainWindow)
    , m_gauge(gauge)
    , m_activeList(std::move(activeList))
    , m_opener(opener)
    , m_window(new HtmlOptionsWindow(dialogs, mainWindow))
    , m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("MakeHTMLTimer"));
    m_timer->setInterval(250);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        try {
            makeHtml();
        } catch (...) {
            m_dialogs.message(Dialogs::Kind::Error, currentErrorText());
        }
    });
    connect(m_window, &HtmlOptionsWindow::generateRequested, this, [this](const QString& path) {
        m_path = path;
        m_timer->start();
    });
}

void HtmlExportCommand::open(ListWindow* list)
{
    if (!list)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void HtmlExportCommand::makeHtml()
{
    m_timer->stop();
    ListWindow* list = m_activeList ? m_activeList() : nullptr;
    if (!list || m_path.isEmpty())
        return;

    // What the list shows now, taken on this thread: the worker must not read the model while
    // a refresh of the window may replace it.
    const std::vector<ListEntry> rows = list->model()->entries();
    QStringList panels;
    for (int i = 0; i < 4; ++i)
        panels << list->panelText(i);
    const HtmlExport::Options options = m_window->options();
    const QString path = m_path;
    const QString text = HtmlExport::gaugeText();

    // run() returns only after the job, so the job may use this frame's values.
    const auto job = [&](const BackgroundRunner::Progress& progress) {
        HtmlExport::saveHtml(rows, panels, options, path, [&](int position, int maximum) {
            // Every row would flood the GUI thread with events; a few hundred in all keep the
            // gauge moving.
            if (position % 512 == 0 || position == maximum)
                progress(position, maximum, text);
        });
    };
    const std::optional<QString> error = BackgroundRunner::run(
        m_mainWindow, job,
        [this](int position, int maximum, const QString& gaugeText) {
            showProgress(position, maximum, gaugeText);
        },
        QStringLiteral("The HTML page could not be written because of an unknown error."));
    if (m_gauge)
        m_gauge->finish();
    if (error)
        m_dialogs.message(Dialogs::Kind::Error, *error);
    else
        reportWritten(path);
}

void HtmlExportCommand::reportWritten(const QString& path)
{
    // Without a word the user would not know where the page went, nor that it is done.
    const QString text =
        QStringLiteral("The HTML page was saved as \"%1\".").arg(QDir::toNativeSeparators(path));
    if (!m_opener || !m_opener->canOpen(path)) {
        m_dialogs.message(Dialogs::Kind::Information,
                          text + QStringLiteral(" No program was found to open it."));
        return;
    }
    // "Close" first, the default: an Enter meant for the save dialog must not start a browser.
    // "Open" stands on the right, where desktops put the button that does something.
    const std::optional<int> choice =
        m_dialogs.choose(QString(), text + QStringLiteral("\n\nOpen it now?"),
                         {QStringLiteral("Close"), QStringLiteral("Open")});
    if (choice != 1)
        return;
    if (const std::optional<QString> failure = m_opener->open(path))
        m_dialogs.message(Dialogs::Kind::Error,
                          QStringLiteral("The HTML page \"%1\" could not be opened: %2")
                              .arg(QDir::toNativeSeparators(path), *failure));
}

void HtmlExportCommand::showProgress(int position, int maximum, const QString& text)
{
    if (!m_gauge)
        return;
    if (m_gauge->isHidden() || m_gauge->maximum() != qMax(maximum, 1))
        m_gauge->start(text, maximum);
    m_gauge->setValue(position);
}
