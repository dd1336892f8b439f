#include "lists/ValueFiles.h"
#include "db/SongTableFixture.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using ValueFiles::Kind;

class ValueFilesTest : public SongTableFixture
{
protected:
    // A song with its texts as the add run stores them: artist and album encoded, genre, year
    // and location as they are.
    void add(const QString& artist, const QString& album, const QString& genre, const QString& year,
             const QString& location)
    {
        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = QStringLiteral("Song %1").arg(++m_songs);
        song.filename = QStringLiteral("/music/%1.mp3").arg(m_songs);
        song.trackLength = QStringLiteral("0:03:00");
        song.album = TextCodec::reFilter(album);
        song.genre = genre;
        song.year = year;
        song.location = location;
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    QString path(Kind kind) const { return home.file(ValueFiles::fileName(kind)); }
    QByteArray content(Kind kind) const
    {
        QFile file(path(kind));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    void put(Kind kind, const QByteArray& bytes) const
    {
        QFile file(path(kind));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void addSample()
    {
        add("beta", "Gold", "Rock", "1999", "Disk!");
        add("Alpha's", "gold", "Pop", "1999", "CD 2@");
        add("beta", "", "", "", "Disk!");
        add("Gamma|7", "Gold", "R|B", "2001", "CD 2!");
        add("alpha", "B:Sides", "Rock", "1985", "Office serverR");
    }

    int m_songs = 0;
};

TEST_F(ValueFilesTest, BuiltFromTheTableEachValueOnceSortedByCaption)
{
    addSample();
    std::vector<std::pair<int, int>> steps;
    const ValueFiles::Lists lists =
        ValueFiles::build(db, [&steps](int done, int total) { steps.emplace_back(done, total); });

    // Artists and albums decoded; genres and years as stored (a "|" of their own stays);
    // mediums as stored, ordered by their names, one name's markers apart.
    EXPECT_EQ(lists.of(Kind::Artist), (QStringList{"alpha", "Alpha's", "beta", "Gamma|7"}));
    EXPECT_EQ(lists.of(Kind::Album), (QStringList{"B:Sides", "Gold", "gold"}));
    EXPECT_EQ(lists.of(Kind::Genre), (QStringList{"Pop", "Rock", "R|B"}));
    EXPECT_EQ(lists.of(Kind::Year), (QStringList{"1985", "1999", "2001"}));
    EXPECT_EQ(lists.of(Kind::Medium), (QStringList{"CD 2!", "CD 2@", "Disk!", "Office serverR"}));
    EXPECT_EQ(steps.front(), std::make_pair(0, 5));
    EXPECT_EQ(steps.back(), std::make_pair(5, 5));
}

TEST_F(ValueFilesTest, CaptionsMarkersAndTermValues)
{
    EXPECT_EQ(ValueFiles::caption(Kind::Medium, "CD 2@"), QStringLiteral("CD 2"));
    EXPECT_EQ(ValueFiles::marker(Kind::Medium, "CD 2@"), QChar(u'@'));
    EXPECT_EQ(ValueFiles::caption(Kind::Genre, "R|B"), QStringLiteral("R|B"));
    EXPECT_TRUE(ValueFiles::marker(Kind::Genre, "R|B").isNull());
    EXPECT_EQ(ValueFiles::termValue(Kind::Artist, "It's"), QStringLiteral("It|1s"));
    EXPECT_EQ(ValueFiles::termValue(Kind::Album, "A|B"), QStringLiteral("A|7B"));
    EXPECT_EQ(ValueFiles::termValue(Kind::Genre, "It's"), QStringLiteral("It's"));
    EXPECT_EQ(ValueFiles::termValue(Kind::Medium, "It's"), QStringLiteral("It's"));
}

TEST_F(ValueFilesTest, MissingArtistsFileBuildsAndWritesAllFive)
{
    addSample();
    put(Kind::Genre, "Stale\r\n"); // a companion left from an earlier set
    const ValueFiles::Loaded loaded = ValueFiles::load(db);
    EXPECT_TRUE(loaded.built);
    EXPECT_EQ(content(Kind::Artist), QByteArray("alpha\r\nAlpha's\r\nbeta\r\nGamma|7\r\n"));
    EXPECT_EQ(content(Kind::Genre), QByteArray("Pop\r\nRock\r\nR|B\r\n"));
    EXPECT_EQ(content(Kind::Medium), QByteArray("CD 2!\r\nCD 2@\r\nDisk!\r\nOffice serverR\r\n"));
    EXPECT_EQ(content(Kind::Album), QByteArray("B:Sides\r\nGold\r\ngold\r\n"));
    EXPECT_EQ(content(Kind::Year), QByteArray("1985\r\n1999\r\n2001\r\n"));
    EXPECT_EQ(ValueFiles::read(home.path()), loaded.lists);
}

TEST_F(ValueFilesTest, PresentFilesAreReadNotRebuilt)
{
    addSample();
    ValueFiles::load(db);
    // What the files say counts, in any order and with either line ending; the table is not
    // asked again.
    put(Kind::Artist, "Zed\nAnna\r\n\r\nMot\xc3\xb6r\r\n");
    put(Kind::Year, "\xe9t\xe9\r\n"); // Latin-1, as an older file may be
    const ValueFiles::Loaded loaded = ValueFiles::load(db);
    EXPECT_FALSE(loaded.built);
    EXPECT_EQ(loaded.lists.of(Kind::Artist), (QStringList{"Anna", "Mot\u00F6r", "Zed"}));
    EXPECT_EQ(loaded.lists.of(Kind::Year), QStringList{"\u00E9t\u00E9"});
    EXPECT_EQ(loaded.lists.of(Kind::Genre), (QStringList{"Pop", "Rock", "R|B"}));
}

TEST_F(ValueFilesTest, AMissingCompanionRebuildsTheSet)
{
    addSample();
    ValueFiles::load(db);
    put(Kind::Artist, "Only me\r\n");
    ASSERT_TRUE(QFile::remove(path(Kind::Album)));
    const ValueFiles::Loaded loaded = ValueFiles::load(db);
    EXPECT_TRUE(loaded.built);
    EXPECT_EQ(loaded.lists.of(Kind::Artist), (QStringList{"alpha", "Alpha's", "beta", "Gamma|7"}));
    EXPECT_EQ(content(Kind::Album), QByteArray("B:Sides\r\nGold\r\ngold\r\n"));
}

TEST_F(ValueFilesTest, AnEmptyTableWritesFiveEmptyFiles)
{
    const ValueFiles::Loaded loaded = ValueFiles::load(db);
    EXPECT_TRUE(loaded.built);
    for (Kind kind : ValueFiles::kinds) {
        EXPECT_TRUE(loaded.lists.of(kind).isEmpty());
        EXPECT_EQ(content(kind), QByteArray()) << ValueFiles::fileName(kind).toStdString();
    }
    EXPECT_TRUE(ValueFiles::present(home.path()));
}

TEST_F(ValueFilesTest, AFailedWriteLeavesNoSetToBeRead)
{
    addSample();
    put(Kind::Artist, "Old\r\n");
    // A folder where a file should go cannot be replaced by it.
    ASSERT_TRUE(QDir(home.path()).mkdir(ValueFiles::fileName(Kind::Album)));
    EXPECT_THROW(ValueFiles::write(home.path(), ValueFiles::build(db)), EInOutError);
    EXPECT_FALSE(ValueFiles::present(home.path()));
    EXPECT_EQ(QDir(home.path()).entryList({"*.dat*"}, QDir::Files),
              (QStringList{"Genres.dat", "Mediums.dat"}));
}

TEST_F(ValueFilesTest, AValueWithALineBreakIsLeftOut)
{
    add("Two\nLines", "", "", "", "Disk!");
    add("One", "", "", "", "Disk!");
    EXPECT_EQ(ValueFiles::build(db).of(Kind::Artist), QStringList{"One"});
}

TEST_F(ValueFilesTest, NoSongTableIsADatabaseError)
{
    db.closeConnection();
    ASSERT_TRUE(QFile::remove(home.file("tamboro.db")));
    EXPECT_THROW(ValueFiles::load(db), EDatabaseError);
    EXPECT_FALSE(ValueFiles::present(home.path()));
}

} // namespace
