#pragma once

#include <QWidget>

class DownloadQueue;
class QLabel;
class QMovie;
class QProgressBar;
class QTreeWidget;

// The downloads window `TForm17`: the download being received (its server, its file, its
// state and speed, the gauge and the download animation) over the queue. It only shows the
// queue: the queue itself lives in `DownloadQueue`. Always on top; closing only hides it.
class DownloadsWindow : public QWidget
{
    Q_OBJECT

public:
    explicit DownloadsWindow(DownloadQueue& queue, QWidget* parent = nullptr);
    ~DownloadsWindow() override;

    // The animation `Animate1` plays: the carried clip's file, written out at start-up.
    void loadAnimation(const QString& fileName);
    bool animationRunning() const;

    QTreeWidget* queueView() const { return m_list; }

    // Shows the window above the others; the first time, placed where it hides little.
    void showOnTop();

private:
    void showEntries();
    void showCurrent();
    void setReceiving(bool on);

    DownloadQueue& m_queue;
    QLabel* m_fromIp;
    QLabel* m_toFile;
    QLabel* m_status;
    QLabel* m_speed;
    QProgressBar* m_gauge;
    QLabel* m_animate;
    QMovie* m_movie = nullptr;
    QTreeWidget* m_list;
    bool m_placed = false;
};
