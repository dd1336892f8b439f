// The maintenance utilities on a real song table: which rows the existence check takes, the
// top 10, re-indexing and deleting songs with their files.
#include "db/Maintenance.h"
#include "db/SongTableFixture.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

class MaintenanceTest : public SongTableFixture
{
protected:
    // Adds a song whose values are all given in stored form; returns its ID.
    QString addStored(const Song& song)
    {
        uq.setSql(Statements::insertCopiedRow(song));
        uq.execSQL();
        return lastId();
    }
    QString addFile(const QString& artist, const QString& title, const QString& filename,
                    const QString& location = QStringLiteral("Disk!"),
                    const QString& played = QStringLiteral("0"))
    {
        Song song;
        song.artist = artist;
        song.title = title;
        song.filename = TextCodec::reFilter(filename);
        song.location = location;
        song.played = played;
        return addStored(song);
    }
    QString lastId() { return column(Statements::selectAllById(), SongColumn::ID).constLast(); }

    // Every row by ID, every column as stored.
    QList<Song> rows()
    {
        rq.close();
        rq.setSql(Statements::selectAllById());
        rq.open();
        QList<Song> result;
        for (rq.first(); !rq.eof(); rq.next())
            result.append(songFromRecord(rq));
        rq.close();
        return result;
    }
};

// ---- Existence check ----

struct MediumCase
{
    const char* name;
    const char* path;
    QStringList roots;
    bool present;
};

class MediumPresence : public ::testing::TestWithParam<MediumCase>
{};

TEST_P(MediumPresence, FollowsTheRootsPresentNow)
{
    EXPECT_EQ(Maintenance::mediumPresent(QString::fromUtf8(GetParam().path), GetParam().roots),
              GetParam().present);
}

const QStringList usbMounted{QStringLiteral("/"), QStringLiteral("/media/anna/USB")};

INSTANTIATE_TEST_SUITE_P(
    Maintenance, MediumPresence,
    ::testing::Values(MediumCase{"system disk", "/home/anna/a.mp3", {QStringLiteral("/")}, true},
                      MediumCase{"mounted stick", "/media/anna/USB/a.mp3", usbMounted, true},
                      MediumCase{"unplugged stick", "/media/anna/OTHER/a.mp3", usbMounted, false},
                      MediumCase{"unmounted partition", "/mnt/data/a.mp3", usbMounted, false},
                      MediumCase{"mounted partition with a slash",
                                 "/mnt/data/a.mp3",
                                 {QStringLiteral("/mnt/data/")},
                                 true},
                      MediumCase{"windows drive", "D:\\Music\\a.mp3", usbMounted, false},
                      MediumCase{"relative name", "Music/a.mp3", usbMounted, false}),
    RowName());

TEST_F(MaintenanceTest, ExistenceCheckFindsGoneFilesByIdAndSkipsAbsentMediums)
{
    const QString kept = writeTestFile(home.file(QStringLiteral("songs/kept \"q\".mp3")));
    const QString gone = home.file(QStringLiteral("songs/gone.mp3"));
    addFile(QStringLiteral("A"), QStringLiteral("kept"), kept);
    const QString goneId = addFile(QStringLiteral("B"), QStringLiteral("gone"), gone);
    // The same stored name on a CD: its file is on the CD, not gone.
    const QString cdId =
        addFile(QStringLiteral("C"), QStringLiteral("cd"), gone, QStringLiteral("CD Rock@"));
    addFile(QStringLiteral("D"), QStringLiteral("stick"), QStringLiteral("/media/anna/USB/x.mp3"));
    addFile(QStringLiteral("E"), QStringLiteral("drive"), QStringLiteral("D:\\x.mp3"));

    const Maintenance::MissingFiles missing =
        Maintenance::findMissingFiles(db, {QStringLiteral("/")});
    EXPECT_EQ(missing.ids, QStringList{goneId});
    EXPECT_EQ(missing.storedNames, QStringList{TextCodec::reFilter(gone)});
    EXPECT_EQ(missing.checked, 4);
    EXPECT_EQ(missing.skipped, 2);

    writeTestFile(home.file(QStringLiteral("Artists.dat")), "A\n");
    EXPECT_EQ(Maintenance::deleteRows(db, missing.ids), 1);
    EXPECT_FALSE(column(Statements::selectAllById(), SongColumn::ID).contains(goneId));
    EXPECT_TRUE(column(Statements::selectAllById(), SongColumn::ID).contains(cdId));
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("Artists.dat"))));
}

TEST(MaintenanceTexts, ExistenceReportsCarryTheSkippedCount)
{
    EXPECT_EQ(Maintenance::existenceReport(3, 0), QStringLiteral("3 records have been deleted!"));
    EXPECT_EQ(Maintenance::existenceReport(0, 0), QStringLiteral("No files are missing. "));
    EXPECT_EQ(Maintenance::existenceReport(0, 2),
              QStringLiteral("No files are missing. 2 records on mediums that are not present "
                             "were not checked."));
    EXPECT_EQ(Maintenance::existenceReport(1, 2),
              QStringLiteral("1 records have been deleted! 2 records on mediums that are not "
                             "present were not checked."));
}

// ---- Top 10 ----

struct TopTenCase
{
    const char* name;
    int songs;
    bool listed;
};

class TopTen : public MaintenanceTest, public ::testing::WithParamInterface<TopTenCase>
{};

TEST_P(TopTen, NeedsTenSongsAndOrdersByPlaysThenArtistAndTitle)
{
    QStringList expected;
    for (int i = 0; i < GetParam().songs; ++i) {
        // Plays 0,1,2,... but two songs tie at the top: artist order breaks the tie.
        const int played = std::min(i, GetParam().songs - 2);
        const QString id = addFile(QStringLiteral("Artist %1").arg(QChar(u'A' + i)),
                                   QStringLiteral("T"), QStringLiteral("/m/%1.mp3").arg(i),
                                   QStringLiteral("Disk!"), QString::number(played));
        expected.prepend(id);
    }
    std::swap(expected[0], expected[1]);
    const QStringList ids = Maintenance::topTenIds(db);
    if (GetParam().listed)
        EXPECT_EQ(ids, expected.mid(0, 10));
    else
        EXPECT_TRUE(ids.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Maintenance, TopTen,
                         ::testing::Values(TopTenCase{"nine songs", 9, false},
                                           TopTenCase{"ten songs", 10, true},
                                           TopTenCase{"twelve songs", 12, true}),
                         RowName());

// ---- Re-indexing ----

TEST_F(MaintenanceTest, ReindexAdviceFollowsTheHighestId)
{
    EXPECT_EQ(Maintenance::reindexAdvice(db), Maintenance::ReindexAdvice::TooFewRows);
    addFile(QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("/a.mp3"));
    EXPECT_EQ(Maintenance::reindexAdvice(db), Maintenance::ReindexAdvice::TooFewRows);
    const QString second = addFile(QStringLiteral("B"), QStringLiteral("b"), QStringLiteral("/b"));
    EXPECT_EQ(Maintenance::reindexAdvice(db), Maintenance::ReindexAdvice::NotNeeded);
    addFile(QStringLiteral("C"), QStringLiteral("c"), QStringLiteral("/c.mp3"));
    Maintenance::deleteRows(db, {second});
    EXPECT_EQ(Maintenance::reindexAdvice(db), Maintenance::ReindexAdvice::Needed);
}

TEST_F(MaintenanceTest, ReindexNumbersInArtistAndTitleOrderKeepingEveryValue)
{
    // IDs 1, 2, 4 after a delete; values that a text round trip could spoil.
    Song zed{.artist = QStringLiteral("zed"),
             .title = QStringLiteral("He said |2Hi|2"),
             .filename = QStringLiteral("/m/z.mp3"),
             .trackLength = QStringLiteral("0:04:00"),
             .location = QStringLiteral("Disk!"),
             .genre = QStringLiteral("Rock"),
             .album = QStringLiteral("Line\nbreak"),
             .bitrate = QStringLiteral("128"),
             .frequency = QStringLiteral("44100"),
             .comment = QStringLiteral("Ünïcødé 😀"),
             .year = QStringLiteral("1999"),
             .played = QStringLiteral("7")};
    Song abba = zed;
    abba.artist = QStringLiteral("Abba");
    abba.played = QStringLiteral("3");
    Song beatles = zed;
    beatles.artist = QStringLiteral("beatles");
    beatles.played = QStringLiteral("0");
    addStored(zed);
    const QString doomed = addStored(abba);
    addStored(beatles);
    addStored(abba);
    Maintenance::deleteRows(db, {doomed});
    ASSERT_EQ(column(Statements::selectAllById(), SongColumn::ID),
              (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4")}));

    QHash<QString, QString> newIds;
    EXPECT_EQ(Maintenance::reindex(db, {}, &newIds), 3);
    EXPECT_EQ(newIds, (QHash<QString, QString>{{QStringLiteral("4"), QStringLiteral("1")},
                                               {QStringLiteral("3"), QStringLiteral("2")},
                                               {QStringLiteral("1"), QStringLiteral("3")}}));

    const QList<Song> after = rows();
    ASSERT_EQ(after.size(), 3);
    const Song* expected[] = {&abba, &beatles, &zed};
    for (int i = 0; i < 3; ++i) {
        Song want = *expected[i];
        want.id = QString::number(i + 1);
        EXPECT_EQ(after[i], want);
    }
    // The same connection object carries on with the new table, which numbers on from 3.
    EXPECT_EQ(addFile(QStringLiteral("New"), QStringLiteral("n"), QStringLiteral("/n.mp3")),
              QStringLiteral("4"));
    EXPECT_EQ(Maintenance::reindexAdvice(db), Maintenance::ReindexAdvice::NotNeeded);
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("converted.db"))));
}

TEST_F(MaintenanceTest, ReindexWhileAnotherConnectionHasTheTableKeepsTheOldOne)
{
    addFile(QStringLiteral("B"), QStringLiteral("b"), QStringLiteral("/b.mp3"));
    const QString doomed = addFile(QStringLiteral("X"), QStringLiteral("x"), QStringLiteral("/x"));
    addFile(QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("/a.mp3"));
    Maintenance::deleteRows(db, {doomed});

    SongDatabase other(home.path());
    RQuery reader(other);
    reader.setSql(Statements::selectAll());
    reader.open();
    EXPECT_THROW(Maintenance::reindex(db), EDatabaseError);
    EXPECT_EQ(column(Statements::selectAllById(), SongColumn::ID),
              (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("converted.db"))));

    reader.close();
    other.closeConnection();
    EXPECT_EQ(Maintenance::reindex(db), 2);
    EXPECT_EQ(column(Statements::selectAllById()),
              (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

// ---- Deleting songs ----

struct DeleteCase
{
    const char* name;
    bool records;
    bool files;
    int recordsDeleted;
    int filesDeleted;
};

class DeleteSongs : public MaintenanceTest, public ::testing::WithParamInterface<DeleteCase>
{
protected:
    DeleteSongs()
    {
        // Files go to a trash of this test's own, not to the user's.
        m_oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.file(QStringLiteral("data"))));
    }
    ~DeleteSongs() override { qputenv("XDG_DATA_HOME", m_oldData); }
    QByteArray m_oldData;
};

TEST_P(DeleteSongs, RemovesTheChosenRowsAndFiles)
{
    QList<Maintenance::DeleteTarget> targets;
    for (const char* name : {"one.mp3", "two.mp3"}) {
        const QString path = writeTestFile(home.file(QStringLiteral("songs/") + name), "ID3");
        targets.append({addFile(QStringLiteral("A"), QString::fromLatin1(name), path), path});
    }
    targets.append({addFile(QStringLiteral("A"), QStringLiteral("none"), QStringLiteral("/no")),
                    QStringLiteral("/nowhere/none.mp3")});
    const QString survivor =
        addFile(QStringLiteral("S"), QStringLiteral("s"), QStringLiteral("/s.mp3"));

    const Maintenance::DeleteCounts counts =
        Maintenance::deleteSongs(db, targets, GetParam().records, GetParam().files);
    EXPECT_EQ(counts.records, GetParam().recordsDeleted);
    EXPECT_EQ(counts.files, GetParam().filesDeleted);
    EXPECT_EQ(QFileInfo::exists(targets[0].path), !GetParam().files);
    EXPECT_EQ(column(Statements::selectAllById(), SongColumn::ID).size(),
              4 - GetParam().recordsDeleted);
    EXPECT_TRUE(column(Statements::selectAllById(), SongColumn::ID).contains(survivor));
}

INSTANTIATE_TEST_SUITE_P(Maintenance, DeleteSongs,
                         ::testing::Values(DeleteCase{"records only", true, false, 3, 0},
                                           DeleteCase{"files only", false, true, 0, 2},
                                           DeleteCase{"records and files", true, true, 3, 2},
                                           DeleteCase{"nothing ticked", false, false, 0, 0}),
                         RowName());

TEST(MaintenanceTexts, DeleteReportHasTwoBlanksBeforeFiles)
{
    EXPECT_EQ(Maintenance::deleteReport({0, 2}),
              QStringLiteral("Records deleted: 0  Files deleted: 2"));
}

} // namespace
