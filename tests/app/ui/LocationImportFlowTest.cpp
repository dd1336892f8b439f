#include "app/ui/AppHarness.h"
#include "app/ui/LocationImportCommand.h"
#include "app/ui/LocationImportWindow.h"
#include "app/ui/MainWindow.h"
#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "testsupport/CaseNames.h"
#include "testsupport/ParadoxWriter.h"
#include "testsupport/TempHome.h"
#include "ui/Gauge.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// ---- "Import" is offered only while the field names an existing file ----

struct PathCase
{
    const char* name;
    QString (*path)(const QTemporaryDir& dir);
    bool enabled;
};

class LocationImportWindowPathTest : public ::testing::TestWithParam<PathCase>
{};

TEST_P(LocationImportWindowPathTest, OffersImportForAnExistingFileOnly)
{
    QTemporaryDir dir;
    writeTestFile(dir.filePath(QStringLiteral("tamboro.db")), "x");
    ScriptedDialogs dialogs;
    LocationImportWindow window(dialogs);
    auto* import = window.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
    ASSERT_NE(import, nullptr);
    EXPECT_FALSE(import->isEnabled());

    window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(GetParam().path(dir));
    EXPECT_EQ(import->isEnabled(), GetParam().enabled);
    window.clearPath();
    EXPECT_FALSE(import->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocationImportWindowPathTest,
    ::testing::Values(
        PathCase{"empty", [](const QTemporaryDir&) { return QString(); }, false},
        PathCase{"missing file",
                 [](const QTemporaryDir& d) { return d.filePath(QStringLiteral("gone.db")); },
                 false},
        PathCase{"a folder", [](const QTemporaryDir& d) { return d.path(); }, false},
        PathCase{"existing file",
                 [](const QTemporaryDir& d) { return d.filePath(QStringLiteral("tamboro.db")); },
                 true}),
    RowName());

// ---- The command from the Utility menu ----

Song cdSong(const QString& artist, const QString& location)
{
    Song song;
    song.artist = artist;
    song.title = QStringLiteral("Song");
    song.filename = QStringLiteral("E:\\Music\\") + artist + QStringLiteral(".mp3");
    song.trackLength = QStringLiteral("0:03:00");
    song.location = location;
    song.played = QStringLiteral("2");
    return song;
}

class LocationImportFlowTest : public ::testing::Test, protected AppHarness
{
protected:
    LocationImportFlowTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        uq.setSql(Statements::insertSong(cdSong(QStringLiteral("Mine"), QStringLiteral("Disk!"))));
        uq.execSQL();
        // The other installation's table: two CD songs and a hard-disk one.
        windowsTable = other.filePath(QStringLiteral("TAMBORO.DB"));
        writeParadoxSongTable(windowsTable, {cdSong(QStringLiteral("Caf\u00e9"), "CD1@"),
                                             cdSong(QStringLiteral("Beta"), "Disk!"),
                                             cdSong(QStringLiteral("Alpha"), "CD1@")});
    }

    // While the import window is open: `act` runs on it, then "Close" if it is still open.
    void whenOpen(MainWindow& window, std::function<void(LocationImportWindow&)> act)
    {
        QTimer::singleShot(0, &window, [&window, act, this] {
            auto* dialog = window.findChild<LocationImportWindow*>(QStringLiteral("Form14"));
            ASSERT_NE(dialog, nullptr);
            wasModal = dialog->isVisible() && dialog->isModal();
            pathWhenOpened = dialog->path();
            act(*dialog);
            stillOpen = dialog->isVisible();
            if (stillOpen)
                dialog->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        });
    }

    static QStringList captions(ListWindow* list)
    {
        QStringList result;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const ListEntry& entry = list->model()->entry(row);
            result << entry.caption + (entry.available ? "" : " (unavailable)");
        }
        return result;
    }

    QTemporaryDir other;
    QString windowsTable;
    bool wasModal = false;
    bool stillOpen = false;
    QString pathWhenOpened = QStringLiteral("not opened");
};

TEST_F(LocationImportFlowTest, ImportsTheChosenTableAndTheListsShowItsSongsUnavailable)
{
    auto window = start();
    act(*window, "Wholedatabase1")->trigger();
    ListWindow* list = window->listWindows().value(0);
    ASSERT_NE(list, nullptr);
    auto* command = window->findChild<LocationImportCommand*>();
    ASSERT_NE(command, nullptr);
    command->window()->findChild<QLineEdit*>()->setText(QStringLiteral("left from before"));

    dialogs.queueOpenFile(windowsTable);
    whenOpen(*window, [](LocationImportWindow& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    });
    act(*window, "Adddatafromanotherdatabase1")->trigger();

    EXPECT_TRUE(wasModal);
    EXPECT_EQ(pathWhenOpened, QString());
    EXPECT_FALSE(stillOpen) << "the window closes after an import";
    const auto chooser = dialogs.records(ScriptedDialogs::Call::OpenFile);
    ASSERT_EQ(chooser.size(), 1);
    EXPECT_EQ(chooser[0].title, QStringLiteral("Select the database to import data from"));
    EXPECT_EQ(chooser[0].detail, QStringLiteral("Tamboro main databases (*.db *.DB)"));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Information);
    EXPECT_EQ(dialogs.messages()[0].text, QStringLiteral("2 records have been imported!"));
    EXPECT_TRUE(window->findChild<Gauge*>()->isHidden());

    ASSERT_TRUE(timer(*window, "RefreshListTimer")->isActive());
    tick(*window, "RefreshListTimer");
    EXPECT_EQ(captions(list), (QStringList{"Alpha (unavailable)", "Caf\u00e9 (unavailable)",
                                           "Mine (unavailable)"}));

    // The CD goes in: its songs can be played.
    const QString cd = volumes.addMedium(QStringLiteral("CD1"), QLatin1Char('@'));
    writeTestFile(QDir(cd).filePath(QStringLiteral("Music/Alpha.mp3")), "mp3");
    tick(*window, "Timer2");
    EXPECT_EQ(captions(list),
              (QStringList{"Alpha", "Caf\u00e9 (unavailable)", "Mine (unavailable)"}));
}

TEST_F(LocationImportFlowTest, ABadFileIsRefusedAndTheWindowStays)
{
    auto window = start();
    const QString bad =
        writeTestFile(other.filePath(QStringLiteral("bad.DB")), QByteArray("not a table at all"));
    whenOpen(*window, [&bad](LocationImportWindow& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(bad);
        dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    });
    act(*window, "Adddatafromanotherdatabase1")->trigger();

    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].kind, Dialogs::Kind::Error);
    EXPECT_TRUE(dialogs.messages()[0].text.contains(QStringLiteral("is not a song table")))
        << dialogs.messages()[0].text.toStdString();
    EXPECT_FALSE(timer(*window, "RefreshListTimer")->isActive());
    SongDatabase db(home.path());
    RQuery rq(db);
    rq.setSql(Statements::selectAll());
    rq.open();
    EXPECT_EQ(rq.recordCount(), 1);
}

} // namespace
