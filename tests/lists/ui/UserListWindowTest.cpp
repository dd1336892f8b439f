#include "lists/UserLists.h"
#include "lists/ui/ListWindowFixture.h"
#include "lists/ui/SongDrag.h"
#include "lists/ui/UserListCommands.h"
#include "platform/Errors.h"
#include "testsupport/ScriptedDialogs.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include <memory>

namespace {

class UserListWindowTest : public ListWindowTest
{
protected:
    QString listFile(const char* name) const { return home.file(QLatin1String(name)); }

    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Stored file names of every song, by ID.
    QStringList storedNames()
    {
        QStringList names;
        rq.close();
        rq.setSql(Statements::selectAllById());
        rq.open();
        for (rq.first(); !rq.eof(); rq.next())
            names << rq.field(SongColumn::Filename);
        rq.close();
        return names;
    }

    ScriptedDialogs dialogs;
    QString folder = home.path();
};

// Values with every character the codec stores in code: they go to the file and come back.
const QString oddArtist = QStringLiteral("Don't \"Stop\" #1 *:` |");

TEST_F(UserListWindowTest, TheOpenerGivesEmptyNumberedUserLists)
{
    ListWindow* first = ListOpeners::openUserList(ctx, &area);
    ListWindow* second = ListOpeners::openUserList(ctx, &area);
    EXPECT_EQ(first->caption(), QStringLiteral("User List (1)"));
    EXPECT_EQ(second->caption(), QStringLiteral("User List (2)"));
    EXPECT_TRUE(second->isUserList());
    EXPECT_TRUE(second->qut().isEmpty());
    EXPECT_EQ(second->model()->rowCount(), 0);
    EXPECT_EQ(second->objectName(), QStringLiteral("Child2"));
}

// Saving writes the stored name of every song of the base query, in the query's own order,
// whatever the filter boxes hide; a name typed without an extension gets ".tb3".
TEST_F(UserListWindowTest, SavingWritesEverySongOfTheBaseQuery)
{
    addSong({QStringLiteral("Zappa"), QStringLiteral("Peaches"), {}});
    addSong({oddArtist, QStringLiteral("Song"), {}});
    addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
    ListWindow* window = openWhole();
    edit(window, "Edit1")->setText(QStringLiteral("Abba"));
    fire(timer1(window));
    ASSERT_EQ(window->model()->rowCount(), 1);

    dialogs.queueSaveFile(listFile("mine"));
    ASSERT_TRUE(UserListCommands::save(ctx, *window, dialogs, folder));

    const QStringList names = storedNames();
    EXPECT_EQ(bytesOf(listFile("mine.tb3")),
              (names.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
    EXPECT_TRUE(names.at(1).contains(QStringLiteral("Don|1t |2Stop|2 |31 |4|5|6 |7")));
    EXPECT_EQ(dialogs.records(ScriptedDialogs::Call::SaveFile).value(0).title,
              QStringLiteral("Save user list"));
    EXPECT_EQ(folder, home.path());
}

TEST_F(UserListWindowTest, ANameWithoutExtensionIsNotReplacedUnlessTheUserSaysSo)
{
    addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
    ListWindow* window = openWhole();
    writeTestFile(listFile("old.tb3"), "kept\r\n");

    dialogs.queueSaveFile(listFile("old"));
    dialogs.queueAnswer(Dialogs::Answer::No);
    EXPECT_FALSE(UserListCommands::save(ctx, *window, dialogs, folder));
    EXPECT_EQ(bytesOf(listFile("old.tb3")), QByteArray("kept\r\n"));
    EXPECT_EQ(dialogs.messages().value(0).kind, Dialogs::Kind::Confirmation);

    dialogs.queueSaveFile(listFile("old"));
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    EXPECT_TRUE(UserListCommands::save(ctx, *window, dialogs, folder));
    EXPECT_EQ(bytesOf(listFile("old.tb3")), (storedNames().value(0) + "\r\n").toUtf8());

    // A cancelled dialog writes nothing.
    EXPECT_FALSE(UserListCommands::save(ctx, *window, dialogs, folder));
}

// A user list that has received no songs has no query: its file is empty, and opens as an
// empty user list.
TEST_F(UserListWindowTest, AnEmptyUserListSavesAnEmptyFile)
{
    ListWindow* empty = ListOpeners::openUserList(ctx, &area);
    dialogs.queueSaveFile(listFile("empty.tb3"));
    ASSERT_TRUE(UserListCommands::save(ctx, *empty, dialogs, folder));
    EXPECT_EQ(bytesOf(listFile("empty.tb3")), QByteArray());

    ListWindow* opened = UserListCommands::openFile(ctx, &area, listFile("empty.tb3"));
    EXPECT_EQ(opened->caption(), QStringLiteral("User List (2)"));
    EXPECT_EQ(opened->model()->rowCount(), 0);
    EXPECT_TRUE(opened->qut().isEmpty());
}

// Opening finds each song on its medium whatever folder it is in now (two songs of one name
// in two folders both), and a line written by the Windows program finds a song stored under a
// Windows name; the songs found become the list's members.
TEST_F(UserListWindowTest, OpeningFindsTheSongsAndMakesThemTheMembers)
{
    addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
    addSong({oddArtist, QStringLiteral("Song"), {}});
    QDir(medium).mkpath(QStringLiteral("other"));
    const QString twin = addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
    QFile::rename(twin, medium + QStringLiteral("/other/Abba - Waterloo.mp3"));
    Song windows;
    windows.artist = QStringLiteral("Beatles");
    windows.title = QStringLiteral("Help");
    windows.filename = TextCodec::reFilter(QStringLiteral("D:\\Pop\\Beatles - Help.mp3"));
    windows.location = QStringLiteral("CD1@");
    uq.setSql(Statements::insertSong(windows));
    uq.execSQL();
    shared.userListCounter = 6;

    const QString moved = TextCodec::reFilter(QStringLiteral("/elsewhere/") + oddArtist +
                                              QStringLiteral(" - Song.mp3"));
    writeTestFile(listFile("list.tb3"), (QStringLiteral("/old/Abba - Waterloo.mp3\r\n") + moved +
                                         QStringLiteral("\r\nD|5\\Beatles - Help.mp3\r\n/gone/"
                                                        "none.mp3\r\n"))
                                            .toUtf8());
    dialogs.queueOpenFile(listFile("list.tb3"));
    ListWindow* window = UserListCommands::open(ctx, &area, dialogs, folder);

    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->caption(), QStringLiteral("User List (7)"));
    EXPECT_EQ(column(window, 0), (QStringList{"Abba", "Abba", "Beatles", oddArtist}));
    EXPECT_EQ(window->usrHdrs(), column(window, 10));
    EXPECT_EQ(window->qut(), Statements::selectByIds(window->usrHdrs()));
    EXPECT_TRUE(window->isUserList());
    EXPECT_EQ(dialogs.records(ScriptedDialogs::Call::OpenFile).value(0).detail,
              QStringLiteral("Tamboro 3 user Lists (*.tb3)"));
}

TEST_F(UserListWindowTest, AFileThatFindsNothingOpensAnEmptyUserList)
{
    addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
    writeTestFile(listFile("none.tb3"), "/x/none.mp3\r\nC|5\\y.mp3\r\n");
    ListWindow* window = UserListCommands::openFile(ctx, &area, listFile("none.tb3"));
    EXPECT_EQ(window->caption(), QStringLiteral("User List (1)"));
    EXPECT_EQ(window->model()->rowCount(), 0);
    EXPECT_EQ(window->panelText(0), QStringLiteral("Songs in list: 0"));
    EXPECT_TRUE(window->qut().isEmpty());
}

TEST_F(UserListWindowTest, AFileThatIsNoUserListOpensNoWindow)
{
    writeTestFile(listFile("image.tb3"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    EXPECT_THROW(UserListCommands::openFile(ctx, &area, listFile("image.tb3")), EInOutError);
    EXPECT_THROW(UserListCommands::openFile(ctx, &area, listFile("missing.tb3")), EInOutError);
    EXPECT_TRUE(area.subWindowList().isEmpty());
    EXPECT_EQ(shared.userListCounter, 0);
}

// The list of the songs just added keeps its query of their file names and takes no drops.
TEST_F(UserListWindowTest, TheListOfAddedSongsKeepsItsFileNameQuery)
{
    addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
    const QString added = addSong({QStringLiteral("Queen"), QStringLiteral("Innuendo"), {}});
    const QStringList names{TextCodec::reFilter(added)};

    ListWindow* window = UserListCommands::fromAdded(ctx, &area, names);

    EXPECT_EQ(window->caption(), QStringLiteral("User List"));
    EXPECT_FALSE(window->isUserList());
    EXPECT_EQ(column(window, 0), QStringList{"Queen"});
    EXPECT_EQ(window->qut(), UserLists::fileNameQuery(names));
    EXPECT_EQ(window->usrHdrs(), column(window, 10));
    window->refreshList();
    EXPECT_EQ(column(window, 0), QStringList{"Queen"});
}

// ---- drag and drop --------------------------------------------------------------------------

class SongDropTest : public UserListWindowTest
{
protected:
    // What a drag of the selected rows of `source` carries.
    static std::unique_ptr<QMimeData> dragOf(ListWindow* source)
    {
        QModelIndexList indexes = source->listView()->selectionModel()->selectedIndexes();
        return std::unique_ptr<QMimeData>(source->model()->mimeData(indexes));
    }

    // Moves a drag over `target`'s rows and drops it there; whether the drop was taken.
    static bool dragAndDrop(ListWindow* target, const QMimeData* data,
                            bool* enterAccepted = nullptr)
    {
        QWidget* viewport = target->listView()->viewport();
        const QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        if (enterAccepted)
            *enterAccepted = enter.isAccepted();
        QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        return drop.isAccepted();
    }
};

// Songs 2 and 3 dropped on a user list that holds song 1: they go first, then the member.
TEST_F(SongDropTest, DroppedSongsGoBeforeTheMembers)
{
    addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
    addSong({oddArtist, QStringLiteral("Song"), {}});
    addSong({QStringLiteral("Queen"), QStringLiteral("Innuendo"), {}});
    ListWindow* target = ListOpeners::openUserList(ctx, &area);
    target->dropSongs({QStringLiteral("1")});
    ListWindow* source = openWhole();
    select(source, {1, 2}); // the whole list is in artist order: IDs 2 and 3
    const auto data = dragOf(source);

    bool entered = false;
    EXPECT_TRUE(dragAndDrop(target, data.get(), &entered));

    EXPECT_TRUE(entered);
    EXPECT_EQ(target->usrHdrs(), (QStringList{"2", "3", "1"}));
    EXPECT_EQ(target->qut(), Statements::selectByIds({"2", "3", "1"}));
    EXPECT_EQ(column(target, 0), (QStringList{"Abba", oddArtist, "Queen"}));
    // Dropping a member again keeps it once.
    EXPECT_TRUE(dragAndDrop(target, data.get()));
    EXPECT_EQ(target->usrHdrs(), (QStringList{"2", "3", "1"}));
}

TEST_F(SongDropTest, RefusedOverTheSourceOverOtherListsAndFromOtherPrograms)
{
    addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
    ListWindow* userList = ListOpeners::openUserList(ctx, &area);
    ListWindow* whole = openWhole();
    ListWindow* other = openWhole();
    select(other, {0});

    // Over the window it came from.
    userList->dropSongs({QStringLiteral("1")});
    select(userList, {0});
    const auto own = dragOf(userList);
    EXPECT_FALSE(dragAndDrop(userList, own.get()));
    EXPECT_EQ(userList->usrHdrs(), QStringList{"1"});

    // Over a window that is no user list: refused, but it comes to the front.
    area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(other->parentWidget()));
    const auto rows = dragOf(other);
    EXPECT_FALSE(dragAndDrop(whole, rows.get()));
    EXPECT_EQ(area.activeSubWindow()->widget(), whole);

    // Text from another program, and a payload that is no list of IDs.
    QMimeData text;
    text.setText(QStringLiteral("1\nChild2"));
    EXPECT_FALSE(dragAndDrop(userList, &text));
    QMimeData forged;
    forged.setData(QLatin1String(SongDrag::MimeType), "1 or 1=1\nChild9");
    EXPECT_FALSE(dragAndDrop(userList, &forged));
    EXPECT_EQ(userList->usrHdrs(), QStringList{"1"});
}

} // namespace
