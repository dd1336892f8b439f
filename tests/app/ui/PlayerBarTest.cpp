// The player bar on the real main window: showing it from the View menu, its looks, the drop
// targets, and the buttons and position bar driving the main player on the real decoder. Songs
// play into a WAV file; the sound server has tests of its own.
#include "app/ui/PlayerBar.h"
#include "app/ui/AppHarness.h"
#include "db/Statements.h"
#include "intake/ui/TagEditorWindow.h"
#include "lists/ListShared.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListWindow.h"
#include "lists/ui/SongDrag.h"
#include "player/PlayerTestSupport.h"
#include "player/PlayerTransport.h"
#include "testsupport/CaseNames.h"

#include <QDropEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>

namespace {

class PlayerBarTest : public ::testing::Test, protected AppHarness
{
protected:
    // A song table with one song, so that list windows open.
    PlayerBarTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        Song song;
        song.artist = QStringLiteral("Abba");
        song.title = QStringLiteral("Waterloo");
        song.filename = mpegFixture(QStringLiteral("cbr128.mp3"));
        song.trackLength = QStringLiteral("0:00:03");
        song.location = QStringLiteral("Disk!");
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    // A main window whose player writes into a WAV file of the test.
    std::unique_ptr<MainWindow> startToWav()
    {
        auto window = start();
        TMPEGPlayer* player = window->mainPlayer();
        player->setOutFilename(QDir(tempDir.path()).filePath(QStringLiteral("out.wav")));
        player->setOutputDevice(TMPEGPlayer::pcmfile);
        return window;
    }
    template <typename T> static T* part(MainWindow& window, const char* name)
    {
        auto* found = window.playerBar()->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void click(MainWindow& window, const char* button)
    {
        part<QToolButton>(window, button)->click();
    }
    // The song the tag editor shows, as a click on a list row would leave it.
    static void showInEditor(MainWindow& window, const QString& file)
    {
        auto edit = [&](const char* name, const QString& text) {
            window.tagEditor()->findChild<QLineEdit*>(QLatin1String(name))->setText(text);
        };
        edit("Edit1", QStringLiteral("Abba"));
        edit("Edit2", QStringLiteral("Waterloo"));
        edit("Edit3", file);
    }
    static ListWindow* openList(MainWindow& window)
    {
        window.wholeDatabase();
        return window.listWindows().back();
    }
    static QString text(MainWindow& window, const char* label)
    {
        return part<QLabel>(window, label)->text();
    }
};

TEST_F(PlayerBarTest, ViewItemShowsTheBarAndTheSettingSurvivesARestart)
{
    {
        auto window = start();
        QAction* item = act(*window, "Playerbar1");
        ASSERT_TRUE(item->isCheckable());
        EXPECT_FALSE(item->isChecked());
        EXPECT_FALSE(window->playerBar()->isVisible());

        item->trigger();
        EXPECT_TRUE(window->playerBar()->isVisible());
        EXPECT_TRUE(part<QLabel>(*window, "Panel1")->isVisible());
        EXPECT_TRUE(part<QLabel>(*window, "Panel2")->isVisible());
        EXPECT_EQ(settings.text(QLatin1String(SettingsStore::PlayerBar)), QStringLiteral("True"));
    }
    {
        auto window = start();
        EXPECT_TRUE(act(*window, "Playerbar1")->isChecked());
        EXPECT_TRUE(window->playerBar()->isVisible());
        act(*window, "Playerbar1")->trigger();
        EXPECT_FALSE(window->playerBar()->isVisible());
    }
    EXPECT_EQ(settings.text(QLatin1String(SettingsStore::PlayerBar)), QStringLiteral("False"));
    auto window = start();
    EXPECT_FALSE(window->playerBar()->isVisible());
}

TEST_F(PlayerBarTest, LaidOutUnderTheToolBarAsTheUserKnowsIt)
{
    settings.setFlag(QLatin1String(SettingsStore::PlayerBar), true);
    auto window = start();
    window->resize(1280, 700);
    QCoreApplication::processEvents();
    PlayerBar* bar = window->playerBar();
    EXPECT_EQ(bar->objectName(), QStringLiteral("Panel3"));
    EXPECT_EQ(bar->height(), 20);
    const QWidget* toolBar = window->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    EXPECT_GE(bar->mapTo(window.get(), QPoint(0, 0)).y(), toolBar->geometry().bottom());
    EXPECT_LT(bar->mapTo(window.get(), QPoint(0, 0)).y(),
              window->mdiArea()->mapTo(window.get(), QPoint(0, 0)).y());

    auto* controls = part<QWidget>(*window, "Panel5");
    EXPECT_EQ(controls->width(), 248);
    EXPECT_EQ(controls->x(), 0);
    const struct
    {
        const char* name;
        const char* caption;
        int x;
    } buttons[] = {{"MPlay", ">", 2}, {"MPause", "||", 26}, {"MStop", "<>", 50}};
    for (const auto& b : buttons) {
        auto* button = part<QToolButton>(*window, b.name);
        EXPECT_EQ(button->parentWidget(), controls) << b.name;
        EXPECT_EQ(button->text(), QLatin1String(b.caption)) << b.name;
        EXPECT_EQ(button->size(), QSize(23, 16)) << b.name;
        EXPECT_EQ(button->x(), b.x) << b.name;
        EXPECT_TRUE(button->autoRaise()) << b.name;
    }

    auto* display = part<QLabel>(*window, "DisPlaynel");
    EXPECT_EQ(display->parentWidget(), controls);
    EXPECT_EQ(display->x(), 79);
    EXPECT_EQ(display->size(), QSize(162, 16));
    EXPECT_EQ(display->text(), QStringLiteral("0:00:00/0:00:00"));
    EXPECT_TRUE(display->font().bold());
    auto* title = part<QLabel>(*window, "Panel4");
    EXPECT_EQ(title->width(), 256);
    EXPECT_EQ(title->x(), controls->geometry().right() + 1 + bar->layout()->spacing());
    EXPECT_EQ(title->text(), QStringLiteral(" "));
    for (QLabel* panel : {display, title}) {
        EXPECT_EQ(panel->frameShadow(), QFrame::Sunken) << panel->objectName().toStdString();
        EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::black));
        EXPECT_EQ(panel->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    }

    // The position bar takes what the others leave.
    auto* position = part<QScrollBar>(*window, "MBalk");
    EXPECT_EQ(position->orientation(), Qt::Horizontal);
    EXPECT_GT(position->x(), title->geometry().right());
    EXPECT_GT(position->width(), 100);
    EXPECT_EQ(position->maximum(), 0);
    EXPECT_EQ(text(*window, "Panel1"), QStringLiteral("Drag song(s) here to play"));
    EXPECT_EQ(text(*window, "Panel2"), QStringLiteral("Drag song(s) here to enqueue"));
    EXPECT_GT(part<QLabel>(*window, "Panel1")->x(), position->geometry().right());
}

// What the targets are offered: rows of a list window, or something else.
enum class Offer { Rows, Text };

struct DropRow
{
    const char* name;
    int windows;   // list windows to open
    int published; // the window (index) whose selection NowSelected holds, -1 for none
    int active;    // the window (index) made active, -1 to close them all afterwards
    Offer offer;
    bool accepted;
};

class PlayerBarDropTest : public PlayerBarTest, public ::testing::WithParamInterface<DropRow>
{};

TEST_P(PlayerBarDropTest, TargetsTakeRowsOnlyForTheActiveWindowsSelection)
{
    const DropRow& row = GetParam();
    settings.setFlag(QLatin1String(SettingsStore::PlayerBar), true);
    auto window = start();
    QList<ListWindow*> lists;
    for (int i = 0; i < row.windows; ++i)
        lists << openList(*window);
    ListShared& shared = *window->listContext().shared;
    shared.nowSelected.clear();
    if (row.published >= 0)
        shared.nowSelected = {QStringLiteral("1"), lists[row.published]->objectName()};
    if (row.active >= 0) {
        window->mdiArea()->setActiveSubWindow(
            qobject_cast<QMdiSubWindow*>(lists[row.active]->parentWidget()));
        // Activation publishes the window's own selection; the row wants its own.
        if (row.published >= 0)
            shared.nowSelected = {QStringLiteral("1"), lists[row.published]->objectName()};
        else
            shared.nowSelected.clear();
    } else {
        const QString name = lists.isEmpty() ? QStringLiteral("Child1") : lists[0]->objectName();
        window->mdiArea()->closeAllSubWindows();
        shared.nowSelected = {QStringLiteral("1"), name};
        lists.clear();
    }

    std::unique_ptr<QMimeData> data;
    if (row.offer == Offer::Rows) {
        data.reset(SongDrag::encode({{QStringLiteral("1")}, QStringLiteral("Child1")}));
    } else {
        data = std::make_unique<QMimeData>();
        data->setText(QStringLiteral("1"));
    }
    int plays = 0;
    int enqueues = 0;
    if (!lists.isEmpty()) {
        QObject::connect(lists[row.active], &ListWindow::playRequested, [&] { ++plays; });
        QObject::connect(lists[row.active], &ListWindow::enqueueRequested, [&] { ++enqueues; });
    }
    for (const char* name : {"Panel1", "Panel2"}) {
        SCOPED_TRACE(name);
        QLabel* target = part<QLabel>(*window, name);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        EXPECT_EQ(enter.isAccepted(), row.accepted);
        plays = enqueues = 0;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        EXPECT_EQ(drop.isAccepted(), row.accepted);
        if (lists.isEmpty())
            continue;
        const bool onPlay = QLatin1String(name) == QLatin1String("Panel1");
        EXPECT_EQ(plays, row.accepted && onPlay ? 1 : 0);
        EXPECT_EQ(enqueues, row.accepted && !onPlay ? 1 : 0);
    }
    // A refused drop says nothing; an accepted one is the hand-off's, which speaks for itself
    // (this desktop registers no player).
    if (!row.accepted) {
        EXPECT_TRUE(dialogs.messages().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drops, PlayerBarDropTest,
    ::testing::Values(DropRow{"active window published last", 2, 1, 1, Offer::Rows, true},
                      DropRow{"another window active", 2, 0, 1, Offer::Rows, false},
                      DropRow{"no list window open", 1, 0, -1, Offer::Rows, false},
                      DropRow{"NowSelected empty", 1, -1, 0, Offer::Rows, false},
                      DropRow{"no rows but text", 1, 0, 0, Offer::Text, false}),
    RowName());

TEST_F(PlayerBarTest, ButtonsWithNoListWindowOpenDoNothing)
{
    auto window = startToWav();
    showInEditor(*window, mpegFixture(QStringLiteral("cbr128.mp3")));
    for (const char* button : {"MPlay", "MPause", "MStop"})
        click(*window, button);
    EXPECT_EQ(window->playerTransport()->mode(), TMPEGPlayer::ModeClosed);
    EXPECT_EQ(text(*window, "DisPlaynel"), QStringLiteral("0:00:00/0:00:00"));
    EXPECT_EQ(text(*window, "Panel4"), QStringLiteral(" "));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(PlayerBarTest, AMissingFileIsAnErrorBoxAndTheBarStaysUsable)
{
    auto window = startToWav();
    openList(*window);
    const QString gone = QDir(tempDir.path()).filePath(QStringLiteral("gone.mp3"));
    showInEditor(*window, gone);
    click(*window, "MPlay");
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().front().kind, Dialogs::Kind::Error);
    EXPECT_EQ(dialogs.messages().front().text,
              QStringLiteral("Input stream error: the file \"%1\" does not exist").arg(gone));
    EXPECT_EQ(window->playerTransport()->mode(), TMPEGPlayer::ModeClosed);
    EXPECT_EQ(text(*window, "DisPlaynel"), QStringLiteral("0:00:00/0:00:00"));

    showInEditor(*window, longSong());
    click(*window, "MPlay");
    EXPECT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(window->playerTransport()->mode(), TMPEGPlayer::ModePlaying);
    EXPECT_EQ(text(*window, "Panel4"), QStringLiteral("Abba - Waterloo"));
    EXPECT_EQ(part<QScrollBar>(*window, "MBalk")->maximum(), window->mainPlayer()->storedLength());
    click(*window, "MPause");
    EXPECT_EQ(window->playerTransport()->mode(), TMPEGPlayer::ModePaused);
    click(*window, "MStop");
    EXPECT_EQ(window->playerTransport()->mode(), TMPEGPlayer::ModeClosed);
    EXPECT_EQ(text(*window, "DisPlaynel"), QStringLiteral("0:00:00/0:00:00"));
    EXPECT_EQ(text(*window, "Panel4"), QString());
    EXPECT_EQ(part<QScrollBar>(*window, "MBalk")->maximum(), 0);
    EXPECT_EQ(dialogs.messages().size(), 1);
}

TEST_F(PlayerBarTest, OnlyTheUsersScrollsSeek)
{
    auto window = startToWav();
    openList(*window);
    showInEditor(*window, longSong());
    PlayerTransport* transport = window->playerTransport();
    QSignalSpy seeked(transport, &PlayerTransport::seeked);
    auto* position = part<QScrollBar>(*window, "MBalk");

    // Scrolling with nothing playing moves nothing.
    position->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCoreApplication::processEvents();
    EXPECT_EQ(seeked.count(), 0);
    EXPECT_EQ(position->value(), 0);

    click(*window, "MPlay");
    click(*window, "MPause");
    // The transport setting the bar is no seek.
    ASSERT_TRUE(waitUntil([&] { return position->maximum() > 0; }, 5000));
    EXPECT_EQ(seeked.count(), 0);

    position->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_TRUE(waitUntil([&] { return seeked.count() == 1; }, 5000));
    EXPECT_EQ(seeked.at(0).at(0).toInt(), position->value());
    EXPECT_GT(position->value(), 0);
    EXPECT_EQ(text(*window, "DisPlaynel").section(QLatin1Char('/'), 0, 0),
              PlayerTransport::timeText(position->value()));

    // Dragging the thumb seeks once, where it is let go.
    position->setSliderDown(true);
    position->setSliderPosition(600000);
    position->setSliderPosition(700000);
    QCoreApplication::processEvents();
    EXPECT_EQ(seeked.count(), 1);
    position->setSliderDown(false);
    ASSERT_EQ(seeked.count(), 2);
    EXPECT_EQ(seeked.at(1).at(0).toInt(), 700000);
    EXPECT_NEAR(window->mainPlayer()->position(), 700000, 100);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

} // namespace
