#include "export/ui/HtmlExportCommand.h"

#include "export/ui/HtmlOptionsWindow.h"
#include "lists/ui/ListWindowFixture.h"
#include "testsupport/CaseNames.h"
#include "testsupport/FakeDesktopOpener.h"
#include "testsupport/QtPrinters.h"
#include "testsupport/ScriptedDialogs.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// How an export ends: the desktop's program for the page, the button the user presses in the
// closing message, and whether the program starts.
struct EndCase
{
    const char* name;
    bool registered;                // the desktop has a program (a browser) for the page
    std::optional<int> choice;      // the button pressed: 0 "Close", 1 "Open", nothing: none
    std::optional<QString> failure; // why the browser did not start
    bool opened;                    // the page went to the browser
};

// The export of a whole-database window through the options window's "Generate" and the
// timer's run, with scripted dialogs that fail the test on any question they were not told of.
class HtmlExportCommandTest : public ListWindowTest
{
protected:
    HtmlExportCommandTest()
    {
        dialogs.setStrict(true);
        addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
        addSong({QStringLiteral("Tom & Jerry"), QStringLiteral("<Intro>"), {}});
        list = openWhole();
    }

    // "Generate" with the page's file chosen, then the timer's run.
    void exportPage()
    {
        dialogs.queueSaveFile(page);
        command.open(list);
        command.window()->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        fire(command.timer());
    }

    ScriptedDialogs dialogs;
    FakeDesktopOpener opener;
    QTemporaryDir out;
    QString page = out.filePath(QStringLiteral("My list.htm"));
    ListWindow* list = nullptr;
    HtmlExportCommand command{dialogs, nullptr, &gauge, [this] { return list; }, &opener};
};

class HtmlExportEndTest : public HtmlExportCommandTest,
                          public ::testing::WithParamInterface<EndCase>
{};

TEST_P(HtmlExportEndTest, AMessageNamesThePageAndOpensItOnRequest)
{
    const EndCase& c = GetParam();
    opener.registered = c.registered;
    opener.failure = c.failure;
    if (c.registered)
        dialogs.queueChoice(c.choice);
    else
        dialogs.queueAnswer(Dialogs::Answer::Ok);
    if (c.failure)
        dialogs.queueAnswer(Dialogs::Answer::Ok);
    // The message comes once the page is whole on disk.
    qint64 sizeWhenAsked = -1;
    dialogs.setOnCall([&](const ScriptedDialogs::Record& record) {
        if (record.call != ScriptedDialogs::Call::SaveFile && sizeWhenAsked < 0)
            sizeWhenAsked = QFileInfo(page).size();
    });

    exportPage();

    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("Tom &amp; Jerry - &lt;Intro&gt;"));
    EXPECT_EQ(sizeWhenAsked, bytes.size());

    const QString saved = QStringLiteral("The HTML page was saved as \"%1\".").arg(page);
    const QList<ScriptedDialogs::Record> choices = dialogs.records(ScriptedDialogs::Call::Choose);
    QList<ScriptedDialogs::Record> messages = dialogs.messages();
    if (c.registered) {
        ASSERT_EQ(choices.size(), 1);
        EXPECT_EQ(choices[0].text, saved + QStringLiteral("\n\nOpen it now?"));
        EXPECT_EQ(choices[0].detail, QStringLiteral("Close|Open"));
    } else {
        EXPECT_TRUE(choices.isEmpty());
        ASSERT_FALSE(messages.isEmpty());
        EXPECT_EQ(messages[0].kind, Dialogs::Kind::Information);
        EXPECT_EQ(messages[0].text, saved + QStringLiteral(" No program was found to open it."));
        messages.removeFirst();
    }
    EXPECT_EQ(opener.opened, c.opened ? QStringList{page} : QStringList());
    if (c.failure && c.opened) {
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].kind, Dialogs::Kind::Error);
        EXPECT_EQ(
            messages[0].text,
            QStringLiteral("The HTML page \"%1\" could not be opened: %2").arg(page, *c.failure));
    } else {
        EXPECT_TRUE(messages.isEmpty());
    }
    EXPECT_EQ(dialogs.pendingAnswers(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, HtmlExportEndTest,
    ::testing::Values(EndCase{"no browser", false, std::nullopt, std::nullopt, false},
                      EndCase{"Open", true, 1, std::nullopt, true},
                      EndCase{"Close", true, 0, std::nullopt, false},
                      EndCase{"message closed by its box", true, std::nullopt, std::nullopt, false},
                      EndCase{"browser does not start", true, 1,
                              QStringLiteral("Failed to execute child process"), true}),
    RowName());

TEST_F(HtmlExportCommandTest, AFailedWriteSaysSoAndOffersNothingToOpen)
{
    page = out.filePath(QStringLiteral("gone/list.htm"));
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    exportPage();

    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Error);
    EXPECT_TRUE(dialogs.records(ScriptedDialogs::Call::Choose).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(page));
    EXPECT_TRUE(opener.opened.isEmpty());
}

} // namespace
