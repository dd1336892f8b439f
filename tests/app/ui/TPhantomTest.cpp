#include "app/ui/TPhantom.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QPixmap>
#include <QSignalSpy>
#include <QWidget>

namespace {

class TPhantomTest : public ::testing::Test
{
protected:
    TPhantomTest()
    {
        m_left.addAction(QStringLiteral("Left item"));
        m_right.addAction(QStringLiteral("Right item"));
    }
    ~TPhantomTest() override
    {
        m_left.hide();
        m_right.hide();
    }

    QMenu m_left;
    QMenu m_right;
    TPhantom m_phantom;
};

TEST_F(TPhantomTest, CreationDefaults)
{
    EXPECT_TRUE(m_phantom.visible());
    EXPECT_FALSE(m_phantom.serviceprocess());
    EXPECT_FALSE(m_phantom.iconvisibility());
    EXPECT_FALSE(m_phantom.flash());
    EXPECT_EQ(m_phantom.flashTime(), 300);
    EXPECT_EQ(m_phantom.priority(), TPhantom::Normal);
    EXPECT_EQ(m_phantom.popupLeft(), nullptr);
    EXPECT_EQ(m_phantom.popupRight(), nullptr);
}

TEST_F(TPhantomTest, TipIsCutTo63Characters)
{
    const QString tip = QStringLiteral("Tamboro 3. Right click for options");
    m_phantom.setProperty("Tip", tip);
    EXPECT_EQ(m_phantom.tip(), tip);
    EXPECT_EQ(m_phantom.trayIcon()->toolTip(), tip);

    const QString longTip = QString(63, u'a') + QStringLiteral("bcdef");
    m_phantom.setProperty("Tip", longTip);
    EXPECT_EQ(m_phantom.property("Tip").toString(), QString(63, u'a'));
    EXPECT_EQ(m_phantom.trayIcon()->toolTip(), QString(63, u'a'));
}

struct ClickCase
{
    const char* name;
    QSystemTrayIcon::ActivationReason reason;
    bool withLeftMenu;
    bool withRightMenu;
    // What must happen: the menu popped ("left", "right" or none) and the signals raised.
    const char* popped;
    int leftClicks;
    int rightClicks;
    int doubleClicks;
};

void PrintTo(const ClickCase& c, std::ostream* os)
{
    *os << c.name;
}

class TPhantomClickTest : public TPhantomTest, public ::testing::WithParamInterface<ClickCase>
{};

TEST_P(TPhantomClickTest, MouseActionPopsItsMenuOrRaisesItsSignal)
{
    const ClickCase& c = GetParam();
    if (c.withLeftMenu)
        m_phantom.setProperty("PopupLeft", QVariant::fromValue(&m_left));
    if (c.withRightMenu)
        m_phantom.setProperty("PopupRight", QVariant::fromValue(&m_right));
    QSignalSpy left(&m_phantom, &TPhantom::Leftclick);
    QSignalSpy right(&m_phantom, &TPhantom::Rightclick);
    QSignalSpy twice(&m_phantom, &TPhantom::Doublelick);
    QSignalSpy popped(&m_phantom, &TPhantom::menuPopped);

    // The tray reports clicks through this signal; the slot behind it is what runs.
    emit m_phantom.trayIcon()->activated(c.reason);

    EXPECT_EQ(left.count(), c.leftClicks);
    EXPECT_EQ(right.count(), c.rightClicks);
    EXPECT_EQ(twice.count(), c.doubleClicks);
    const std::string expected = c.popped;
    if (expected.empty()) {
        EXPECT_EQ(popped.count(), 0);
        EXPECT_FALSE(m_left.isVisible());
        EXPECT_FALSE(m_right.isVisible());
        return;
    }
    ASSERT_EQ(popped.count(), 1);
    QMenu* menu = expected == "left" ? &m_left : &m_right;
    QMenu* other = expected == "left" ? &m_right : &m_left;
    EXPECT_EQ(popped.first().at(0).value<QMenu*>(), menu);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(other->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, TPhantomClickTest,
    ::testing::Values(
        ClickCase{"RightWithMenu", QSystemTrayIcon::Context, false, true, "right", 0, 0, 0},
        ClickCase{"RightWithoutMenu", QSystemTrayIcon::Context, true, false, "", 0, 1, 0},
        ClickCase{"LeftWithoutMenu", QSystemTrayIcon::Trigger, false, true, "", 1, 0, 0},
        ClickCase{"LeftWithMenu", QSystemTrayIcon::Trigger, true, true, "left", 0, 0, 0},
        ClickCase{"Double", QSystemTrayIcon::DoubleClick, true, true, "", 0, 0, 1},
        ClickCase{"Middle", QSystemTrayIcon::MiddleClick, true, true, "", 0, 0, 0}),
    [](const ::testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.name); });

TEST_F(TPhantomTest, MenuDeletedElsewhereIsForgotten)
{
    auto* menu = new QMenu;
    m_phantom.setPopupRight(menu);
    delete menu;
    QSignalSpy right(&m_phantom, &TPhantom::Rightclick);
    m_phantom.handleActivation(QSystemTrayIcon::Context);
    EXPECT_EQ(m_phantom.popupRight(), nullptr);
    EXPECT_EQ(right.count(), 1);
}

TEST_F(TPhantomTest, FlashIsATriggerThatReturnsToFalse)
{
    QWidget owner;
    owner.show();
    m_phantom.setOwner(&owner);
    m_phantom.setProperty("Flash", true);
    EXPECT_FALSE(m_phantom.property("Flash").toBool());
    // Without an owner it still returns to false.
    TPhantom ownerless;
    ownerless.setFlash(true);
    EXPECT_FALSE(ownerless.flash());
}

TEST_F(TPhantomTest, IconIsShownOnlyWhenWantedAndNotEmpty)
{
    EXPECT_FALSE(m_phantom.iconShown());
    m_phantom.setIconvisibility(true);
    EXPECT_FALSE(m_phantom.iconShown()) << "an empty picture is never added";

    QPixmap picture(16, 16);
    picture.fill(Qt::blue);
    m_phantom.setProperty("Iconfile", QIcon(picture));
    EXPECT_TRUE(m_phantom.iconShown());
    m_phantom.setIconvisibility(false);
    EXPECT_FALSE(m_phantom.iconShown());
    m_phantom.setIconvisibility(true);
    EXPECT_TRUE(m_phantom.iconShown());
    m_phantom.setIconfile(QIcon());
    EXPECT_FALSE(m_phantom.iconShown());
}

struct OwnerCase
{
    const char* name;
    bool maximized;
};

void PrintTo(const OwnerCase& c, std::ostream* os)
{
    *os << c.name;
}

class TPhantomOwnerTest : public TPhantomTest, public ::testing::WithParamInterface<OwnerCase>
{};

TEST_P(TPhantomOwnerTest, VisibleHidesTheOwnerAndBringsItBackAsItWas)
{
    QWidget owner;
    if (GetParam().maximized)
        owner.showMaximized();
    else
        owner.showNormal();
    m_phantom.setOwner(&owner);

    m_phantom.setProperty("Visible", false);
    EXPECT_FALSE(owner.isVisible());
    EXPECT_FALSE(m_phantom.visible());

    m_phantom.setProperty("Visible", true);
    EXPECT_TRUE(owner.isVisible());
    EXPECT_FALSE(owner.isMinimized());
    EXPECT_EQ(owner.isMaximized(), GetParam().maximized);
    EXPECT_TRUE(m_phantom.visible());
}

TEST_P(TPhantomOwnerTest, OwnerHiddenBeforeKeepsItsStateToo)
{
    // The main window hides itself first, then takes its task-bar entry away.
    QWidget owner;
    if (GetParam().maximized)
        owner.showMaximized();
    else
        owner.showNormal();
    m_phantom.setOwner(&owner);
    owner.hide();
    m_phantom.setVisible(false);
    EXPECT_FALSE(owner.isVisible());
    m_phantom.setVisible(true);
    EXPECT_TRUE(owner.isVisible());
    EXPECT_EQ(owner.isMaximized(), GetParam().maximized);
}

INSTANTIATE_TEST_SUITE_P(States, TPhantomOwnerTest,
                         ::testing::Values(OwnerCase{"Normal", false},
                                           OwnerCase{"Maximized", true}),
                         [](const ::testing::TestParamInfo<OwnerCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(TPhantomTest, PriorityPropertyTakesTheEnumByName)
{
    // Normal is the process's own priority here, so setting it changes nothing outside.
    EXPECT_TRUE(m_phantom.setProperty("Priority", QStringLiteral("Normal")));
    EXPECT_EQ(m_phantom.priority(), TPhantom::Normal);
    m_phantom.setServiceprocess(true);
    EXPECT_TRUE(m_phantom.property("Serviceprocess").toBool());
}

} // namespace
