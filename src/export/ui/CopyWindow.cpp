#include "export/ui/CopyWindow.h"

#include "ui/BackgroundRunner.h"
#include "ui/Dialogs.h"
#include "ui/Placement.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The file-copy animation: a sheet flying from one folder to the other, again and again, while
// files are copied. Painted here rather than played from a clip: the one clip the program
// carries shows a download, in a format Qt does not play.
class CopyAnimation : public QWidget
{
public:
    explicit CopyAnimation(QWidget* parent)
        : QWidget(parent)
        , m_ticker(new QTimer(this))
    {
        setObjectName(QStringLiteral("Animate1"));
        setFixedSize(272, 60);
        m_ticker->setInterval(40);
        connect(m_ticker, &QTimer::timeout, this, [this] {
            m_frame = (m_frame + 1) % frames;
            update();
        });
    }
    void setPlaying(bool playing)
    {
        if (playing)
            m_ticker->start();
        else
            m_ticker->stop();
        m_frame = playing ? m_frame : 0;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor folder(0xE8, 0xB8, 0x4A);
        drawFolder(painter, QRectF(8, 18, 52, 38), folder);
        drawFolder(painter, QRectF(width() - 60, 18, 52, 38), folder);
        if (!m_ticker->isActive())
            return;
        // Along a low arc from the left folder to the right one.
        const double t = double(m_frame) / (frames - 1);
        const double x = 30 + t * (width() - 88);
        const double y = 26 - std::sin(t * M_PI) * 22;
        const QRectF sheet(x, y, 22, 28);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
        painter.setBrush(Qt::white);
        painter.drawRect(sheet);
        for (int line = 0; line < 4; ++line) {
            const double ly = sheet.top() + 6 + line * 5;
            painter.drawLine(QPointF(sheet.left() + 4, ly), QPointF(sheet.right() - 4, ly));
        }
    }

private:
    static void drawFolder(QPainter& painter, const QRectF& box, const QColor& color)
    {
        QPainterPath path;
        path.moveTo(box.left(), box.top() + 6);
        path.lineTo(box.left() + box.width() * 0.4, box.top() + 6);
        path.lineTo(box.left() + box.width() * 0.45, box.top());
        path.lineTo(box.left() + box.width() * 0.45 + 14, box.top());
        path.lineTo(box.left() + box.width() * 0.5 + 14, box.top() + 6);
        path.lineTo(box.right(), box.top() + 6);
        path.lineTo(box.right(), box.bottom());
        path.lineTo(box.left(), box.bottom());
        path.closeSubpath();
        painter.setPen(QPen(color.darker(150), 1));
        painter.setBrush(color);
        painter.drawPath(path);
    }

    static constexpr int frames = 30;
    QTimer* m_ticker;
    int m_frame = 0;
};

} // namespace

CopyWindow::CopyWindow(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
    , m_animation(new CopyAnimation(this))
    , m_fileLabel(new QLabel(this))
    , m_folderLabel(new QLabel(this))
    , m_progress(new QProgressBar(this))
    , m_cancelButton(new QPushButton(QStringLiteral("Cancel"), this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("Copying files..."));
    setModal(true);
    m_fileLabel->setObjectName(QStringLiteral("FileLabel"));
    m_folderLabel->setObjectName(QStringLiteral("FolderLabel"));
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));
    for (QLabel* label : {m_fileLabel, m_folderLabel}) {
        label->setMinimumWidth(360);
        label->setTextFormat(Qt::PlainText);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_animation, 0, Qt::AlignHCenter);
    layout->addWidget(m_fileLabel);
    layout->addWidget(m_folderLabel);
    layout->addWidget(m_progress);
    layout->addWidget(m_cancelButton, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(750);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_timer->stop();
        accept();
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &CopyWindow::requestCancel);
}

FileCopy::Result CopyWindow::copy(const QStringList& sources, const QString& folder)
{
    m_sources = sources;
    m_destination = folder;
    m_result = {};
    m_cancel = false;
    m_pending = true;
    m_progress->setRange(0, int(sources.size()));
    m_progress->setValue(0);
    m_fileLabel->clear();
    m_folderLabel->setText(QStringLiteral("To: ") + QDir::toNativeSeparators(folder));
    m_cancelButton->setEnabled(true);
    adjustSize();
    centerOnScreen(*this);
    exec();
    m_pending = false;
    return m_result;
}

void CopyWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Started from the event loop, once the window is up and painted.
    if (m_pending && !m_copying) {
        m_pending = false;
        QTimer::singleShot(0, this, &CopyWindow::startCopies);
    }
}

void CopyWindow::reject()
{
    if (m_copying) {
        requestCancel();
        return;
    }
    if (!m_timer->isActive())
        QDialog::reject();
}

void CopyWindow::requestCancel()
{
    m_cancel = true;
    m_cancelButton->setEnabled(false);
    m_fileLabel->setText(QStringLiteral("Cancelling..."));
}

void CopyWindow::startCopies()
{
    m_copying = true;
    static_cast<CopyAnimation*>(m_animation)->setPlaying(true);
    const QStringList sources = m_sources;
    const QString folder = m_destination;
    FileCopy::Result result;
    FileCopy::Callbacks callbacks;
    callbacks.cancel = &m_cancel;
    callbacks.askExisting = [this](const QString& target) {
        // The worker waits for the answer; the question is a window of the GUI thread.
        FileCopy::Existing answer = FileCopy::Existing::Cancel;
        QMetaObject::invokeMethod(
            this,
            [this, &target, &answer] {
                try {
                    answer = askExisting(target);
                } catch (...) {
                    answer = FileCopy::Existing::Cancel;
                }
            },
            Qt::BlockingQueuedConnection);
        return answer;
    };
    const auto job = [&](const BackgroundRunner::Progress& progress) {
        callbacks.progress = [&progress](int index, int count, const QString& source) {
            progress(index, count, QFileInfo(source).fileName());
        };
        result = FileCopy::copyFiles(sources, folder, callbacks);
    };
    // The window is not handed over to be disabled: its Cancel must stay usable. Being modal,
    // it keeps every other window from input meanwhile.
    const std::optional<QString> error = BackgroundRunner::run(
        nullptr, job,
        [this](int position, int maximum, const QString& text) {
            m_progress->setRange(0, maximum);
            m_progress->setValue(position);
            if (!m_cancel)
                m_fileLabel->setText(text);
        },
        QStringLiteral("Copying stopped because of an unknown error."));
    m_copying = false;
    static_cast<CopyAnimation*>(m_animation)->setPlaying(false);
    if (error)
        result.failures.push_back({QString(), *error});
    m_result = result;
    m_progress->setValue(m_progress->maximum());
    m_cancelButton->setEnabled(false);
    m_timer->start();
}

FileCopy::Existing CopyWindow::askExisting(const QString& target)
{
    const QStringList buttons = {QStringLiteral("Replace"), QStringLiteral("Skip"),
                                 QStringLiteral("Replace all"), QStringLiteral("Cancel")};
    const std::optional<int> choice = m_dialogs.choose(
        windowTitle(),
        QStringLiteral("The folder already holds a file named \"%1\".\n\nReplace it?")
            .arg(QFileInfo(target).fileName()),
        buttons);
    switch (choice.value_or(3)) {
    case 0:
        return FileCopy::Existing::Replace;
    case 1:
        return FileCopy::Existing::Skip;
    case 2:
        return FileCopy::Existing::ReplaceAll;
    default:
        return FileCopy::Existing::Cancel;
    }
}
