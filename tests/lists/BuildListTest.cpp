// List building over a real song table and real files.
#include "db/SongTableFixture.h"
#include "lists/ListBuilder.h"
#include "testsupport/FakeVolumes.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// A song as the user sees it, with the values no case looks at filled in.
Song sampleSong()
{
    Song song;
    song.artist = QStringLiteral("Artist");
    song.title = QStringLiteral("Title");
    song.trackLength = QStringLiteral("0:02:30");
    song.genre = QStringLiteral("Rock");
    song.location = QStringLiteral("Disk!");
    return song;
}

class BuildListTest : public SongTableFixture
{
protected:
    // Stored encoded the way intake stores it.
    void add(const Song& song)
    {
        Song stored = song.storedForm();
        stored.bitrate = QStringLiteral("128");
        stored.frequency = QStringLiteral("44100");
        uq.setSql(Statements::insertSong(stored));
        uq.execSQL();
    }

    // A file on disk at `relative` below `root`; returns its path.
    static QString file(const QString& root, const QString& relative)
    {
        return writeTestFile(QDir(root).filePath(relative), "mp3");
    }
    QString onDisk(const QString& name) { return file(music.path(), name); }
    QString missing(const QString& name) { return music.filePath(QStringLiteral("gone/") + name); }

    ListBuildResult build(const ListBuildOptions& options = {},
                          const QString& statement = Statements::selectAllByArtistTitle())
    {
        rq.close();
        rq.setSql(statement);
        rq.open();
        return buildList(rq, volumes.roots(), options);
    }

    QTemporaryDir music;
    FakeVolumes volumes;
};

TEST_F(BuildListTest, DecodesTheTextsAndFillsEveryPosition)
{
    Song song = sampleSong();
    song.artist = QStringLiteral("AC:DC");
    song.title = QStringLiteral("He said \"Hi\"");
    song.filename = onDisk(QStringLiteral("it's #1: *live*.mp3"));
    song.trackLength = QStringLiteral("0:03:45");
    song.album = QStringLiteral("Live `91");
    song.comment = QStringLiteral("a|b");
    song.year = QStringLiteral("1991");
    song.location = QStringLiteral("CD Rock@");
    add(song);
    uq.setSql(Statements::updatePlayed(4, QStringLiteral("1")));
    uq.execSQL();

    const ListBuildResult result = build();
    ASSERT_EQ(result.rows.size(), 1u);
    const ListEntry& row = result.rows.front();
    EXPECT_EQ(row.caption, QStringLiteral("AC:DC"));
    const QStringList expected = {
        QStringLiteral("He said \"Hi\""),
        QStringLiteral("0:03:45"),
        song.filename,
        QStringLiteral("Live `91"),
        QStringLiteral("a|b"), // a bar of the typed text comes back as itself
        QStringLiteral("1991"),
        QStringLiteral("Rock"),
        QStringLiteral("44100"),
        QStringLiteral("128"),
        QStringLiteral("1"),
        QStringLiteral("CD Rock@"),
        QStringLiteral("4"),
    };
    for (int i = 0; i < ListEntry::subCount; ++i)
        EXPECT_EQ(row.sub[i], expected[i]) << "sub " << i;
    EXPECT_TRUE(row.available);
    EXPECT_EQ(result.ids, QStringList{QStringLiteral("1")});
}

TEST_F(BuildListTest, SumsTimesAndCountsPlayableRows)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        Song song = sampleSong();
        song.title = QString::fromUtf8(name);
        song.filename = QString::fromUtf8(name) == QLatin1String("b.mp3")
                            ? missing(QString::fromUtf8(name))
                            : onDisk(QString::fromUtf8(name));
        add(song);
    }
    const ListBuildResult result = build();
    EXPECT_EQ(result.panels(), (QStringList{"Songs in list: 3", "Songs playable: 2",
                                            "List Time: 0:7:30", "Play Time: 0:5:0"}));
    ASSERT_EQ(result.rows.size(), 3u);
    EXPECT_TRUE(result.rows[0].available);
    EXPECT_FALSE(result.rows[1].available);
    EXPECT_EQ(result.rows[1].sub[ListEntry::Filename], missing(QStringLiteral("b.mp3")));
}

// A length that cannot be read counts as no time and never stops the list.
TEST_F(BuildListTest, MalformedLengthsCountAsNothing)
{
    const char* lengths[] = {"", "garbage", "3:45", "0:01:00", "12:00:01", "0:0x:00"};
    int n = 0;
    for (const char* length : lengths) {
        Song song = sampleSong();
        song.title = QStringLiteral("t%1").arg(n++);
        song.filename = onDisk(song.title + QStringLiteral(".mp3"));
        song.trackLength = QString::fromUtf8(length);
        add(song);
    }
    const ListBuildResult result = build();
    EXPECT_EQ(result.songs, 6);
    EXPECT_EQ(result.rows.size(), 6u);
    EXPECT_EQ(result.rows[1].sub[ListEntry::Length], QStringLiteral("garbage")); // shown as is
    EXPECT_EQ(result.listTime.text(), QStringLiteral("12:1:1"));
    EXPECT_EQ(result.playTime.text(), QStringLiteral("12:1:1"));
}

TEST_F(BuildListTest, HiddenRowsStillCount)
{
    Song song = sampleSong();
    song.artist = QStringLiteral("A");
    song.filename = missing(QStringLiteral("a.mp3"));
    add(song);
    song.artist = QStringLiteral("B");
    song.filename = onDisk(QStringLiteral("b.mp3"));
    add(song);
    song.artist = QStringLiteral("C");
    song.filename = missing(QStringLiteral("c.mp3"));
    add(song);

    ListBuildOptions hide;
    hide.hideUnavailable = true;
    const ListBuildResult result = build(hide);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0].caption, QStringLiteral("B"));
    EXPECT_EQ(result.panels(), (QStringList{"Songs in list: 3", "Songs playable: 1",
                                            "List Time: 0:7:30", "Play Time: 0:2:30"}));
    // The window's membership record takes every row of the result, shown or not.
    EXPECT_EQ(result.ids, (QStringList{"1", "2", "3"}));

    ListBuildOptions userList;
    userList.userList = true;
    const ListBuildResult user = build(userList);
    EXPECT_EQ(user.rows.size(), 3u);
    EXPECT_TRUE(user.ids.isEmpty());
}

TEST_F(BuildListTest, EmptyResult)
{
    QList<std::pair<int, int>> calls;
    rq.setSql(Statements::selectAllByArtistTitle());
    rq.open();
    const ListBuildResult result = buildList(rq, volumes.roots(), {}, [&](int handled, int total) {
        calls.append({handled, total});
    });
    EXPECT_TRUE(result.rows.empty());
    EXPECT_TRUE(result.ids.isEmpty());
    EXPECT_EQ(result.panels(), (QStringList{"Songs in list: 0", "Songs playable: 0",
                                            "List Time: 0:0:0", "Play Time: 0:0:0"}));
    EXPECT_EQ(albumSwitch(result, QString(), 0, true, true), AlbumSwitch::None);
    EXPECT_EQ(calls, (QList<std::pair<int, int>>{{0, 0}}));
}

TEST_F(BuildListTest, RecordsWhetherAllRowsShareOneAlbum)
{
    struct Case
    {
        QStringList albums;
        bool allOne;
        QString last;
    };
    const Case cases[] = {
        {{"X", "X", "X"}, true, "X"},  {{"", "", ""}, true, ""},
        {{"X", "Y", "X"}, false, "X"}, {{"X", "x"}, false, "x"},  // letter case counts
        {{"X", ""}, false, ""},        {{"It|1s"}, true, "It's"}, // compared decoded
    };
    for (const Case& c : cases) {
        uq.setSql(QStringLiteral("delete from tamboro"));
        uq.execSQL();
        int n = 0;
        for (const QString& album : c.albums) {
            Song song = sampleSong();
            song.title = QStringLiteral("t%1").arg(n++); // keeps the albums in this order
            song.filename = missing(song.title);
            song.album = TextCodec::filter(album);
            add(song);
        }
        const ListBuildResult result = build();
        EXPECT_EQ(result.allOneAlbum, c.allOne) << c.albums.join(',').toStdString();
        EXPECT_EQ(result.lastAlbum, c.last) << c.albums.join(',').toStdString();
    }
}

// Rows come in the query's order; the record filter decides which rows exist; progress is
// reported once per row.
TEST_F(BuildListTest, FollowsTheQueryAndItsFilter)
{
    for (const char* artist : {"Beatles", "The Beat", "beatnik", "Abba"}) {
        Song song = sampleSong();
        song.artist = QString::fromUtf8(artist);
        song.filename = missing(song.artist);
        add(song);
    }
    rq.setSql(
        Statements::withOrder(Statements::selectAll(), QStringLiteral(" order by artist desc")));
    rq.open();
    rq.setFilter(filterExpression(QStringLiteral("bea"), QString(), QString()));
    QList<std::pair<int, int>> calls;
    const ListBuildResult result = buildList(rq, volumes.roots(), {}, [&](int handled, int total) {
        calls.append({handled, total});
    });
    ASSERT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(result.rows[0].caption, QStringLiteral("beatnik"));
    EXPECT_EQ(result.rows[1].caption, QStringLiteral("Beatles"));
    EXPECT_EQ(result.songs, 2);
    EXPECT_EQ(calls, (QList<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));
}

// The filter edits match their text literally, quotes and asterisks included.
TEST_F(BuildListTest, FilterTextsWithQuotesMatchLiterally)
{
    for (const char* artist : {"O'Brien", "O'Briens Band", "OBrien", "Guns*Roses", "Gunsmith"}) {
        Song song = sampleSong();
        song.artist = QString::fromUtf8(artist);
        song.filename = missing(song.artist);
        add(song);
    }
    const auto shown = [&](const QString& artist) {
        rq.close();
        rq.setSql(Statements::selectAllByArtistTitle());
        rq.open();
        rq.setFilter(filterExpression(artist, QString(), QString()));
        QStringList captions;
        for (const ListEntry& row : buildList(rq, {}, {}).rows)
            captions << row.caption;
        return captions;
    };
    EXPECT_EQ(shown(QStringLiteral("o'brien")), (QStringList{"O'Brien", "O'Briens Band"}));
    EXPECT_EQ(shown(QStringLiteral("O'Briens")), QStringList{"O'Briens Band"});
    EXPECT_EQ(shown(QStringLiteral("Guns*")), QStringList{"Guns*Roses"});
    EXPECT_EQ(shown(QStringLiteral("'")), QStringList());
}

TEST_F(BuildListTest, RelocatesToThePresentMediumThatHoldsTheFile)
{
    const QString cd = volumes.addMedium(QStringLiteral("CD2"), QLatin1Char('@'));
    const QString other = volumes.addMedium(QStringLiteral("USB"));
    const QString found = file(cd, QStringLiteral("Music/a.mp3"));
    Song song = sampleSong();
    song.filename = QStringLiteral("D:\\Music\\a.mp3");
    add(song);
    song.filename = QStringLiteral("D:\\Music\\b.mp3"); // on no medium
    add(song);

    const ListBuildResult result = build();
    ASSERT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(result.rows[0].sub[ListEntry::Filename], found);
    EXPECT_TRUE(result.rows[0].available);
    EXPECT_EQ(result.rows[1].sub[ListEntry::Filename], QStringLiteral("D:\\Music\\b.mp3"));
    EXPECT_FALSE(result.rows[1].available);

    // Both media hold it: the later root wins.
    const QString later = file(other, QStringLiteral("Music/a.mp3"));
    EXPECT_EQ(build().rows[0].sub[ListEntry::Filename], later);
    volumes.setPresent(other, false);
    EXPECT_EQ(build().rows[0].sub[ListEntry::Filename], found);
}

} // namespace
