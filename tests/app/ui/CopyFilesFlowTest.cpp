#include "app/ui/AppHarness.h"
#include "app/ui/MainWindow.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "testsupport/TempHome.h"

#include <QAction>
#include <QDir>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// "File functions > Copy selected files to..." from a list window of the main window, over
// three songs whose files exist.
class CopyFilesFlowTest : public ::testing::Test, protected AppHarness
{
protected:
    CopyFilesFlowTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        for (const char* artist : {"Abba", "Beatles", "Queen"}) {
            const QString path = QDir(files.path()).filePath(QString::fromLatin1(artist) + ".mp3");
            writeTestFile(path, artist);
            Song song;
            song.artist = QString::fromLatin1(artist);
            song.title = QStringLiteral("T");
            song.filename = path;
            song.trackLength = QStringLiteral("0:00:01");
            song.location = QStringLiteral("Disk!");
            uq.setSql(Statements::insertSong(song.storedForm()));
            uq.execSQL();
        }
    }

    // The whole database with the rows of Abba and Queen selected, activated more than once.
    ListWindow* openList(MainWindow& window)
    {
        act(window, "Wholedatabase1")->trigger();
        ListWindow* list = window.listWindows().value(0);
        if (!list)
            return nullptr;
        list->windowActivated();
        selectRows(*list, {0, 2});
        return list;
    }

    QTemporaryDir files;
    QTemporaryDir dest;
};

TEST_F(CopyFilesFlowTest, aCancelledFolderChoiceDoesNothing)
{
    auto window = start();
    ListWindow* list = openList(*window);
    ASSERT_NE(list, nullptr);
    dialogs.queueFolder(std::nullopt);
    list->action(ListWindow::Command::CopyFiles)->trigger();

    EXPECT_EQ(dialogs.records(ScriptedDialogs::Call::PickFolder).size(), 1);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_TRUE(QDir(dest.path()).isEmpty());
}

TEST_F(CopyFilesFlowTest, theSelectedFilesArriveOnceAndTheCountIsShown)
{
    auto window = start();
    ListWindow* list = openList(*window);
    ASSERT_NE(list, nullptr);
    dialogs.queueFolder(dest.path());
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    list->action(ListWindow::Command::CopyFiles)->trigger();

    EXPECT_EQ(dialogs.records(ScriptedDialogs::Call::PickFolder).size(), 1);
    EXPECT_EQ(QDir(dest.path()).entryList(QDir::Files),
              QStringList({QStringLiteral("Abba.mp3"), QStringLiteral("Queen.mp3")}));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].text,
              QStringLiteral("2 of 2 files copied to %1.").arg(dest.path()));
}

} // namespace
