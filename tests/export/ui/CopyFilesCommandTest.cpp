#include "export/ui/CopyFilesCommand.h"

#include "export/ui/CopyWindow.h"
#include "lists/ui/ListWindowFixture.h"
#include "testsupport/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

namespace {

// The command over a whole-database list window with three songs (Abba, Beatles, Queen) and
// a destination folder of its own.
class CopyFilesCommandTest : public ListWindowTest
{
protected:
    CopyFilesCommandTest()
    {
        dialogs.setStrict(true);
        abba = addSong({QStringLiteral("Abba"), QStringLiteral("Waterloo"), {}});
        beatles = addSong({QStringLiteral("Beatles"), QStringLiteral("Help"), {}});
        queen = addSong({QStringLiteral("Queen"), QStringLiteral("Innuendo"), {}});
        list = openWhole();
        QDir(dest.path()).mkpath(QStringLiteral("."));
        // Whatever goes wrong, the copy window does not stay open for ever.
        watchdog.setSingleShot(true);
        watchdog.setInterval(10000);
        QObject::connect(&watchdog, &QTimer::timeout, [this] {
            ADD_FAILURE() << "the copy window was still open after 10 s";
            command.window()->done(QDialog::Rejected);
        });
        watchdog.start();
    }

    QString target(const QString& path) const
    {
        return QDir(dest.path()).filePath(QFileInfo(path).fileName());
    }

    ScriptedDialogs dialogs;
    QTemporaryDir dest;
    QString abba, beatles, queen;
    ListWindow* list = nullptr;
    CopyFilesCommand command{dialogs, nullptr, &gauge};
    QTimer watchdog;
};

TEST_F(CopyFilesCommandTest, aCancelledFolderChoiceDoesNothing)
{
    select(list, {0, 1});
    dialogs.queueFolder(std::nullopt);
    command.run(list);

    EXPECT_EQ(dialogs.records().size(), 1);
    EXPECT_TRUE(command.sources().isEmpty());
    EXPECT_TRUE(QDir(dest.path()).isEmpty());
}

TEST_F(CopyFilesCommandTest, aSelectionWithoutFilesDoesNothingAfterTheFolder)
{
    QFile::remove(abba);
    QFile::remove(queen);
    select(list, {0, 2});
    dialogs.queueFolder(dest.path());
    command.run(list);

    EXPECT_EQ(dialogs.records().size(), 1);
    EXPECT_TRUE(command.sources().isEmpty());
    EXPECT_FALSE(command.window()->isVisible());
    EXPECT_TRUE(gauge.isHidden());
}

TEST_F(CopyFilesCommandTest, theSelectedFilesThatExistAreCopiedInListOrder)
{
    QFile::remove(beatles);
    select(list, {2, 0, 1});
    dialogs.queueFolder(dest.path());
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    bool shownWhileCopying = false;
    dialogs.setOnCall([&](const ScriptedDialogs::Record& record) {
        if (record.call == ScriptedDialogs::Call::Message)
            shownWhileCopying = command.window()->isVisible();
    });
    command.run(list);

    EXPECT_EQ(command.sources(), QStringList({abba, queen}));
    EXPECT_TRUE(QFile::exists(target(abba)));
    EXPECT_TRUE(QFile::exists(target(queen)));
    EXPECT_EQ(command.window()->windowTitle(), QStringLiteral("Copying files..."));
    EXPECT_EQ(command.window()->objectName(), QStringLiteral("TForm9"));
    EXPECT_EQ(command.window()->destination(), dest.path());
    EXPECT_EQ(command.window()->progressBar()->value(), command.window()->progressBar()->maximum());
    EXPECT_EQ(command.window()->closeTimer()->interval(), 750);
    EXPECT_FALSE(shownWhileCopying) << "the window closes before the closing message";
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Information);
    EXPECT_EQ(dialogs.messages()[0].text,
              QStringLiteral("2 of 2 files copied to %1.").arg(dest.path()));
    EXPECT_TRUE(gauge.isHidden());
}

TEST_F(CopyFilesCommandTest, anExistingFileIsAskedAboutOnTheGuiThreadWhileTheWindowShows)
{
    writeTestFile(target(abba), "kept");
    select(list, {0});
    dialogs.queueFolder(dest.path());
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    dialogs.queueChoice(1); // Skip
    bool onGuiThread = false, windowShown = false;
    dialogs.setOnCall([&](const ScriptedDialogs::Record& record) {
        if (record.call != ScriptedDialogs::Call::Choose)
            return;
        onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        windowShown = command.window()->isVisible() && command.window()->isCopying();
    });
    command.run(list);

    const QList<ScriptedDialogs::Record> asked = dialogs.records(ScriptedDialogs::Call::Choose);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].title, QStringLiteral("Copying files..."));
    EXPECT_EQ(asked[0].text,
              QStringLiteral("The folder already holds a file named \"Abba - Waterloo.mp3\"."
                             "\n\nReplace it?"));
    EXPECT_EQ(asked[0].detail, QStringLiteral("Replace|Skip|Replace all|Cancel"));
    EXPECT_TRUE(onGuiThread);
    EXPECT_TRUE(windowShown);
    QFile kept(target(abba));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "kept");
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].text,
              QStringLiteral("0 of 1 file copied to %1.\n1 file already there left as it was.")
                  .arg(dest.path()));
}

TEST_F(CopyFilesCommandTest, failuresAreListedAtTheEnd)
{
    // While the question about the first file is open, the second file goes away.
    writeTestFile(target(abba), "old");
    select(list, {0, 1, 2});
    dialogs.queueFolder(dest.path());
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    dialogs.queueChoice(0); // Replace
    dialogs.setOnCall([&](const ScriptedDialogs::Record& record) {
        if (record.call == ScriptedDialogs::Call::Choose)
            QFile::remove(beatles);
    });
    command.run(list);

    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Error);
    EXPECT_EQ(dialogs.messages()[0].text,
              QStringLiteral("2 of 3 files copied to %1.\n\nThese files could not be copied:\n"
                             "%2: The file no longer exists.")
                  .arg(dest.path(), beatles));
    EXPECT_EQ(QDir(dest.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList(
                  {QStringLiteral("Abba - Waterloo.mp3"), QStringLiteral("Queen - Innuendo.mp3")}));
}

TEST_F(CopyFilesCommandTest, cancelStopsBeforeTheNextFile)
{
    writeTestFile(target(abba), "old");
    select(list, {0, 1, 2});
    dialogs.queueFolder(dest.path());
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    dialogs.queueChoice(1); // Skip, but Cancel was pressed meanwhile
    dialogs.setOnCall([&](const ScriptedDialogs::Record& record) {
        if (record.call == ScriptedDialogs::Call::Choose)
            command.window()->cancelButton()->click();
    });
    command.run(list);

    EXPECT_TRUE(command.lastResult().cancelled);
    EXPECT_EQ(QDir(dest.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Abba - Waterloo.mp3")});
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].text,
              QStringLiteral("Copying was cancelled: 0 of 3 files copied to %1.\n"
                             "1 file already there left as it was.")
                  .arg(dest.path()));
}

} // namespace
