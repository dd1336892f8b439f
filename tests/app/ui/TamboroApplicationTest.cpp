#include "app/ui/TamboroApplication.h"
#include "testsupport/ExceptionCases.h"
#include "testsupport/QtPrinters.h"
#include "testsupport/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

const QEvent::Type kFailingEvent = QEvent::Type(QEvent::registerEventType());

// An object whose handler of one kind of event lets an exception out.
class FailingReceiver : public QObject
{
public:
    explicit FailingReceiver(std::function<void()> fail)
        : m_fail(std::move(fail))
    {}

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != kFailingEvent)
            return QObject::event(event);
        m_fail();
        return true;
    }

private:
    std::function<void()> m_fail;
};

class TamboroApplicationTest : public ::testing::TestWithParam<ExceptionCase>
{
protected:
    void SetUp() override
    {
        app = qobject_cast<TamboroApplication*>(QCoreApplication::instance());
        ASSERT_NE(app, nullptr) << "the window tests run under the program's application";
        dialogs.setStrict(true);
        app->setDialogs(&dialogs);
    }
    void TearDown() override
    {
        if (app)
            app->setDialogs(nullptr);
    }

    void expectOneErrorBox()
    {
        ASSERT_EQ(dialogs.records().size(), 1);
        const ScriptedDialogs::Record box = dialogs.messages().value(0);
        EXPECT_EQ(box.kind, Dialogs::Kind::Error);
        EXPECT_EQ(box.text, GetParam().text);
        EXPECT_TRUE(box.title.isEmpty()); // the program's own caption
    }

    TamboroApplication* app = nullptr;
    ScriptedDialogs dialogs;
};

TEST_P(TamboroApplicationTest, ExceptionOfAnEventHandlerShowsTheErrorBoxAndGoesNoFurther)
{
    FailingReceiver receiver(GetParam().raise);
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    QEvent event(kFailingEvent);
    bool delivered = true;
    EXPECT_NO_THROW(delivered = QCoreApplication::sendEvent(&receiver, &event));
    EXPECT_FALSE(delivered);
    expectOneErrorBox();
}

TEST_P(TamboroApplicationTest, ExceptionOfAnEventFromTheEventQueueIsStoppedToo)
{
    FailingReceiver receiver(GetParam().raise);
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    QCoreApplication::postEvent(&receiver, new QEvent(kFailingEvent));
    EXPECT_NO_THROW(QCoreApplication::sendPostedEvents(&receiver, kFailingEvent));
    expectOneErrorBox();
}

TEST_P(TamboroApplicationTest, ExceptionOfAClickedButtonsSlotIsStopped)
{
    QPushButton button(QStringLiteral("Go"));
    QObject::connect(&button, &QPushButton::clicked, GetParam().raise);
    button.show();
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    EXPECT_NO_THROW(QTest::mouseClick(&button, Qt::LeftButton));
    expectOneErrorBox();
}

INSTANTIATE_TEST_SUITE_P(Kinds, TamboroApplicationTest, ::testing::ValuesIn(exceptionCases()),
                         exceptionCaseName);

TEST(TamboroApplication, WithoutDialogsAnExceptionIsStillStopped)
{
    auto* app = qobject_cast<TamboroApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    ASSERT_EQ(app->dialogs(), nullptr);
    FailingReceiver receiver([] { throw std::runtime_error("nobody to tell"); });
    QEvent event(kFailingEvent);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&receiver, &event));
}

} // namespace
