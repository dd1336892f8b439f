#include "lists/ui/ParameterDialog.h"

#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/ScriptedDialogs.h"
#include "testsupport/TempHome.h"
#include "ui/Gauge.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Kind = ParameterDialog::Kind;

class ParameterDialogTest : public ::testing::Test
{
protected:
    ParameterDialogTest() { SongDatabase::createSongTable(home.file("tamboro.db")); }

    // A song as the add run stores it.
    void add(const QString& artist, const QString& genre, const QString& location,
             const QString& album = QString(), const QString& year = QString())
    {
        UQuery uq(db);
        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = QStringLiteral("Song %1").arg(++songs);
        song.filename = QStringLiteral("/music/%1.mp3").arg(songs);
        song.trackLength = QStringLiteral("0:03:00");
        song.genre = genre;
        song.location = location;
        song.album = TextCodec::reFilter(album);
        song.year = year;
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    // Clicks the middle of a row as the user does.
    void click(Kind kind, int row)
    {
        QListView* view = dialog.list(kind);
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

    TempHome home;
    SongDatabase db{home.path()};
    ScriptedDialogs dialogs;
    Gauge gauge;
    ParameterDialog dialog{db, dialogs, &gauge};
    int songs = 0;
};

TEST_F(ParameterDialogTest, ShowingFillsFiveListsSortedWithMediumPicturesAndNoTicks)
{
    add("beta", "Rock", "Disk!", "Gold", "1999");
    add("Alpha", "Pop", "CD 2@", "Blue", "1985");
    add("Alpha", "Pop", "Office serverR");
    add("gamma", "", "Odd?");
    dialog.show();

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Load a list by specifying parameters"));
    EXPECT_EQ(dialog.captions(Kind::Artist), (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(dialog.captions(Kind::Genre), (QStringList{"Pop", "Rock"}));
    EXPECT_EQ(dialog.captions(Kind::Medium), (QStringList{"CD 2", "Disk", "Odd", "Office server"}));
    EXPECT_EQ(dialog.captions(Kind::Album), (QStringList{"Blue", "Gold"}));
    EXPECT_EQ(dialog.captions(Kind::Year), (QStringList{"1985", "1999"}));
    // Only the mediums have pictures, one per kind of medium; an unknown marker has none.
    const QAbstractItemModel* mediums = dialog.list(Kind::Medium)->model();
    for (int row : {0, 1, 3})
        EXPECT_FALSE(mediums->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(mediums->index(2, 0).data(Qt::DecorationRole).isValid());
    EXPECT_EQ(dialog.marker(Kind::Medium, 0), QChar(u'@'));
    EXPECT_FALSE(
        dialog.list(Kind::Artist)->model()->index(0, 0).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(dialog.isTicked(Kind::Artist, 0));
    EXPECT_TRUE(QFileInfo::exists(home.file("Years.dat")));
    EXPECT_TRUE(gauge.isHidden());
    EXPECT_EQ(gauge.gaugeText(), QString());
    EXPECT_TRUE(dialogs.messages().isEmpty());

    // The labels over the lists, and the buttons.
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, (QStringList{"Artists:", "Genres:", "Mediums:", "Albums:", "Years:"}));
    auto* load = dialog.findChild<QPushButton*>("BitBtn1");
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(load->text(), QStringLiteral("&Load list"));
    EXPECT_TRUE(load->isDefault());
    EXPECT_EQ(dialog.findChild<QPushButton*>("BitBtn2")->text(), QStringLiteral("Close"));
}

TEST_F(ParameterDialogTest, AClickOrTheSpaceBarTogglesARowAndTicksGoWithTheDialog)
{
    add("Alpha", "Pop", "Disk!");
    add("Beta", "Rock", "Disk!");
    dialog.show();
    click(Kind::Artist, 1);
    EXPECT_TRUE(dialog.isTicked(Kind::Artist, 1));
    EXPECT_EQ(dialog.list(Kind::Artist)->model()->index(1, 0).data(Qt::CheckStateRole),
              QVariant(Qt::Checked));
    click(Kind::Artist, 1);
    EXPECT_FALSE(dialog.isTicked(Kind::Artist, 1));

    QListView* genres = dialog.list(Kind::Genre);
    genres->setCurrentIndex(genres->model()->index(0, 0));
    QTest::keyClick(genres, Qt::Key_Space);
    EXPECT_TRUE(dialog.isTicked(Kind::Genre, 0));

    dialog.findChild<QPushButton*>("BitBtn2")->click();
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    EXPECT_FALSE(dialog.isTicked(Kind::Genre, 0));
}

TEST_F(ParameterDialogTest, LoadListHandsOnTheTickedRowsTopToBottomAndCloses)
{
    add("B", "Pop", "Disk!");
    add("A", "Rock", "Disk!");
    add("C", "Pop", "Disk!");
    dialog.show();
    QSignalSpy spy(&dialog, &ParameterDialog::loadRequested);
    dialog.toggle(Kind::Artist, 1); // B, ticked before A
    dialog.toggle(Kind::Artist, 0);
    dialog.toggle(Kind::Genre, 0);
    dialog.findChild<QPushButton*>("BitBtn1")->click();

    ASSERT_EQ(spy.count(), 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.request().baseQuery(),
              QStringLiteral("select * from tamboro where (artist=\"A\" or artist=\"B\") and "
                             "(genre=\"Pop\")"));
    EXPECT_EQ(dialog.request().captionText(), QStringLiteral(" (artists: A, B) (genres: Pop)"));
}

TEST_F(ParameterDialogTest, LoadListWithoutATickOnlyCloses)
{
    add("A", "Pop", "Disk!");
    dialog.show();
    QSignalSpy spy(&dialog, &ParameterDialog::loadRequested);
    dialog.loadList();
    EXPECT_EQ(spy.count(), 0);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.request().isEmpty());
}

TEST_F(ParameterDialogTest, AnEmptyTableGivesFiveEmptyListsAndFiveEmptyFiles)
{
    dialog.show();
    for (Kind kind : ValueFiles::kinds) {
        EXPECT_TRUE(dialog.captions(kind).isEmpty());
        QFile file(home.file(ValueFiles::fileName(kind)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << ValueFiles::fileName(kind).toStdString();
        EXPECT_EQ(file.size(), 0);
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(ParameterDialogTest, ATableThatCannotBeReadIsAnErrorBoxAndEmptyLists)
{
    add("A", "Pop", "Disk!");
    dialog.show();
    dialog.hide();
    db.closeConnection();
    ASSERT_TRUE(QFile::remove(home.file("tamboro.db")));
    ASSERT_TRUE(QFile::remove(home.file("Artists.dat")));
    dialog.show();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().first().kind, Dialogs::Kind::Error);
    EXPECT_TRUE(dialog.captions(Kind::Artist).isEmpty());
    EXPECT_TRUE(gauge.isHidden());
}

} // namespace
