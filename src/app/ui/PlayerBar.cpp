#include "app/ui/PlayerBar.h"

#include "lists/ListShared.h"
#include "lists/PlayDrop.h"
#include "lists/ui/ListWindow.h"
#include "lists/ui/SongDrag.h"
#include "player/PlayerTransport.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"

#include <QAction>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

namespace {

constexpr int barHeight = 20;
const QColor lime(0, 255, 0);

// Black with lime text, sunk into the bar.
void makeDisplay(QLabel* label)
{
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, lime);
    label->setPalette(palette);
}

} // namespace

PlayerBar::PlayerBar(Context context, QWidget* parent)
    : QFrame(parent)
    , m_ctx(std::move(context))
{
    setObjectName(QStringLiteral("Panel3"));
    setFixedHeight(barHeight);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 2, 0);
    layout->setSpacing(2);

    auto* controls = new QWidget(this);
    controls->setObjectName(QStringLiteral("Panel5"));
    controls->setFixedSize(248, barHeight);
    addButton(controls, "MPlay", QStringLiteral(">"), 2, &PlayerTransport::play);
    addButton(controls, "MPause", QStringLiteral("||"), 26, &PlayerTransport::pause);
    addButton(controls, "MStop", QStringLiteral("<>"), 50, &PlayerTransport::stop);
    m_display = new QLabel(QStringLiteral("0:00:00/0:00:00"), controls);
    m_display->setObjectName(QStringLiteral("DisPlaynel"));
    m_display->setGeometry(79, 2, 162, 16);
    m_display->setAlignment(Qt::AlignCenter);
    makeDisplay(m_display);
    QFont bold = m_display->font();
    bold.setBold(true);
    // Characters 16 pixels high, leading included: what fits the 16 pixels of the panel.
    bold.setPixelSize(13);
    m_display->setFont(bold);
    layout->addWidget(controls);

    m_title = new QLabel(QStringLiteral(" "), this);
    m_title->setObjectName(QStringLiteral("Panel4"));
    // 256 pixels wide where the window has room; a narrow window takes the room from here and
    // from the position bar rather than pushing the drop targets out of sight.
    m_title->setFixedHeight(barHeight);
    m_title->setMinimumWidth(60);
    m_title->setMaximumWidth(256);
    m_title->setIndent(4);
    makeDisplay(m_title);
    layout->addWidget(m_title, 1);

    m_position = new QScrollBar(Qt::Horizontal, this);
    m_position->setObjectName(QStringLiteral("MBalk"));
    m_position->setRange(0, 0);
    m_position->setFocusPolicy(Qt::NoFocus);
    m_position->setMinimumWidth(40);
    layout->addWidget(m_position, 1, Qt::AlignVCenter);
    // A click on the arrows or the trough, the wheel, or letting go of the thumb seeks. The
    // thumb seeks once, where it is let go: seeking at every step of a drag would restart the
    // decoder dozens of times a second, and the display would jump back and forth meanwhile.
    connect(m_position, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderNoAction || m_position->isSliderDown())
            return;
        // The bar takes the action's value only after this signal.
        QMetaObject::invokeMethod(this, &PlayerBar::seekToBar, Qt::QueuedConnection);
    });
    connect(m_position, &QAbstractSlider::sliderReleased, this, &PlayerBar::seekToBar);

    m_playTarget = addDropTarget("Panel1", QStringLiteral("Drag song(s) here to play"));
    m_enqueueTarget = addDropTarget("Panel2", QStringLiteral("Drag song(s) here to enqueue"));
    layout->addWidget(m_playTarget);
    layout->addWidget(m_enqueueTarget);

    connect(m_ctx.transport, &PlayerTransport::changed, this, &PlayerBar::mirror);
    mirror();
}

QToolButton* PlayerBar::addButton(QWidget* parent, const char* name, const QString& caption, int x,
                                  void (PlayerTransport::*command)())
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(x, 2, 23, 16);
    QFont font = button->font();
    font.setBold(true);
    font.setPixelSize(11);
    button->setFont(font);
    PlayerTransport* transport = m_ctx.transport;
    connect(button, &QToolButton::clicked, this,
            [this, transport, command] { run([transport, command] { (transport->*command)(); }); });
    return button;
}

QLabel* PlayerBar::addDropTarget(const char* name, const QString& caption)
{
    auto* target = new QLabel(caption, this);
    target->setObjectName(QLatin1String(name));
    // From the left, so that a caption cut short still reads from its start.
    target->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    target->setIndent(7);
    target->setAcceptDrops(true);
    target->setFixedHeight(barHeight - 2);
    QFont font = target->font();
    font.setPixelSize(11);
    target->setFont(font);
    // The whole caption where there is room; a narrow window cuts it, and the hint still says it.
    target->setMaximumWidth(target->fontMetrics().horizontalAdvance(caption) + 16);
    target->setMinimumWidth(60);
    target->setToolTip(caption);
    // A box with a dashed edge reads as a place to put something; it lights up while it would
    // take what is dragged over it.
    target->setStyleSheet(QStringLiteral(
        "QLabel { border: 1px dashed palette(dark); border-radius: 3px; background: palette(base);"
        " color: palette(text); }"
        "QLabel[dropReady=\"true\"] { border: 1px solid palette(highlight);"
        " background: palette(highlight); color: palette(highlighted-text); }"));
    target->installEventFilter(this);
    return target;
}

bool PlayerBar::acceptsDrop() const
{
    const ListWindow* active = m_ctx.activeListWindow();
    return PlayDrop::accepts(m_ctx.openListWindows(), active ? active->objectName() : QString(),
                             m_ctx.shared->nowSelected);
}

void PlayerBar::mirror()
{
    const PlayerTransport& transport = *m_ctx.transport;
    m_display->setText(transport.display());
    m_title->setText(transport.titleText());
    // The thumb the user holds stays where the hand is; the value is set without seeking, as
    // only the user's scrolls seek.
    if (!m_position->isSliderDown()) {
        m_position->setRange(0, transport.length());
        m_position->setValue(transport.position());
    }
    m_position->setPageStep(std::max(1000, transport.length() / 20));
    m_position->setSingleStep(std::max(1000, transport.length() / 100));
}

void PlayerBar::seekToBar()
{
    run([this] { m_ctx.transport->seek(m_position->value()); });
    // A seek the player's mode refused puts the thumb back where the song is.
    mirror();
}

void PlayerBar::play()
{
    run([this] { m_ctx.transport->play(); });
}

void PlayerBar::run(const std::function<void()>& work)
{
    ErrorBoundary::run(
        work, [this](const QString& text) { m_ctx.dialogs->message(Dialogs::Kind::Error, text); });
}

bool PlayerBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_playTarget || watched == m_enqueueTarget) {
        if (dropEvent(static_cast<QLabel*>(watched), event))
            return true;
    }
    return QFrame::eventFilter(watched, event);
}

bool PlayerBar::dropEvent(QLabel* target, QEvent* event)
{
    const QEvent::Type type = event->type();
    auto light = [target](bool on) {
        if (target->property("dropReady").toBool() == on)
            return;
        target->setProperty("dropReady", on);
        target->style()->unpolish(target);
        target->style()->polish(target);
    };
    if (type == QEvent::DragLeave) {
        light(false);
        return true;
    }
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drag = static_cast<QDropEvent*>(event);
    bool accepted = false;
    run([&] { accepted = SongDrag::decode(drag->mimeData()).has_value() && acceptsDrop(); });
    if (!accepted) {
        drag->ignore();
        light(false);
        return true;
    }
    drag->acceptProposedAction();
    light(type != QEvent::Drop);
    if (type == QEvent::Drop) {
        const ListWindow::Command command =
            target == m_playTarget ? ListWindow::Command::Play : ListWindow::Command::Enqueue;
        run([this, command] {
            if (ListWindow* active = m_ctx.activeListWindow())
                active->action(command)->trigger();
        });
    }
    return true;
}
