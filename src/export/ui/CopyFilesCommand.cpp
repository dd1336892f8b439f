#include "export/ui/CopyFilesCommand.h"

#include "export/ui/CopyWindow.h"
#include "lists/ListEntry.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Gauge.h"

#include <QDir>
#include <QFileInfo>

#include <set>

namespace {

// A message box holds only so many lines; the rest are counted.
constexpr int listedFailures = 20;

QString files(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
}

} // namespace

CopyFilesCommand::CopyFilesCommand(Dialogs& dialogs, QWidget* mainWindow, Gauge* gauge)
    : QObject(mainWindow)
    , m_dialogs(dialogs)
    , m_gauge(gauge)
    , m_window(new CopyWindow(dialogs, mainWindow))
    , m_ownsWindow(mainWindow == nullptr)
{}

CopyFilesCommand::~CopyFilesCommand()
{
    if (m_ownsWindow)
        delete m_window;
}

void CopyFilesCommand::run(ListWindow* list)
{
    if (list)
        ErrorBoundary::run([this, list] { copySelection(list); }, m_dialogs);
}

void CopyFilesCommand::copySelection(ListWindow* list)
{
    const std::optional<QString> folder =
        m_dialogs.pickFolder(QStringLiteral("Copy selected files to"),
                             m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder);
    if (!folder || folder->isEmpty())
        return;
    m_lastFolder = *folder;
    collectSources(list);
    if (m_sources.isEmpty())
        return;

    m_lastResult = m_window->copy(m_sources, *folder);
    m_dialogs.message(m_lastResult.failures.empty() ? Dialogs::Kind::Information
                                                    : Dialogs::Kind::Error,
                      summary(m_lastResult, int(m_sources.size()), *folder));
}

void CopyFilesCommand::collectSources(ListWindow* list)
{
    m_sources.clear();
    const std::vector<ListEntry>& rows = list->model()->entries();
    const std::vector<int> selected = list->selectedRows();
    const std::set<int> chosen(selected.begin(), selected.end());
    GaugeRun gauge(m_gauge, QString());
    const int last = int(rows.size()) - 1;
    for (int row = 0; row <= last; ++row) {
        // A file that is not there is left out without a word: the list shows it as
        // unavailable already.
        if (chosen.count(row)) {
            const QString& file = rows[std::size_t(row)].value(ListEntry::Filename);
            if (QFileInfo(file).isFile())
                m_sources << file;
        }
        gauge.progress(row, last);
    }
}

QString CopyFilesCommand::summary(const FileCopy::Result& result, int count, const QString& folder)
{
    const QString where = QDir::toNativeSeparators(folder);
    QString text = QStringLiteral("%1 of %2 copied to %3.")
                       .arg(QString::number(result.copied.size()), files(count), where);
    if (result.cancelled)
        text.prepend(QStringLiteral("Copying was cancelled: "));
    if (!result.skipped.isEmpty())
        text += QStringLiteral("\n%1 already there left as %2.")
                    .arg(files(result.skipped.size()), result.skipped.size() == 1
                                                           ? QStringLiteral("it was")
                                                           : QStringLiteral("they were"));
    if (result.failures.empty())
        return text;

    text += QStringLiteral("\n\nThese files could not be copied:");
    int listed = 0;
    for (const FileCopy::Failure& failure : result.failures) {
        if (listed++ == listedFailures) {
            text +=
                QStringLiteral("\n... and %1 more.").arg(result.failures.size() - listedFailures);
            break;
        }
        text += QLatin1Char('\n');
        if (!failure.source.isEmpty())
            text += QDir::toNativeSeparators(failure.source) + QStringLiteral(": ");
        text += failure.reason;
    }
    return text;
}
