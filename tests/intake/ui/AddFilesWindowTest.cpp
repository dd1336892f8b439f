#include "intake/ui/AddFilesWindow.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/TextCodec.h"
#include "intake/ui/AddReportWindow.h"
#include "player/TMPEGPlayer.h"
#include "settings/SettingsStore.h"
#include "testsupport/FakeVolumes.h"
#include "testsupport/QtPrinters.h"
#include "testsupport/ScriptedDialogs.h"
#include "testsupport/TempHome.h"
#include "ui/Gauge.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <memory>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile in(path);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    return in.readAll();
}

// One second of real MPEG audio followed by an ID3v1 tag with this artist and title.
QByteArray taggedMp3(const QByteArray& artist, const QByteArray& title)
{
    QByteArray tag("TAG");
    const auto slot = [&tag](const QByteArray& text, int size) {
        tag += text.left(size) + QByteArray(size - qMin<int>(int(text.size()), size), '\0');
    };
    slot(title, 30);
    slot(artist, 30);
    slot("Album", 30);
    slot("1999", 4);
    slot("", 30);
    tag += char(17);
    return fileBytes(testDataPath(QStringLiteral("id3v1/untagged.mp3"))) + tag;
}

QByteArray untaggedMp3()
{
    return fileBytes(testDataPath(QStringLiteral("id3v1/untagged.mp3")));
}

QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

// One change of the gauge, as the main window's bar shows it.
struct GaugeStep
{
    QString text;
    int value = 0;
    int maximum = 0;
    bool windowEnabled = true;
};

class AddFilesWindowTest : public ::testing::Test
{
protected:
    AddFilesWindowTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        EXPECT_TRUE(QFile::copy(QStringLiteral(T3_MPEGDLL_PATH),
                                home.file(QLatin1String(TMPEGPlayer::LibraryFileName))));
        music = volumes.addMedium(QStringLiteral("MUSIC"));
        cd = volumes.addMedium(QStringLiteral("CD1"), u'@');
        share = volumes.addMedium(QStringLiteral("share"), u'R');
    }

    AddFilesWindow& window()
    {
        if (!m_window) {
            m_window =
                std::make_unique<AddFilesWindow>(home.path(), settings, dialogs, volumes, &gauge);
            m_window->reportWindow()->setShowsModally(false);
            m_window->reportWindow()->setFileOpener([](const QString&) { return true; });
        }
        return *m_window;
    }
    template <typename T> T* find(const char* name)
    {
        T* widget = window().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void click(const char* button) { find<QToolButton>(button)->click(); }
    QListWidget* files() { return find<QListWidget>("FileListBox1"); }
    QListWidget* queueList() { return find<QListWidget>("Filez"); }
    QString medium() { return find<QLineEdit>("Edit3")->text(); }
    QString count() { return find<QLabel>("Label1")->text(); }
    void chooseMedium(const QString& root)
    {
        auto* drives = find<QComboBox>("DriveComboBox1");
        for (int i = 0; i < drives->count(); ++i) {
            if (drives->itemText(i).contains(QStringLiteral("(%1)").arg(root)))
                drives->setCurrentIndex(i);
        }
        ASSERT_EQ(window().folder(), root);
    }
    void select(QListWidget* list, const QStringList& names)
    {
        list->clearSelection();
        for (int row = 0; row < list->count(); ++row) {
            if (names.contains(list->item(row)->text()))
                list->item(row)->setSelected(true);
        }
    }
    // Every row of the song table: artist, title, location.
    QList<QStringList> songs()
    {
        SongDatabase db(home.path());
        RQuery query(db);
        query.setSql(QStringLiteral("select * from tamboro order by ID"));
        query.open();
        QList<QStringList> rows;
        for (query.first(); !query.eof(); query.next())
            rows << QStringList{query.field(SongColumn::Artist), query.field(SongColumn::Title),
                                query.field(SongColumn::Location)};
        return rows;
    }
    QString figure(const char* name)
    {
        auto* label = window().reportWindow()->findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(label, nullptr) << name;
        return label ? label->text() : QString();
    }

    TempHome home;
    SettingsStore settings{std::make_unique<QSettings>(home.settingsFile(), QSettings::IniFormat)};
    ScriptedDialogs dialogs;
    FakeVolumes volumes;
    Gauge gauge;
    QString music;
    QString cd;
    QString share;

private:
    std::unique_ptr<AddFilesWindow> m_window;
};

TEST_F(AddFilesWindowTest, HasItsControlsCaptionsAndHints)
{
    EXPECT_EQ(window().objectName(), "Form5");
    EXPECT_EQ(window().windowTitle(), "Submit files to database");
    const std::pair<const char*, const char*> hints[] = {
        {"SpeedButton1",
         "Scan directory and subdirectories for mp3 files and add them to Add Files "
         "Queue. For complete disks: use root as the start directory"},
        {"SpeedButton2", "Remove all files from Add Files Queue"},
        {"SpeedButton3", "Add all files in directory to Add Files Queue"},
        {"SpeedButton4", "Add files to database"},
        {"SpeedButton5", "Add selected files to Add Files queue"},
        {"SpeedButton6", "Search Network for Mp3's"},
        {"SpeedButton7", "Remove selected files from Add Files queue"},
    };
    for (const auto& [name, hint] : hints)
        EXPECT_EQ(find<QToolButton>(name)->toolTip(), QString::fromLatin1(hint)) << name;
    EXPECT_EQ(find<QToolButton>("SpeedButton4")->text(), "Add files");
    EXPECT_EQ(find<QLabel>("Label2")->text(), "Medium:");
    EXPECT_EQ(count(), "NO files in list.");
    EXPECT_EQ(find<QCheckBox>("CheckBox1")->text(), "Add same files from different mediums");
    EXPECT_TRUE(find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("RadioButton1")->isHidden());
    EXPECT_TRUE(find<QRadioButton>("RadioButton2")->isHidden());
    EXPECT_NE(find<QTreeView>("DirectoryListBox1"), nullptr);
    EXPECT_EQ(files()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(queueList()->selectionMode(), QAbstractItemView::ExtendedSelection);

    // Every medium is offered with its mount point, label and free space.
    auto* drives = find<QComboBox>("DriveComboBox1");
    ASSERT_EQ(drives->count(), 3);
    EXPECT_TRUE(drives->itemText(0).startsWith("MUSIC  (" + music + ")  "))
        << drives->itemText(0).toStdString();
    EXPECT_TRUE(drives->itemText(0).endsWith(" free"));
    EXPECT_FALSE(drives->itemIcon(1).isNull());
}

struct MediumCase
{
    const char* label;
    QChar kind;
    qint64 freeBytes;
    bool ready;
    QChar marker;
    bool writable;
};

void PrintTo(const MediumCase& c, std::ostream* os)
{
    *os << c.label;
}

// Media described case by case (FakeVolumes fixes free space and readiness by kind).
class ListedVolumes final : public Volumes
{
public:
    QList<VolumeInfo> list;
    QStringList roots() const override
    {
        QStringList result;
        for (const VolumeInfo& info : list)
            result << info.root;
        return result;
    }
    QList<VolumeInfo> volumes() const override { return list; }
};

class AddFilesMediumTest : public ::testing::TestWithParam<MediumCase>
{};

TEST_P(AddFilesMediumTest, ChoosingAMediumSetsNameAndKind)
{
    const MediumCase& c = GetParam();
    TempHome home;
    SettingsStore settings(std::make_unique<QSettings>(home.settingsFile(), QSettings::IniFormat));
    ScriptedDialogs dialogs;
    QTemporaryDir roots;
    ListedVolumes volumes;
    VolumeInfo first{roots.filePath(QStringLiteral("first")), QStringLiteral("First"), 1 << 20,
                     true, u'!'};
    VolumeInfo chosen{roots.filePath(QStringLiteral("chosen")), QString::fromLatin1(c.label),
                      c.freeBytes, c.ready, c.kind};
    QDir().mkpath(first.root);
    QDir().mkpath(chosen.root);
    volumes.list = {first, chosen};
    AddFilesWindow window(home.path(), settings, dialogs, volumes, nullptr);
    EXPECT_EQ(window.intakeOptions().mediumName, "First");

    window.findChild<QComboBox*>(QStringLiteral("DriveComboBox1"))->setCurrentIndex(1);

    const IntakeOptions options = window.intakeOptions();
    EXPECT_EQ(options.mediumName, QString::fromLatin1(c.label));
    EXPECT_EQ(options.marker, c.marker);
    EXPECT_EQ(options.writableMedium, c.writable);
    EXPECT_EQ(window.findChild<QRadioButton*>(QStringLiteral("RadioButton1"))->isChecked(),
              !c.writable);
    EXPECT_EQ(window.folder(), chosen.root);
}

INSTANTIATE_TEST_SUITE_P(Cases, AddFilesMediumTest,
                         ::testing::Values(MediumCase{"Disk", u'!', 1 << 30, true, u'!', true},
                                           MediumCase{"CD", u'@', 0, true, u'@', false},
                                           MediumCase{"Full", u'!', 0, true, u'@', false},
                                           MediumCase{"NotReady", u'!', 1 << 30, false, u'@',
                                                      false},
                                           MediumCase{"ReadOnly", u'@', 1 << 30, true, u'@', false},
                                           MediumCase{"Share", u'R', 1 << 30, true, u'R', true},
                                           MediumCase{"FullShare", u'R', 0, true, u'R', false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(AddFilesWindowTest, BrowsingToAShareNamesTheMediumAfterTheShare)
{
    writeTestFile(share + "/pop/a.mp3");
    writeTestFile(music + "/rock/b.mp3");
    EXPECT_EQ(medium(), "MUSIC");
    find<QLineEdit>("Edit3")->setText(QStringLiteral("My own name"));

    // A folder on the medium in use: the name the user typed stays.
    dialogs.queueFolder(music + "/rock");
    click("SpeedButton6");
    EXPECT_EQ(window().folder(), music + "/rock");
    EXPECT_EQ(medium(), "My own name");
    EXPECT_EQ(texts(files()), QStringList{"b.mp3"});
    ASSERT_EQ(dialogs.records(ScriptedDialogs::Call::PickFolder).size(), 1);
    EXPECT_EQ(dialogs.records(ScriptedDialogs::Call::PickFolder).at(0).title,
              "Search Network for Mp3's");

    // A folder on a share: the share's name, whatever was typed, and the network marker.
    find<QLineEdit>("Edit3")->setText(QStringLiteral("typed"));
    dialogs.queueFolder(share + "/pop");
    click("SpeedButton6");
    EXPECT_EQ(window().folder(), share + "/pop");
    EXPECT_EQ(medium(), "share");
    EXPECT_EQ(window().intakeOptions().marker, u'R');
    EXPECT_EQ(texts(files()), QStringList{"a.mp3"});

    // Cancelling changes nothing.
    click("SpeedButton6");
    EXPECT_EQ(window().folder(), share + "/pop");
}

TEST_F(AddFilesWindowTest, QueueTakesANameOnceAndRemovesWhatIsAsked)
{
    for (const char* name :
         {"one/a.mp3", "one/b.MP3", "one/c.wma", "one/notes.txt", "two/a.mp3", "two/d.mp3"})
        writeTestFile(music + "/" + QString::fromLatin1(name));
    window().setFolder(music + "/one");
    EXPECT_EQ(texts(files()), (QStringList{"a.mp3", "b.MP3", "c.wma"}));

    select(files(), {"a.mp3", "c.wma"});
    click("SpeedButton5");
    EXPECT_EQ(window().queue(), (QStringList{music + "/one/a.mp3", music + "/one/c.wma"}));
    EXPECT_EQ(count(), "2 files in list.");

    // a.mp3 of the second folder is taken for the one already queued.
    window().setFolder(music + "/two");
    click("SpeedButton3");
    EXPECT_EQ(window().queue(),
              (QStringList{music + "/one/a.mp3", music + "/one/c.wma", music + "/two/d.mp3"}));
    EXPECT_EQ(texts(queueList()), window().queue());

    select(queueList(), {music + "/one/a.mp3", music + "/two/d.mp3"});
    click("SpeedButton7");
    EXPECT_EQ(window().queue(), QStringList{music + "/one/c.wma"});
    EXPECT_EQ(count(), "1 files in list.");

    click("SpeedButton2");
    EXPECT_TRUE(window().queue().isEmpty());
    EXPECT_EQ(queueList()->count(), 0);
    EXPECT_EQ(count(), "NO files in list.");
}

TEST_F(AddFilesWindowTest, DroppingFilesOnTheQueueQueuesTheSelectedOnes)
{
    writeTestFile(music + "/a.mp3");
    writeTestFile(music + "/b.mp3");
    window().setFolder(music);
    select(files(), {"b.mp3"});
    QAbstractItemModel* model = files()->model();
    std::unique_ptr<QMimeData> dragged(model->mimeData({model->index(1, 0)}));
    ASSERT_NE(dragged, nullptr);

    QWidget* target = queueList()->viewport();
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(window().queue(), QStringList{music + "/b.mp3"});

    // Anything else dropped (a text, files from a file manager) is refused.
    QMimeData text;
    text.setText(music + "/a.mp3");
    QDragEnterEvent foreign(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &foreign);
    EXPECT_FALSE(foreign.isAccepted());
    QDropEvent foreignDrop(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &foreignDrop);
    EXPECT_EQ(window().queue(), QStringList{music + "/b.mp3"});
}

TEST_F(AddFilesWindowTest, ScanQueuesFolderTreeBreadthFirstWithoutNameTest)
{
    writeTestFile(music + "/top.mp3");
    writeTestFile(music + "/b/deep/x.mp3");
    writeTestFile(music + "/a/y.wma");
    writeTestFile(music + "/b/top.mp3");
    QList<GaugeStep> steps;
    QObject::connect(&gauge, &QProgressBar::valueChanged, [&](int value) {
        steps << GaugeStep{gauge.gaugeText(), value, gauge.maximum(), window().isEnabled()};
    });
    window().setFolder(music);

    click("SpeedButton1");

    EXPECT_EQ(window().queue(), (QStringList{music + "/top.mp3", music + "/a/y.wma",
                                             music + "/b/top.mp3", music + "/b/deep/x.mp3"}));
    EXPECT_EQ(count(), "4 files in list.");
    ASSERT_FALSE(steps.isEmpty());
    EXPECT_EQ(steps.first().text, "Scanning subdirectories...");
    EXPECT_EQ(steps.first().maximum, 100);
    EXPECT_FALSE(steps.first().windowEnabled);
    EXPECT_TRUE(gauge.isHidden());
    EXPECT_TRUE(gauge.gaugeText().isEmpty());
    EXPECT_TRUE(window().isEnabled());

    // The scan appends as it finds: no name test, so a second scan doubles the queue.
    click("SpeedButton1");
    EXPECT_EQ(window().queue().size(), 8);
}

TEST_F(AddFilesWindowTest, SameFilesSettingIsStoredAtOnceAndReadOnActivation)
{
    auto* box = find<QCheckBox>("CheckBox1");
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(settings.text(QLatin1String(SettingsStore::AddAllFilesFromCD)), "False");
    EXPECT_FALSE(window().intakeOptions().sameFilesFromDifferentMediums);
    box->click();
    EXPECT_EQ(settings.text(QLatin1String(SettingsStore::AddAllFilesFromCD)), "True");

    settings.setText(QLatin1String(SettingsStore::AddAllFilesFromCD), QStringLiteral("False"));
    window().show();
    EXPECT_FALSE(box->isChecked());
    window().hide();
    settings.setText(QLatin1String(SettingsStore::AddAllFilesFromCD), QStringLiteral("True"));
    window().show();
    EXPECT_TRUE(box->isChecked());
}

// The Options setting "Read ID3v2 tags when a file has no ID3v1 tag" reaches the run as it
// stands when the run starts.
TEST_F(AddFilesWindowTest, Id3v2SettingOfOptionsReachesTheRun)
{
    EXPECT_TRUE(window().intakeOptions().readId3v2Tags);
    settings.setFlag(QLatin1String(SettingsStore::ReadID3v2Tags), false);
    EXPECT_FALSE(window().intakeOptions().readId3v2Tags);
    settings.setFlag(QLatin1String(SettingsStore::ReadID3v2Tags), true);
    EXPECT_TRUE(window().intakeOptions().readId3v2Tags);
}

TEST_F(AddFilesWindowTest, MediumNameWithADoubleQuoteIsRefusedBeforeAnythingIsAdded)
{
    const QString song = writeTestFile(music + "/song.mp3", taggedMp3("Nina Vale", "Harbour"));
    window().setFolder(music);
    click("SpeedButton3");
    find<QLineEdit>("Edit3")->setText(QStringLiteral("My \"Best\" CD"));

    click("SpeedButton4");

    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).kind, Dialogs::Kind::Error);
    EXPECT_TRUE(dialogs.messages().at(0).text.contains(QStringLiteral("My \"Best\" CD")));
    EXPECT_TRUE(dialogs.messages().at(0).text.contains(QStringLiteral("double quote")));
    EXPECT_EQ(window().queue(), QStringList{song});
    EXPECT_FALSE(window().reportWindow()->isVisible());
    EXPECT_TRUE(songs().isEmpty());
}

TEST_F(AddFilesWindowTest, AddRunsWithAMovingGaugeAndShowsTheReport)
{
    const QString tagged = writeTestFile(music + "/tagged.mp3", taggedMp3("Nina Vale", "Harbour"));
    const QString named = writeTestFile(music + "/Rez Vuvevo - Jamming.mp3", untaggedMp3());
    const QString broken = writeTestFile(music + "/broken.mp3", QByteArray(300, 'x'));
    window().show();
    window().setFolder(music);
    click("SpeedButton3");
    ASSERT_EQ(window().queue().size(), 3);

    QList<GaugeStep> steps;
    bool closedWhileRunning = false;
    QObject::connect(&gauge, &QProgressBar::valueChanged, [&](int value) {
        steps << GaugeStep{gauge.gaugeText(), value, gauge.maximum(), window().isEnabled()};
        // No other command while the run goes on: closing is refused.
        window().reject();
        closedWhileRunning = closedWhileRunning || window().isHidden();
    });

    click("SpeedButton4");

    ASSERT_FALSE(steps.isEmpty());
    EXPECT_EQ(steps.first().text, "Adding files to database...");
    EXPECT_EQ(steps.first().maximum, 3);
    for (const GaugeStep& step : std::as_const(steps))
        EXPECT_FALSE(step.windowEnabled);
    EXPECT_FALSE(closedWhileRunning);
    EXPECT_TRUE(gauge.isHidden());
    EXPECT_TRUE(window().isEnabled());
    EXPECT_FALSE(window().isRunning());
    EXPECT_TRUE(window().queue().isEmpty());
    EXPECT_EQ(count(), "NO files in list.");
    EXPECT_TRUE(dialogs.messages().isEmpty());

    AddReportWindow* report = window().reportWindow();
    EXPECT_TRUE(report->isVisible());
    EXPECT_EQ(figure("AddedFigure"), "2");
    EXPECT_EQ(figure("DoublesFigure"), "0");
    EXPECT_EQ(figure("BadFigure"), "1");
    EXPECT_EQ(figure("TotalFigure"), "3");
    EXPECT_EQ(figure("FullFigure"), "1");
    EXPECT_EQ(figure("PartialFigure"), "0");
    auto* list = report->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(2), broken);
    EXPECT_EQ(report->rows().at(0).picture, ReportRow::Bad);
    EXPECT_EQ(list->topLevelItem(1)->text(0), "Rez Vuvevo");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Jamming");
    EXPECT_EQ(list->topLevelItem(1)->text(2), named);
    EXPECT_EQ(report->rows().at(1).picture, ReportRow::Recognized);
    EXPECT_EQ(songs(), (QList<QStringList>{{"Nina Vale", "Harbour", "MUSIC!"},
                                           {"Rez Vuvevo", "Jamming", "MUSIC!"}}));

    // Closing the report asks for a refresh of the lists and, as ticked, for a user list of
    // the songs inserted (as stored); both windows close.
    QSignalSpy refresh(&window(), &AddFilesWindow::refreshListsRequested);
    QSignalSpy userList(&window(), &AddFilesWindow::userListOfAddedRequested);
    report->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
    report->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    EXPECT_EQ(refresh.size(), 1);
    ASSERT_EQ(userList.size(), 1);
    EXPECT_EQ(userList.at(0).at(0).toStringList(),
              (QStringList{TextCodec::reFilter(tagged), TextCodec::reFilter(named)}));
    EXPECT_FALSE(report->isVisible());
    EXPECT_FALSE(window().isVisible());

    // The same song again, from the same medium: a double, whatever the setting.
    window().show();
    window().setFolder(music);
    select(files(), {"tagged.mp3"});
    click("SpeedButton5");
    click("SpeedButton4");
    EXPECT_EQ(figure("DoublesFigure"), "1");
    EXPECT_EQ(figure("AddedFigure"), "0");
    EXPECT_EQ(figure("TotalFigure"), "1");
    ASSERT_EQ(report->rows().size(), 1);
    EXPECT_EQ(report->rows().at(0).picture, ReportRow::Double);
    EXPECT_EQ(report->rows().at(0).fileName, tagged);
    EXPECT_EQ(songs().size(), 2);

    // Still ticked: Close asks for a user list even though nothing was inserted.
    report->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    EXPECT_EQ(refresh.size(), 2);
    ASSERT_EQ(userList.size(), 2);
    EXPECT_TRUE(userList.at(1).at(0).toStringList().isEmpty());
}

TEST_F(AddFilesWindowTest, SameSongFromAnotherMediumFollowsTheSetting)
{
    writeTestFile(music + "/song.mp3", taggedMp3("Nina Vale", "Harbour"));
    writeTestFile(share + "/song.mp3", taggedMp3("Nina Vale", "Harbour"));
    const auto addFrom = [this](const QString& root) {
        chooseMedium(root);
        click("SpeedButton3");
        click("SpeedButton4");
        window().reportWindow()->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    };
    addFrom(music);

    find<QCheckBox>("CheckBox1")->click(); // unchecked: the song is a double anywhere
    addFrom(share);
    EXPECT_EQ(figure("DoublesFigure"), "1");
    EXPECT_EQ(songs().size(), 1);

    find<QCheckBox>("CheckBox1")->click(); // checked: another medium holds its own copy
    addFrom(share);
    EXPECT_EQ(figure("DoublesFigure"), "0");
    EXPECT_EQ(songs(), (QList<QStringList>{{"Nina Vale", "Harbour", "MUSIC!"},
                                           {"Nina Vale", "Harbour", "shareR"}}));
}

TEST_F(AddFilesWindowTest, RunThatFailsShowsTheErrorAndKeepsTheQueue)
{
    const QString song = writeTestFile(music + "/song.mp3", taggedMp3("Nina Vale", "Harbour"));
    const QString library = home.file(QLatin1String(TMPEGPlayer::LibraryFileName));
    window().setFolder(music);
    click("SpeedButton3");

    const auto addAndExpectError = [&] {
        dialogs.clear();
        click("SpeedButton4");
        ASSERT_EQ(dialogs.messages().size(), 1);
        EXPECT_EQ(dialogs.messages().at(0).kind, Dialogs::Kind::Error);
        EXPECT_FALSE(dialogs.messages().at(0).text.isEmpty());
        EXPECT_EQ(window().queue(), QStringList{song});
        EXPECT_FALSE(window().reportWindow()->isVisible());
        EXPECT_TRUE(gauge.isHidden());
        EXPECT_TRUE(window().isEnabled());
    };
    {
        SCOPED_TRACE("no decoder library");
        ASSERT_TRUE(QFile::rename(library, library + ".away"));
        addAndExpectError();
        EXPECT_TRUE(songs().isEmpty());
        ASSERT_TRUE(QFile::rename(library + ".away", library));
    }
    {
        SCOPED_TRACE("no song table");
        ASSERT_TRUE(QFile::remove(home.file(QStringLiteral("tamboro.db"))));
        addAndExpectError();
    }
}

TEST_F(AddFilesWindowTest, AddWithAnEmptyQueueDoesNothing)
{
    dialogs.setStrict(true);
    click("SpeedButton4");
    EXPECT_FALSE(window().reportWindow()->isVisible());
    EXPECT_TRUE(dialogs.records().isEmpty());
}

} // namespace
