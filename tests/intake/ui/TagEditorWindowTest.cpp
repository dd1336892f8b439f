#include "intake/ui/TagEditorWindow.h"
#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "intake/GenreLists.h"
#include "intake/TaggedFixture.h"
#include "lists/ListEntry.h"
#include "testsupport/ScriptedDialogs.h"
#include "testsupport/TempHome.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

ListEntry songEntry()
{
    ListEntry entry;
    entry.caption = QStringLiteral("Nina Vale");
    entry.sub = {QStringLiteral("Glass \"Harbour\""),
                 QStringLiteral("4:02"),
                 QStringLiteral("/media/nina/CD1/glass harbour.mp3"),
                 QStringLiteral("Tides"),
                 QStringLiteral("first pressing"),
                 QStringLiteral("1999"),
                 QStringLiteral("Jazz"),
                 QStringLiteral("44100"),
                 QStringLiteral("192"),
                 QStringLiteral("1234"),
                 QStringLiteral("Tides CD@"),
                 QStringLiteral("17")};
    entry.available = true;
    return entry;
}

class TagEditorWindowTest : public ::testing::Test
{
protected:
    template <typename T> T* find(const char* name) const
    {
        T* widget = m_editor.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString edit(const char* name) const { return find<QLineEdit>(name)->text(); }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
    QComboBox* genre() const { return find<QComboBox>("ComboBox1"); }
    QPushButton* save() const { return find<QPushButton>("Button1"); }
    QImage picture(const char* name) const { return find<QLabel>(name)->pixmap().toImage(); }

    void submit(const ListEntry& entry) { m_editor.submitItemInfo(entry); }

    TempHome m_home;
    SongDatabase m_db{m_home.path()};
    UQuery m_uq{m_db};
    ScriptedDialogs m_dialogs;
    TagEditorWindow m_editor{m_uq, m_home.path(), m_dialogs};
};

TEST_F(TagEditorWindowTest, StartsEmptyWithItsControls)
{
    EXPECT_EQ(m_editor.objectName(), "Form3");
    EXPECT_EQ(m_editor.windowTitle(), "ID3 Tag Editor");
    EXPECT_TRUE(m_editor.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(m_editor.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    EXPECT_TRUE(find<QLineEdit>("Edit3")->isReadOnly());
    for (const char* name : {"Edit1", "Edit2", "Edit4", "Edit5", "Edit6"})
        EXPECT_FALSE(find<QLineEdit>(name)->isReadOnly()) << name;
    EXPECT_EQ(find<QLineEdit>("Edit6")->maxLength(), 4);

    EXPECT_FALSE(genre()->isEditable());
    ASSERT_EQ(genre()->count(), 115);
    for (int i = 0; i < 115; ++i)
        EXPECT_EQ(genre()->itemText(i), GenreLists::pick().at(i)) << i;
    EXPECT_EQ(genre()->currentIndex(), -1);

    for (const char* name : {"Label9", "Label13", "Label14", "Panel3"})
        EXPECT_EQ(label(name), "n/a") << name;
    EXPECT_EQ(save()->text(), "Save changes");
    EXPECT_FALSE(save()->isEnabled());

    // The three medium pictures are hidden sources, each different.
    m_editor.show();
    for (const char* name : {"Image2", "Image3", "Image4"}) {
        EXPECT_FALSE(find<QLabel>(name)->isVisible()) << name;
        EXPECT_FALSE(picture(name).isNull()) << name;
    }
    EXPECT_NE(picture("Image2"), picture("Image3"));
    EXPECT_NE(picture("Image3"), picture("Image4"));
    EXPECT_NE(picture("Image2"), picture("Image4"));
    EXPECT_TRUE(find<QWidget>("Panel1")->isVisible());
    EXPECT_TRUE(find<QLabel>("Image1")->isVisible());
}

TEST_F(TagEditorWindowTest, SubmittedRowFillsEveryControl)
{
    submit(songEntry());
    EXPECT_EQ(edit("Edit1"), "Nina Vale");
    EXPECT_EQ(edit("Edit2"), "Glass \"Harbour\"");
    EXPECT_EQ(edit("Edit3"), "/media/nina/CD1/glass harbour.mp3");
    EXPECT_EQ(edit("Edit4"), "Tides");
    EXPECT_EQ(edit("Edit5"), "first pressing");
    EXPECT_EQ(edit("Edit6"), "1999");
    EXPECT_EQ(genre()->currentText(), "Jazz");
    EXPECT_EQ(label("Label9"), "1234");
    EXPECT_EQ(label("Label13"), "44100Hz");
    EXPECT_EQ(label("Label14"), "192kbps");
    EXPECT_EQ(label("Panel2"), "Tides CD");
    EXPECT_EQ(label("Panel3"), "17");
    EXPECT_EQ(picture("Image1"), picture("Image3"));
    EXPECT_TRUE(save()->isEnabled());
}

TEST_F(TagEditorWindowTest, LongTextsShowTheirBeginning)
{
    ListEntry entry = songEntry();
    entry.caption = QString(300, QLatin1Char('a'));
    entry.sub[ListEntry::Filename] = QStringLiteral("/media/") + QString(300, QLatin1Char('b'));
    submit(entry);
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"})
        EXPECT_EQ(find<QLineEdit>(name)->cursorPosition(), 0) << name;
}

TEST_F(TagEditorWindowTest, NextRowReplacesEverythingThePreviousRowShowed)
{
    submit(songEntry());
    ASSERT_EQ(genre()->currentText(), "Jazz");

    ListEntry next;
    next.caption = QStringLiteral("Ola Berg");
    next.sub = {QStringLiteral("Fjord"),
                QStringLiteral("3:10"),
                QStringLiteral("/music/fjord.mp3"),
                QString(),
                QString(),
                QString(),
                QStringLiteral("Folk-Rock"),
                QStringLiteral("22050"),
                QStringLiteral("128"),
                QStringLiteral("77"),
                QStringLiteral("Music"),
                QStringLiteral("0")};
    submit(next);

    EXPECT_EQ(edit("Edit1"), "Ola Berg");
    EXPECT_EQ(edit("Edit2"), "Fjord");
    EXPECT_EQ(edit("Edit3"), "/music/fjord.mp3");
    EXPECT_EQ(edit("Edit4"), "");
    EXPECT_EQ(edit("Edit5"), "");
    EXPECT_EQ(edit("Edit6"), "");
    EXPECT_EQ(genre()->currentIndex(), -1) << "not the previous song's genre";
    EXPECT_EQ(genre()->currentText(), "");
    EXPECT_EQ(label("Label9"), "77");
    EXPECT_EQ(label("Label13"), "22050Hz");
    EXPECT_EQ(label("Label14"), "128kbps");
    EXPECT_EQ(label("Panel2"), "Musi");
    EXPECT_EQ(label("Panel3"), "0");
    EXPECT_TRUE(find<QLabel>("Image1")->pixmap().isNull()) << "not the previous song's CD";
}

struct GenreCase
{
    const char* name;
    const char* before; // the choice left by the previous row ("" none)
    const char* genre;  // the row's genre
    const char* after;  // the choice afterwards ("" none)
};

void PrintTo(const GenreCase& c, std::ostream* os)
{
    *os << c.name;
}

class TagEditorGenreTest : public TagEditorWindowTest,
                           public ::testing::WithParamInterface<GenreCase>
{};

TEST_P(TagEditorGenreTest, GenreChoiceIsTheRowsEntryOrNone)
{
    const GenreCase& c = GetParam();
    genre()->setCurrentIndex(genre()->findText(QString::fromUtf8(c.before)));
    ListEntry entry = songEntry();
    entry.sub[ListEntry::Genre] = QString::fromUtf8(c.genre);
    submit(entry);
    EXPECT_EQ(genre()->currentText(), QString::fromUtf8(c.after));
    if (std::string(c.after).empty()) {
        EXPECT_EQ(genre()->currentIndex(), -1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Genres, TagEditorGenreTest,
    ::testing::Values(
        GenreCase{"ExactEntry", "Jazz", "Rock", "Rock"},
        GenreCase{"ExactPickListSpelling", "", "Folk/Rock", "Folk/Rock"},
        GenreCase{"SecondPickListSpelling", "", "Fast-Fusion", "Fast-Fusion"},
        // "Roc" occurs inside "Rock": found, but no entry is equal, so nothing is chosen.
        GenreCase{"PartOfAnEntryClearsTheChoice", "Jazz", "Roc", ""},
        GenreCase{"AcrossTwoEntriesClearsTheChoice", "Jazz", "Blues\r\nClassic", ""},
        // A genre that is not one of the entries never keeps the previous song's choice.
        GenreCase{"OtherLetterCaseClearsTheChoice", "Pop", "jazz", ""},
        GenreCase{"UnknownGenreClearsTheChoice", "Jazz", "Schlager", ""},
        GenreCase{"TagSpellingClearsTheChoice", "Jazz", "Folk-Rock", ""},
        GenreCase{"EmptyGenreClearsTheChoice", "Jazz", "", ""},
        GenreCase{"EmptyGenreLeavesNoChoice", "", "", ""}),
    [](const ::testing::TestParamInfo<GenreCase>& info) { return std::string(info.param.name); });

struct MediumCase
{
    const char* name;
    const char* location;
    const char* picture; // the source picture shown afterwards; "" none
    const char* text;
};

void PrintTo(const MediumCase& c, std::ostream* os)
{
    *os << c.name;
}

class TagEditorMediumTest : public TagEditorWindowTest,
                            public ::testing::WithParamInterface<MediumCase>
{};

TEST_P(TagEditorMediumTest, MarkerChoosesThePictureAndIsCutFromTheText)
{
    const MediumCase& c = GetParam();
    // A row from the network first, so that "unchanged" is visible.
    ListEntry first = songEntry();
    first.sub[ListEntry::Location] = QStringLiteral("ShareR");
    submit(first);
    ASSERT_EQ(picture("Image1"), picture("Image4"));

    ListEntry entry = songEntry();
    entry.sub[ListEntry::Location] = QString::fromUtf8(c.location);
    submit(entry);
    if (*c.picture)
        EXPECT_EQ(picture("Image1"), picture(c.picture));
    else
        EXPECT_TRUE(find<QLabel>("Image1")->pixmap().isNull()) << "no picture of the row before";
    EXPECT_EQ(label("Panel2"), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Mediums, TagEditorMediumTest,
    ::testing::Values(MediumCase{"Cd", "Tides CD@", "Image3", "Tides CD"},
                      MediumCase{"HardDisk", "System!", "Image2", "System"},
                      MediumCase{"Network", "Office serverR", "Image4", "Office server"},
                      MediumCase{"LowerCaseRIsNoMarker", "Diskr", "", "Disk"},
                      MediumCase{"OtherMarker", "Old disk#", "", "Old disk"},
                      MediumCase{"MarkerOnly", "!", "Image2", ""}, MediumCase{"Empty", "", "", ""}),
    [](const ::testing::TestParamInfo<MediumCase>& info) { return std::string(info.param.name); });

TEST_F(TagEditorWindowTest, SaveIsEnabledExactlyWhileTheArtistBoxHoldsText)
{
    m_editor.show();
    QLineEdit* artist = find<QLineEdit>("Edit1");
    QTest::keyClicks(artist, QStringLiteral("A"));
    EXPECT_TRUE(save()->isEnabled());
    QTest::keyClick(artist, Qt::Key_Backspace);
    EXPECT_FALSE(save()->isEnabled());
    QTest::keyClicks(artist, QStringLiteral("B"));
    EXPECT_TRUE(save()->isEnabled());

    // A row without an artist empties the box, which disables saving.
    ListEntry entry = songEntry();
    entry.caption.clear();
    submit(entry);
    EXPECT_FALSE(save()->isEnabled());
    submit(songEntry());
    EXPECT_TRUE(save()->isEnabled());

    // A search result window forbids saving its rows until the user types again.
    m_editor.setSaveEnabled(false);
    EXPECT_FALSE(save()->isEnabled());
    QTest::keyClicks(artist, QStringLiteral("x"));
    EXPECT_TRUE(save()->isEnabled());
}

TEST_F(TagEditorWindowTest, YearBoxTakesAtMostFourCharacters)
{
    m_editor.show();
    QLineEdit* year = find<QLineEdit>("Edit6");
    QTest::keyClicks(year, QStringLiteral("199912"));
    EXPECT_EQ(year->text(), "1999");
}

TEST_F(TagEditorWindowTest, ClosingByItsCloseBoxIsReported)
{
    QSignalSpy closed(&m_editor, &TagEditorWindow::closedByUser);
    m_editor.show();
    m_editor.hide();
    EXPECT_EQ(closed.count(), 0) << "hiding by the program is no close by the user";
    m_editor.show();
    EXPECT_TRUE(m_editor.close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(m_editor.isVisible());
}

// ---- Saving ----

class TagEditorSaveTest : public TagEditorWindowTest
{
protected:
    TagEditorSaveTest()
    {
        SongDatabase::createSongTable(m_home.file(QStringLiteral("tamboro.db")));
        writeTestFile(m_home.file(QStringLiteral("Artists.dat")), "The Testers\r\n");
        m_editor.show();
    }

    // A copy of the fixture "tagged.mp3" (or `bytes`) as the song of row 1; returns the row
    // as the list shows it.
    ListEntry addSong(const QByteArray& bytes = QByteArray())
    {
        m_path = m_home.file(QStringLiteral("music/song.mp3"));
        writeTestFile(m_path, bytes.isNull() ? fileBytes(testDataPath("id3v1/tagged.mp3")) : bytes);
        const Song song = taggedFixtureSong(m_path);
        m_uq.setSql(Statements::insertSong(song));
        m_uq.execSQL();
        ListEntry entry;
        entry.caption = song.artist;
        entry.sub = {
            song.title, song.trackLength, m_path,       song.album, song.comment,  song.year,
            song.genre, song.frequency,   song.bitrate, "1",        song.location, "0"};
        return entry;
    }

    static QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    Song row()
    {
        RQuery rq(m_db);
        rq.setSql(Statements::selectById(QStringLiteral("1")));
        rq.open();
        rq.first();
        return songFromRecord(rq);
    }

    // Types `text` over the whole content of a box, as the user would.
    void retype(const char* box, const QString& text)
    {
        QLineEdit* edit = find<QLineEdit>(box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    void clickSave() { QTest::mouseClick(save(), Qt::LeftButton); }
    bool artistsCacheExists() const
    {
        return QFile::exists(m_home.file(QStringLiteral("Artists.dat")));
    }

    QString m_path;
    QSignalSpy m_refresh{&m_editor, &TagEditorWindow::refreshListsRequested};
};

TEST_F(TagEditorSaveTest, SaveWritesTheRowAndTheTagThenRefreshesTheLists)
{
    submit(addSong());
    retype("Edit2", QStringLiteral("Say \"when\""));
    genre()->setCurrentIndex(GenreLists::pick().indexOf(QStringLiteral("Folk/Rock")));
    clickSave();

    EXPECT_TRUE(m_dialogs.messages().isEmpty());
    const Song stored = row();
    EXPECT_EQ(stored.title, "Say |2when|2");
    EXPECT_EQ(stored.genre, "Folk/Rock");
    EXPECT_EQ(stored.year, "1999");
    const QByteArray tag = fileBytes(m_path).right(128);
    EXPECT_EQ(tag.mid(3, 30), QByteArray("Say \"when\"").leftJustified(30, ' '));
    EXPECT_EQ(tag.at(127), 0) << "Folk/Rock is no name of the intake list";
    EXPECT_FALSE(artistsCacheExists());
    EXPECT_EQ(m_refresh.count(), 1);
}

// The year box shows four characters; a longer stored year is saved whole unless the user
// typed a year.
TEST_F(TagEditorSaveTest, LongStoredYearIsKeptByASaveThatDidNotTouchIt)
{
    ListEntry entry = addSong();
    m_uq.setSql(QStringLiteral("update tamboro set syear=\"2001-05-03\" where ID=1"));
    m_uq.execSQL();
    entry.sub[ListEntry::Year] = QStringLiteral("2001-05-03");
    submit(entry);
    EXPECT_EQ(edit("Edit6"), "2001");
    EXPECT_EQ(find<QLineEdit>("Edit6")->toolTip(), "2001-05-03");

    retype("Edit2", QStringLiteral("Holy Night"));
    clickSave();
    EXPECT_EQ(row().title, "Holy Night");
    EXPECT_EQ(row().year, "2001-05-03");
    EXPECT_EQ(fileBytes(m_path).right(128).mid(93, 4), "2001");

    retype("Edit6", QStringLiteral("1987"));
    clickSave();
    EXPECT_EQ(row().year, "1987");
    EXPECT_TRUE(m_dialogs.messages().isEmpty());
}

TEST_F(TagEditorSaveTest, NoGenreChosenShowsAnErrorAndWritesNothing)
{
    ListEntry entry = addSong();
    entry.sub[ListEntry::Genre] = QStringLiteral("Folk-Rock"); // not an entry of the pick list
    submit(entry);
    const QByteArray before = fileBytes(m_path);
    retype("Edit2", QStringLiteral("Holy Night"));
    clickSave();

    ASSERT_EQ(m_dialogs.messages().size(), 1);
    EXPECT_EQ(m_dialogs.messages().first().kind, Dialogs::Kind::Error);
    EXPECT_TRUE(m_dialogs.messages().first().text.contains("No genre is chosen"));
    EXPECT_EQ(row().title, "Silent Night");
    EXPECT_EQ(fileBytes(m_path), before);
    EXPECT_TRUE(artistsCacheExists());
    EXPECT_EQ(m_refresh.count(), 0);
}

TEST_F(TagEditorSaveTest, NothingLoadedGivesTheDatabaseErrorAndWritesNothing)
{
    addSong();
    const QByteArray before = fileBytes(m_path);
    retype("Edit1", QStringLiteral("Someone"));
    genre()->setCurrentIndex(0);
    ASSERT_TRUE(save()->isEnabled());
    clickSave();

    ASSERT_EQ(m_dialogs.messages().size(), 1);
    EXPECT_EQ(m_dialogs.messages().first().kind, Dialogs::Kind::Error);
    EXPECT_TRUE(m_dialogs.messages().first().text.contains("n/a"));
    EXPECT_EQ(row().artist, "The Testers");
    EXPECT_EQ(fileBytes(m_path), before);
    EXPECT_EQ(m_refresh.count(), 0);
}

// The table changed, so the lists show it; the user learns that the file kept its old tag.
TEST_F(TagEditorSaveTest, TagThatCannotBeWrittenIsReportedAfterTheRowChanged)
{
    submit(addSong("TAG tiny")); // shorter than a tag: reading it is an input/output error
    retype("Edit2", QStringLiteral("Holy Night"));
    clickSave();

    EXPECT_EQ(row().title, "Holy Night");
    EXPECT_EQ(fileBytes(m_path), "TAG tiny");
    EXPECT_EQ(m_refresh.count(), 1);
    EXPECT_FALSE(artistsCacheExists());
    ASSERT_EQ(m_dialogs.messages().size(), 1);
    EXPECT_EQ(m_dialogs.messages().first().kind, Dialogs::Kind::Error);
    EXPECT_TRUE(m_dialogs.messages().first().text.contains(m_path));
}

} // namespace
