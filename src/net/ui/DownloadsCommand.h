#pragma once

#include <QObject>
#include <QString>

class Dialogs;
class DownloadQueue;
class DownloadsWindow;
class ListWindow;
class SharingClient;
class QWidget;

// "Download" on a row of Internet search results: the save dialog proposes the file's name,
// and the file joins the download queue; the downloads window shows the queue.
class DownloadsCommand : public QObject
{
    Q_OBJECT

public:
    DownloadsCommand(SharingClient& sharing, Dialogs& dialogs, QWidget* mainWindow);
    ~DownloadsCommand() override;

    DownloadQueue& queue() const { return *m_queue; }
    DownloadsWindow* window() const { return m_window; }

    // Connects the list window's "Download" to this command.
    void adopt(ListWindow* list);
    // The whole command for the row last chosen in `list`. Reports what goes wrong itself.
    void download(ListWindow* list);
    // Shows the downloads window.
    void showWindow();

    // The target the save dialog asks for, proposing `name`; empty when cancelled. A name
    // without an extension gets ".mp3".
    QString chooseTarget(const QString& name);

private:
    Dialogs& m_dialogs;
    DownloadQueue* m_queue;
    DownloadsWindow* m_window;
    QString m_lastFolder;
};
