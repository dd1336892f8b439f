#include "net/ui/DownloadsWindow.h"

#include "db/TextCodec.h"
#include "net/DownloadQueue.h"
#include "net/ShareCatalogue.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QLabel* valueLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("n/a"), parent);
    label->setObjectName(QLatin1String(name));
    // A long path is cut at the window's edge, not allowed to widen the fixed window.
    label->setMinimumWidth(1);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

} // namespace

DownloadsWindow::DownloadsWindow(DownloadQueue& queue, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_queue(queue)
{
    setObjectName(QStringLiteral("TForm17"));
    setWindowTitle(QStringLiteral("Downloads window"));
    setFixedSize(340, 193);

    auto* current = new QGroupBox(QStringLiteral(" Current download "), this);
    current->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(current);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    m_fromIp = valueLabel("Label4", current);
    m_toFile = valueLabel("Label5", current);
    m_status = valueLabel("Label7", current);
    m_speed = new QLabel(QStringLiteral("n/a"), current);
    m_speed->setObjectName(QStringLiteral("Label6"));
    m_speed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_animate = new QLabel(current);
    m_animate->setObjectName(QStringLiteral("Animate1"));
    m_animate->setFixedSize(16, 16);
    const std::pair<const char*, QLabel*> rows[] = {
        {"From IP:", m_fromIp}, {"To file:", m_toFile}, {"Status:", m_status}};
    for (int row = 0; row < 3; ++row) {
        grid->addWidget(new QLabel(QLatin1String(rows[row].first), current), row, 0);
        grid->addWidget(rows[row].second, row, 1);
    }
    grid->addWidget(m_speed, 0, 2, Qt::AlignRight);
    grid->addWidget(m_animate, 2, 2, Qt::AlignRight);
    m_gauge = new QProgressBar(current);
    m_gauge->setObjectName(QStringLiteral("Gauge1"));
    m_gauge->setRange(0, 100);
    m_gauge->setValue(0);
    m_gauge->setFormat(QStringLiteral("%p%"));
    m_gauge->setAlignment(Qt::AlignCenter);
    m_gauge->setFixedHeight(16);
    grid->addWidget(m_gauge, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* queued = new QGroupBox(QStringLiteral(" Downloads queue "), this);
    queued->setObjectName(QStringLiteral("GroupBox2"));
    auto* queueLayout = new QVBoxLayout(queued);
    queueLayout->setContentsMargins(4, 2, 4, 4);
    m_list = new QTreeWidget(queued);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {QStringLiteral("Download"), QStringLiteral("From"), QStringLiteral("To file")});
    m_list->setColumnWidth(0, 125);
    m_list->setColumnWidth(1, 75);
    m_list->setColumnWidth(2, 175);
    m_list->setTextElideMode(Qt::ElideMiddle);
    queueLayout->addWidget(m_list);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(current);
    layout->addWidget(queued, 1);

    connect(&queue, &DownloadQueue::entriesChanged, this, &DownloadsWindow::showEntries);
    connect(&queue, &DownloadQueue::currentChanged, this, &DownloadsWindow::showCurrent);
    connect(&queue, &DownloadQueue::receiving, this, &DownloadsWindow::setReceiving);
    connect(&queue, &DownloadQueue::showRequested, this, &DownloadsWindow::showOnTop);
    showEntries();
    showCurrent();
}

DownloadsWindow::~DownloadsWindow() = default;

void DownloadsWindow::showOnTop()
{
    // First shown in the main window's lower right corner: always on top, it must not cover the
    // menus and the tool bar. Where the user moves it afterwards, it stays.
    if (!m_placed && parentWidget()) {
        const QRect main = parentWidget()->frameGeometry();
        move(main.right() - frameGeometry().width() - 24,
             main.bottom() - frameGeometry().height() - 48);
        m_placed = true;
    }
    show();
    raise();
}

void DownloadsWindow::loadAnimation(const QString& fileName)
{
    delete m_movie;
    m_movie = new QMovie(fileName, QByteArray(), this);
    m_animate->setMovie(m_movie);
    // Opened and stopped once, so that its first picture stands still until a file arrives.
    m_movie->jumpToFrame(0);
    setReceiving(m_queue.transferRunning());
}

bool DownloadsWindow::animationRunning() const
{
    return m_movie && m_movie->state() == QMovie::Running;
}

void DownloadsWindow::setReceiving(bool on)
{
    if (!m_movie)
        return;
    if (on) {
        m_movie->start();
    } else {
        m_movie->stop();
        m_movie->jumpToFrame(0);
    }
}

void DownloadsWindow::showEntries()
{
    m_list->clear();
    for (const DownloadEntry& entry : m_queue.entries()) {
        // The server's name for the file, as the user reads it.
        const QString download = TextCodec::filter(ShareCatalogue::storedText(entry.download));
        auto* item = new QTreeWidgetItem(m_list, {download, entry.from, entry.toFile});
        for (int column = 0; column < 3; ++column)
            item->setToolTip(column, item->text(column));
    }
}

void DownloadsWindow::showCurrent()
{
    const CurrentDownload& current = m_queue.current();
    m_fromIp->setText(current.fromIp);
    m_toFile->setText(current.toFile);
    m_toFile->setToolTip(current.toFile);
    m_status->setText(current.status);
    m_status->setToolTip(current.status);
    m_speed->setText(current.speed);
    m_gauge->setValue(current.percent);
}
