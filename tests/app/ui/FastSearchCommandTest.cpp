// The FastSearch command: the prompt, the window it opens from the user-list opener, and the
// main window's three ways to start it.
#include "app/ui/FastSearchCommand.h"

#include "app/ui/AppHarness.h"
#include "app/ui/MainWindow.h"
#include "lists/FastSearch.h"
#include "lists/ui/ListIcons.h"
#include "lists/ui/ListWindowFixture.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"
#include "testsupport/FakeShellVerbs.h"
#include "testsupport/ScriptedDialogs.h"

#include <QImage>

namespace {

class FastSearchCommandTest : public ListWindowTest
{
protected:
    FastSearchCommandTest() { dialogs.setStrict(true); }

    ListWindow* search(const std::optional<QString>& text)
    {
        dialogs.queuePrompt(text);
        return FastSearchCommand::run(ctx, &area, dialogs);
    }
    void addSongs()
    {
        addSong({QStringLiteral("Queen"), QStringLiteral("Innuendo"), QStringLiteral("Innuendo")});
        addSong({QStringLiteral("ABBA"), QStringLiteral("Waterloo"), QStringLiteral("Waterloo")});
        addSong(
            {QStringLiteral("Abba Tribute"), QStringLiteral("Mamma Mia"), QStringLiteral("Tb")});
        addSong({QStringLiteral("BJÖRK"), QStringLiteral("Jóga"), QStringLiteral("Homogenic")});
        addSong({QStringLiteral("Beatles"), QStringLiteral("Help"), QStringLiteral("Help!")});
    }
    static QImage picture(const QIcon& icon) { return icon.pixmap(16, 16).toImage(); }

    ScriptedDialogs dialogs;
};

TEST_F(FastSearchCommandTest, OpensASearchWindowSortedByArtistAndTitle)
{
    addSongs();
    ListWindow* window = search(QStringLiteral("queen abba"));
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(window->caption(), QStringLiteral("Fast search: queen abba"));
    EXPECT_EQ(window->objectName(), QStringLiteral("Child1"));
    EXPECT_EQ(picture(window->windowIcon()),
              picture(ListIcons::listIcon(ListIcons::Kind::Parameters)));
    EXPECT_EQ(picture(window->parentWidget()->windowIcon()), picture(window->windowIcon()));
    EXPECT_TRUE(window->parentWidget()->isMaximized());
    EXPECT_EQ(column(window, 0), (QStringList{"ABBA", "Abba Tribute", "Queen"}));
    EXPECT_EQ(orderOfLastQuery(), QStringLiteral(" order by artist asc, title asc"));
    EXPECT_EQ(window->qut(),
              FastSearch::plan(QStringLiteral("queen abba"), FastSearch::Join::Any)->qut);
    // Not a user list: the IDs of its rows are collected, so it can be saved as one.
    EXPECT_FALSE(window->isUserList());
    EXPECT_EQ(window->usrHdrs(), column(window, 10));
    EXPECT_EQ(window->panelText(0), QStringLiteral("Songs in list: 3"));
    EXPECT_EQ(dialogs.pendingAnswers(), 0);
}

struct PromptCase
{
    const char* name;
    std::optional<QString> setting; // none: never stored
    QString title;
    QStringList artists; // found for "abba mia"
};

const PromptCase promptCases[] = {
    {"default", std::nullopt, QStringLiteral("Fast Search (param: or)"), {"ABBA", "Abba Tribute"}},
    {"or",
     QStringLiteral("or"),
     QStringLiteral("Fast Search (param: or)"),
     {"ABBA", "Abba Tribute"}},
    {"and", QStringLiteral("and"), QStringLiteral("Fast Search (param: and)"), {"Abba Tribute"}},
};

class FastSearchPromptTest : public FastSearchCommandTest,
                             public ::testing::WithParamInterface<PromptCase>
{};

TEST_P(FastSearchPromptTest, TitleNamesTheSettingWhichJoinsTheKeywords)
{
    addSongs();
    if (GetParam().setting)
        settings.setText(QLatin1String(SettingsStore::FastSearchParam), *GetParam().setting);

    ListWindow* window = search(QStringLiteral("abba mia"));

    const QList<ScriptedDialogs::Record> prompts = dialogs.records(ScriptedDialogs::Call::Prompt);
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_EQ(prompts[0].title, GetParam().title);
    EXPECT_EQ(prompts[0].text, QStringLiteral("Enter your keyword(s)"));
    EXPECT_EQ(prompts[0].detail, QString());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(column(window, 0), GetParam().artists);
}

INSTANTIATE_TEST_SUITE_P(FastSearch, FastSearchPromptTest, ::testing::ValuesIn(promptCases),
                         RowName());

struct NothingCase
{
    const char* name;
    std::optional<QString> answer;
};

const NothingCase nothingCases[] = {
    {"cancelled", std::nullopt},
    {"empty text", QString()},
    {"one letter", QStringLiteral("a")},
};

class FastSearchNothingTest : public FastSearchCommandTest,
                              public ::testing::WithParamInterface<NothingCase>
{};

TEST_P(FastSearchNothingTest, OpensNoWindowAndRaisesNoCounter)
{
    addSongs();
    db.monitor().record(QStringLiteral("nothing sent"));

    EXPECT_EQ(search(GetParam().answer), nullptr);

    EXPECT_TRUE(area.subWindowList().isEmpty());
    EXPECT_EQ(shared.windowCounter, 0);
    EXPECT_EQ(shared.userListCounter, 0);
    EXPECT_EQ(db.monitor().text(), QStringLiteral("nothing sent"));
}

INSTANTIATE_TEST_SUITE_P(FastSearch, FastSearchNothingTest, ::testing::ValuesIn(nothingCases),
                         RowName());

TEST_F(FastSearchCommandTest, TwoLettersAreEnoughAndTheCaptionKeepsTheTextAsTyped)
{
    addSongs();
    ListWindow* two = search(QStringLiteral("bj"));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(column(two, 0), QStringList{"BJÖRK"});

    ListWindow* blanks = search(QStringLiteral(" abba  mia "));
    ASSERT_NE(blanks, nullptr);
    EXPECT_EQ(blanks->caption(), QStringLiteral("Fast search:  abba  mia "));
}

// The window numbers and the user-list numbers go on across user lists and fast searches.
TEST_F(FastSearchCommandTest, CountsAsAUserListWindow)
{
    addSongs();
    ListWindow* first = ListOpeners::openUserList(ctx, &area);
    ListWindow* found = search(QStringLiteral("abba"));
    ListWindow* next = ListOpeners::openUserList(ctx, &area);

    EXPECT_EQ(first->caption(), QStringLiteral("User List (1)"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->objectName(), QStringLiteral("Child2"));
    EXPECT_EQ(next->caption(), QStringLiteral("User List (3)"));
    EXPECT_EQ(next->objectName(), QStringLiteral("Child3"));
}

TEST_F(FastSearchCommandTest, BaseQueryReQueriesAfterSortingAndFiltering)
{
    addSongs();
    addSong({QStringLiteral("Queen"), QStringLiteral("Don't Stop Me Now"), QStringLiteral("Jazz")});
    ListWindow* window = search(QStringLiteral("queen ABBA"));
    ASSERT_NE(window, nullptr);
    const QString qut = window->qut();

    window->headerClicked(1); // "Title"
    EXPECT_EQ(orderOfLastQuery(), QStringLiteral(" order by title asc, artist asc"));
    EXPECT_EQ(column(window, 1),
              (QStringList{"Don't Stop Me Now", "Innuendo", "Mamma Mia", "Waterloo"}));

    edit(window, "Edit1")->setText(QStringLiteral("que"));
    fire(timer1(window));
    EXPECT_EQ(column(window, 1), (QStringList{"Don't Stop Me Now", "Innuendo"}));

    edit(window, "Edit2")->setText(QStringLiteral("don'"));
    fire(timer1(window));
    EXPECT_EQ(column(window, 1), QStringList{"Don't Stop Me Now"});
    EXPECT_EQ(window->qut(), qut);
}

// Each character the song table stores in code, typed as part of a keyword, finds the song
// that holds it, also when the window is queried again.
TEST_F(FastSearchCommandTest, SpecialCharactersTypedFindTheirSongs)
{
    const QString specials = QStringLiteral("'\"#*:`|");
    for (const QChar c : specials)
        addSong({QStringLiteral("Special"), QStringLiteral("one ") + c + QStringLiteral(" two"),
                 QString(c)});
    addSong({QStringLiteral("Special"), QStringLiteral("one two"), QStringLiteral("none")});
    settings.setText(QLatin1String(SettingsStore::FastSearchParam), QStringLiteral("and"));

    for (const QChar c : specials) {
        SCOPED_TRACE(QString(c).toStdString());
        ListWindow* window = search(QStringLiteral("e ") + c + QStringLiteral(" t"));
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(column(window, 1),
                  QStringList{QStringLiteral("one ") + c + QStringLiteral(" two")});
        window->headerClicked(4); // "Album"
        EXPECT_EQ(column(window, 4), QStringList{QString(c)});
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(FastSearchCommandTest, AFailingQueryClosesTheWindowAgain)
{
    QFile::remove(home.file(QStringLiteral("tamboro.db")));

    EXPECT_THROW(search(QStringLiteral("abba")), EDatabaseError);

    EXPECT_TRUE(area.subWindowList().isEmpty());
    EXPECT_TRUE(gauge.isHidden());
}

// ---- Through the main window ----

class FastSearchMainWindowTest : public ::testing::Test, protected AppHarness
{
protected:
    FastSearchMainWindowTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        for (const char* artist : {"Abba", "Queen", "Abba Tribute"}) {
            Song song;
            song.artist = QString::fromUtf8(artist);
            song.title = QStringLiteral("Song");
            song.filename = QStringLiteral("/nowhere/%1.mp3").arg(song.artist);
            song.trackLength = QStringLiteral("0:02:30");
            song.location = QStringLiteral("Disk!");
            uq.setSql(Statements::insertSong(song.storedForm()));
            uq.execSQL();
        }
    }

    QStringList captions() const
    {
        QStringList result;
        for (ListWindow* list : window->listWindows())
            result << list->caption();
        return result;
    }
    QAction* act(const char* name) const
    {
        return window->findChild<QAction*>(QLatin1String(name));
    }

    std::unique_ptr<MainWindow> window;
};

TEST_F(FastSearchMainWindowTest, MenuToolButtonAndTrayAllSearch)
{
    window = std::make_unique<MainWindow>(services);
    window->show();
    dialogs.queuePrompt(QStringLiteral("abba"));
    dialogs.queuePrompt(QStringLiteral("queen"));
    dialogs.queuePrompt(QStringLiteral("tribute"));

    act("FastSearchthedatabase1")->trigger();
    act("ToolButton4")->trigger();
    window->hide();
    act("Fastsearch1")->trigger();

    // The tray item brings the main window back with its result.
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(captions(),
              (QStringList{"Fast search: abba", "Fast search: queen", "Fast search: tribute"}));
    EXPECT_EQ(act("ToolButton4")->toolTip(),
              QStringLiteral("Search for possible matches by entering one of multiple keywords"));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(FastSearchMainWindowTest, AFailureIsAnErrorBoxAndTheTrayStillShowsTheWindow)
{
    window = std::make_unique<MainWindow>(services);
    window->hide();
    QFile::remove(home.file(QStringLiteral("tamboro.db")));
    window->database().closeConnection();
    dialogs.queuePrompt(QStringLiteral("abba"));

    act("Fastsearch1")->trigger();

    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->listWindows().isEmpty());
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Error);
}

} // namespace
