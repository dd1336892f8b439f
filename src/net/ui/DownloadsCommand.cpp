#include "net/ui/DownloadsCommand.h"

#include "lists/ListEntry.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "net/DownloadQueue.h"
#include "net/SearchResults.h"
#include "net/ui/DownloadsWindow.h"
#include "platform/Errors.h"
#include "ui/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

DownloadsCommand::DownloadsCommand(SharingClient& sharing, Dialogs& dialogs, QWidget* mainWindow)
    : QObject(mainWindow)
    , m_dialogs(dialogs)
    , m_queue(new DownloadQueue(sharing, this))
    , m_window(new DownloadsWindow(*m_queue, mainWindow))
    , m_lastFolder(QStandardPaths::writableLocation(QStandardPaths::MusicLocation))
{
    m_window->hide();
    // A file announced without a target is given one when its sender connects.
    m_queue->setTargetChooser([this](const QString& name) { return chooseTarget(name); });
}

DownloadsCommand::~DownloadsCommand() = default;

void DownloadsCommand::adopt(ListWindow* list)
{
    connect(list, &ListWindow::downloadRequested, this, &DownloadsCommand::download,
            Qt::UniqueConnection);
}

void DownloadsCommand::showWindow()
{
    m_window->showOnTop();
}

QString DownloadsCommand::chooseTarget(const QString& name)
{
    const QString folder = QDir(m_lastFolder).exists() ? m_lastFolder : QDir::homePath();
    const auto chosen =
        m_dialogs.saveFile(QStringLiteral("Save the download as"), QDir(folder).filePath(name),
                           QStringLiteral("Mp3 Files (*.mp3)"));
    if (!chosen || chosen->isEmpty())
        return QString();
    QString target = *chosen;
    if (QFileInfo(target).suffix().isEmpty())
        target += QStringLiteral(".mp3");
    m_lastFolder = QFileInfo(target).absolutePath();
    return target;
}

void DownloadsCommand::download(ListWindow* list)
{
    if (!list)
        return;
    const std::vector<int> rows = list->selectedRows();
    if (rows.empty())
        return;
    const ListEntry& row = list->model()->entry(rows.front());
    const QString target = chooseTarget(DownloadQueue::namePart(row.value(ListEntry::Filename)));
    if (target.isEmpty()) {
        // Nothing added; the downloads already waiting go on.
        m_queue->requestIfWaiting();
        return;
    }
    try {
        m_queue->add({SearchResults::remoteFileName(row), SearchResults::serverOf(row), target});
    } catch (...) {
        m_dialogs.message(Dialogs::Kind::Error, currentErrorText());
    }
}
