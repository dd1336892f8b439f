#include "IntakeRunFixture.h"

#include "db/TextCodec.h"
#include "platform/Errors.h"
#include "player/TMPEGError.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <thread>

namespace {

class IntakeRunTest : public IntakeRunFixture
{
protected:
    // Runs `sql` on a connection of its own, outside the program's statement layer.
    void rawSql(const QString& sql)
    {
        {
            QSqlDatabase raw =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            raw.setDatabaseName(home.file(QStringLiteral("tamboro.db")));
            ASSERT_TRUE(raw.open());
            QSqlQuery query(raw);
            EXPECT_TRUE(query.exec(sql)) << query.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    }
};

TEST_F(IntakeRunTest, TaggedFilesGoInWithEveryColumn)
{
    const QString mp3 =
        file(QStringLiteral("song.mp3"), IntakeFiles::taggedMp3("The Testers", "Silent Night", 17,
                                                                "Fixtures", "1999", "one second"));
    const QString wma = file(QStringLiteral("song.wma"), IntakeFiles::taggedWma());
    for (const char* name :
         {"Albums.dat", "Artists.dat", "Genres.dat", "Mediums.dat", "Years.dat"}) {
        QFile cache(home.file(QLatin1String(name)));
        ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
    }

    const IntakeResult result = add({mp3, wma});

    EXPECT_TRUE(result.rows.isEmpty());
    EXPECT_EQ(result.figures, (IntakeFigures{2, 0, 0, 2, 0, 0}));
    EXPECT_EQ(result.inserted, (QStringList{TextCodec::reFilter(mp3), TextCodec::reFilter(wma)}));
    // artist, title, filename, location, track length, genre, album, bitrate, frequency,
    // comment, year, played
    const QList<QStringList> expected{
        {"The Testers", "Silent Night", TextCodec::reFilter(mp3), "Disk!", "0:00:00", "Rock",
         "Fixtures", "8", "8000", "one second", "1999", "0"},
        {"Wma Artist", "Wma Title", TextCodec::reFilter(wma), "Disk!", "0:00:00", "Jazz",
         "Wma Album", "32", "16000", "Wma comment", "", "0"},
    };
    EXPECT_EQ(rows(), expected);
    for (const char* name : {"Albums.dat", "Artists.dat", "Genres.dat", "Mediums.dat", "Years.dat"})
        EXPECT_FALSE(QFileInfo::exists(home.file(QLatin1String(name)))) << name;
}

// The duplicate test: same artist, title and track length; with CheckBox1 checked the medium
// must match as well.
struct DoubleCase
{
    const char* name;
    bool sameFilesFromDifferentMediums;
    const char* storedLocation;
    bool isDouble;
};

void PrintTo(const DoubleCase& c, std::ostream* os)
{
    *os << c.name;
}

class IntakeDoubleTest : public IntakeRunFixture, public ::testing::WithParamInterface<DoubleCase>
{};

TEST_P(IntakeDoubleTest, SongAlreadyStored)
{
    const DoubleCase& c = GetParam();
    addSong(QStringLiteral("Rez \"V\""), QStringLiteral("Jamming"), QLatin1String(c.storedLocation),
            QString(), QStringLiteral("0:00:00"));
    options.sameFilesFromDifferentMediums = c.sameFilesFromDifferentMediums;
    const QString path =
        file(QStringLiteral("it's.mp3"), IntakeFiles::taggedMp3("Rez \"V\"", "Jamming"));
    // The stored song's file is there (one that is gone would make the song a moved one).
    const QString stored = file(QStringLiteral("stored.mp3"), IntakeFiles::untaggedMp3());
    uq.setSql(Statements::updateMoved(QStringLiteral("1"), TextCodec::reFilter(stored),
                                      QLatin1String(c.storedLocation)));
    uq.execSQL();

    const IntakeResult result = add({path});

    if (c.isDouble) {
        EXPECT_EQ(result.rows,
                  (QList<ReportRow>{{ReportRow::Double, "Rez \"V\"", "Jamming", path}}));
        EXPECT_EQ(result.figures, (IntakeFigures{0, 1, 0, 1, 0, 0}));
        EXPECT_TRUE(result.inserted.isEmpty());
        EXPECT_EQ(rows().size(), 1);
    } else {
        EXPECT_TRUE(result.rows.isEmpty());
        EXPECT_EQ(result.figures, (IntakeFigures{1, 0, 0, 1, 0, 0}));
        EXPECT_EQ(columnOfAll(SongColumn::Location), (QStringList{c.storedLocation, "Disk!"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, IntakeDoubleTest,
                         ::testing::Values(DoubleCase{"SameMediumChecked", true, "Disk!", true},
                                           DoubleCase{"SameMediumUnchecked", false, "Disk!", true},
                                           DoubleCase{"OtherMediumChecked", true, "CD@", false},
                                           DoubleCase{"OtherMediumUnchecked", false, "CD@", true},
                                           DoubleCase{"OtherMarkerChecked", true, "Disk@", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IntakeRunTest, TextIsStoredEncodedAndADoubleIsReportedDecoded)
{
    const QString path = file(QStringLiteral("it's #1: *best*.mp3"),
                              IntakeFiles::taggedMp3("The \"Quoted\"", "a`b'c"));

    const IntakeResult first = add({path});
    ASSERT_EQ(first.figures.added, 1);
    EXPECT_EQ(rows().value(0).mid(0, 3),
              (QStringList{"The |2Quoted|2", "a|6b|1c", TextCodec::reFilter(path)}));
    EXPECT_TRUE(TextCodec::reFilter(path).contains("it|1s |31|5 |4best|4.mp3"));

    // The same file queued twice in one run, and again in a later run: one row in the table.
    const IntakeResult second = add({path, path});
    const ReportRow twin{ReportRow::Double, "The \"Quoted\"", "a`b'c", path};
    EXPECT_EQ(second.rows, (QList<ReportRow>{twin, twin}));
    EXPECT_EQ(second.figures, (IntakeFigures{0, 2, 0, 2, 0, 0}));
    EXPECT_EQ(rows().size(), 1);
}

TEST_F(IntakeRunTest, SameFileQueuedTwiceInOneRunGoesInOnce)
{
    const QString path = file(QStringLiteral("a.mp3"), IntakeFiles::taggedMp3("A", "B"));
    const IntakeResult result = add({path, path});
    EXPECT_EQ(result.rows, (QList<ReportRow>{{ReportRow::Double, "A", "B", path}}));
    EXPECT_EQ(result.figures, (IntakeFigures{1, 1, 0, 2, 0, 0}));
    EXPECT_EQ(result.inserted, QStringList{path});
}

// Files without an artist wait for the second pass and are named from their file names; the
// report lists them after everything of the first pass.
TEST_F(IntakeRunTest, FilesWithoutArtistAreRecognisedInTheSecondPass)
{
    addSong(QStringLiteral("Rez Vuvevo"), QStringLiteral("Old Song"));
    uq.setSql(QStringLiteral("update tamboro set genre=\"Reggae\""));
    uq.execSQL();
    const QString full =
        file(QStringLiteral("01 rez vuvevo - Jamming.mp3"), IntakeFiles::untaggedMp3());
    const QString partial = file(QStringLiteral("Track05.mp3"), IntakeFiles::untaggedMp3());
    const QString tagged = file(QStringLiteral("t.mp3"), IntakeFiles::taggedMp3("Tagged", "Song"));
    // A tag without artist: its album, year and comment are kept.
    const QString emptyArtist = file(QStringLiteral("X - Y.mp3"),
                                     IntakeFiles::taggedMp3("", "", 12, "Kept", "2001", "mine"));

    const IntakeResult result = add({full, partial, tagged, emptyArtist});

    EXPECT_EQ(result.rows, (QList<ReportRow>{
                               {ReportRow::Recognized, "Rez Vuvevo", "Jamming", full},
                               {ReportRow::Recognized, "Unknown", "Track05", partial},
                               {ReportRow::Recognized, "X", "Y", emptyArtist},
                           }));
    EXPECT_EQ(result.figures, (IntakeFigures{4, 0, 0, 4, 2, 1}));
    EXPECT_EQ(columnOfAll(SongColumn::Artist),
              (QStringList{"Rez Vuvevo", "Tagged", "Rez Vuvevo", "Unknown", "X"}));
    EXPECT_EQ(columnOfAll(SongColumn::Genre),
              (QStringList{"Reggae", "Rock", "Reggae", "Other", "Other"}));
    const QString filled = QStringLiteral("Tag filled in by Tamboro 3");
    EXPECT_EQ(columnOfAll(SongColumn::Comment), (QStringList{"", "Note", filled, filled, filled}));
    EXPECT_EQ(columnOfAll(SongColumn::Album), (QStringList{"", "Album", "", "", "Kept"}));
    EXPECT_EQ(columnOfAll(SongColumn::SYear), (QStringList{"", "1999", "", "", "2001"}));
}

// A file without a genre of its own never takes the genre of the file read before it.
TEST_F(IntakeRunTest, GenreIsNotCarriedOverFromThePreviousFile)
{
    const QString rock = file(QStringLiteral("rock.mp3"), IntakeFiles::taggedMp3("A", "Rock", 17));
    const QString none = file(QStringLiteral("none.mp3"), IntakeFiles::taggedMp3("B", "None", 12));
    const QString high = file(QStringLiteral("high.mp3"), IntakeFiles::taggedMp3("C", "High", 200));
    const QString untagged = file(QStringLiteral("D - Untagged.mp3"), IntakeFiles::untaggedMp3());
    const QString dance =
        file(QStringLiteral("dance.mp3"), IntakeFiles::taggedMp3("E", "Dance", 3));

    add({rock, none, high, untagged, dance});

    EXPECT_EQ(columnOfAll(SongColumn::Genre), (QStringList{"Rock", "", "", "Dance", "Other"}));
}

// What is written back into a file after recognition: only into an MP3 file that has a tag,
// only on a writable medium.
struct TagWriteCase
{
    const char* name;
    const char* fileName;
    bool tagged;
    bool writable;
    bool written;
};

void PrintTo(const TagWriteCase& c, std::ostream* os)
{
    *os << c.name;
}

class IntakeTagWriteTest : public IntakeRunFixture,
                           public ::testing::WithParamInterface<TagWriteCase>
{};

TEST_P(IntakeTagWriteTest, RecognisedTag)
{
    const TagWriteCase& c = GetParam();
    addSong(QStringLiteral("Rez Vuvevo"), QStringLiteral("Old"));
    uq.setSql(QStringLiteral("update tamboro set genre=\"Reggae\""));
    uq.execSQL();
    const QByteArray audio = QString::fromLatin1(c.fileName).endsWith(".wma")
                                 ? IntakeFiles::taggedWma()
                                 : IntakeFiles::untaggedMp3();
    const QByteArray before =
        c.tagged ? audio + makeTagBlock("", "", "Kept", "2001", "mine", 12) : audio;
    const QString path = file(QLatin1String(c.fileName), before);
    options.writableMedium = c.writable;
    options.marker = c.writable ? QLatin1Char('!') : QLatin1Char('@');

    const IntakeResult result = add({path});
    ASSERT_EQ(result.figures.added, 1) << result.figures;

    const QByteArray after = readFileBytes(path);
    if (!c.written) {
        EXPECT_EQ(after, before);
        return;
    }
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.left(after.size() - 128), audio);
    // Artist and title as recognised (the title cut to 30 characters), genre "Reggae" = 16,
    // album, year and comment as they were.
    EXPECT_EQ(after.right(128), makeTagBlock("A Title Longer Than Thirty Cha", "Rez Vuvevo", "Kept",
                                             "2001", "mine", 16));
    EXPECT_EQ(columnOfAll(SongColumn::Title).last(), "A Title Longer Than Thirty Characters");
}

INSTANTIATE_TEST_SUITE_P(
    Media, IntakeTagWriteTest,
    ::testing::Values(
        TagWriteCase{"TaggedMp3Writable", "Rez Vuvevo - A Title Longer Than Thirty Characters.mp3",
                     true, true, true},
        TagWriteCase{"TaggedMp3ReadOnlyMedium",
                     "Rez Vuvevo - A Title Longer Than Thirty Characters.mp3", true, false, false},
        TagWriteCase{"UntaggedMp3Writable",
                     "Rez Vuvevo - A Title Longer Than Thirty Characters.mp3", false, true, false},
        TagWriteCase{"WmaWritable", "Rez Vuvevo - A Title Longer Than Thirty Characters.wma", false,
                     true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Track lengths from real streams: half a second is taken off before whole seconds count.
struct LengthCase
{
    const char* name;
    const char* fileName;
    std::function<QByteArray()> bytes;
    const char* trackLength; // nullptr: the file is bad
    const char* reason = ""; // why it is bad
};

void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << c.name;
}

class IntakeLengthTest : public IntakeRunFixture, public ::testing::WithParamInterface<LengthCase>
{};

TEST_P(IntakeLengthTest, TrackLength)
{
    const LengthCase& c = GetParam();
    const QString path = file(QLatin1String(c.fileName), c.bytes());
    const QString next = file(QStringLiteral("next.mp3"), IntakeFiles::taggedMp3("Next", "File"));
    const IntakeResult result = add({path, next});
    if (c.trackLength) {
        EXPECT_EQ(result.figures.bad, 0);
        EXPECT_EQ(columnOfAll(SongColumn::Track_Length).value(0), QLatin1String(c.trackLength));
    } else {
        EXPECT_EQ(result.rows, (QList<ReportRow>{{ReportRow::Bad, "", "", path, c.reason}}));
        EXPECT_EQ(result.figures, (IntakeFigures{1, 0, 1, 2, 0, 0}));
        EXPECT_EQ(columnOfAll(SongColumn::Title), QStringList{"File"});
    }
}

QByteArray withTag(const QByteArray& audio)
{
    return audio + makeTagBlock("Length", "Artist", "", "", "", 12);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, IntakeLengthTest,
    ::testing::Values(
        // 3125 frames of 72 ms: 3:45.000 exactly.
        LengthCase{"Mp3ThreeFortyFive", "a.mp3",
                   [] { return withTag(IntakeFiles::mp3OfFrames(3125)); }, "0:03:44"},
        LengthCase{"Mp3UnderHalfASecond", "a.mp3",
                   [] { return withTag(IntakeFiles::mp3OfFrames(6)); }, "0:00:00"},
        LengthCase{"WmaThreeFortyFivePointFour", "a.wma",
                   [] { return IntakeFiles::wmaOfLength(225400); }, "0:03:44"},
        LengthCase{"WmaJustUnderTwentyFourHours", "a.wma",
                   [] { return IntakeFiles::wmaOfLength(24LL * 3600 * 1000 + 499); }, "23:59:59"},
        LengthCase{"WmaTwentyFiveHours", "a.wma",
                   [] { return IntakeFiles::wmaOfLength(25LL * 3600 * 1000); }, nullptr,
                   "a play length of 90000000 ms is 24 hours or more and has no track length"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IntakeRunTest, ProgressFollowsEachFileOfBothPasses)
{
    const QString tagged = file(QStringLiteral("t.mp3"), IntakeFiles::taggedMp3("A", "B"));
    const QString untagged = file(QStringLiteral("C - D.mp3"), IntakeFiles::untaggedMp3());
    const QString adding = QStringLiteral("Adding files to database...");
    QList<std::tuple<int, int, QString>> calls;
    IntakeRun run(db, home.path(), options);
    run.run({untagged, tagged}, [&](int position, int maximum, const QString& text) {
        calls.append({position, maximum, text});
    });
    EXPECT_EQ(calls, (QList<std::tuple<int, int, QString>>{{0, 2, adding},
                                                           {1, 2, adding},
                                                           {2, 2, adding},
                                                           {0, 1, adding},
                                                           {1, 1, adding},
                                                           {0, 0, QString()}}));
}

TEST_F(IntakeRunTest, MediumNameWithADoubleQuoteIsRefusedBeforeAnything)
{
    EXPECT_TRUE(validMediumName(QStringLiteral("CD 'Rock' #1")));
    EXPECT_FALSE(validMediumName(QStringLiteral("The \"Best\"")));
    EXPECT_TRUE(mediumNameProblem(QStringLiteral("The \"Best\"")).contains("double quote"));

    const QString path = file(QStringLiteral("a.mp3"), IntakeFiles::taggedMp3("A", "B"));
    QFile cache(home.file(QStringLiteral("Artists.dat")));
    ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
    cache.close();
    options.mediumName = QStringLiteral("The \"Best\"");
    EXPECT_THROW(add({path}), EConvertError);
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_TRUE(cache.exists());
}

// A statement the engine refuses stops the run, and the rows it had already added go too.
TEST_F(IntakeRunTest, DatabaseErrorRollsBackTheWholeRun)
{
    addSong(QStringLiteral("Before"), QStringLiteral("Run"));
    rawSql(QStringLiteral("create trigger boom before insert on tamboro when new.title = 'Boom' "
                          "begin select raise(abort, 'no Boom here'); end"));
    const QString first = file(QStringLiteral("1.mp3"), IntakeFiles::taggedMp3("A", "Fine"));
    const QString second = file(QStringLiteral("2.mp3"), IntakeFiles::taggedMp3("A", "Boom"));
    QFile cache(home.file(QStringLiteral("Artists.dat")));
    ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
    cache.close();

    try {
        add({first, second});
        ADD_FAILURE() << "no EDatabaseError";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains("no Boom here")) << e.message().toStdString();
    }
    EXPECT_EQ(columnOfAll(SongColumn::Title), QStringList{"Run"});
    EXPECT_TRUE(cache.exists());

    // The decoder library was let go: the next run loads it again.
    rawSql(QStringLiteral("drop trigger boom"));
    EXPECT_EQ(add({first, second}).figures.added, 2);
}

// Without the decoder library no MP3 file can be read: the run stops with the library's error
// instead of reporting every MP3 file as corrupted. WMA files do not need it.
TEST_F(IntakeRunTest, MissingDecoderLibraryStopsTheRun)
{
    ASSERT_TRUE(QFile::remove(home.file(QLatin1String(TMPEGPlayer::LibraryFileName))));
    const QString wma = file(QStringLiteral("w.wma"), IntakeFiles::taggedWma());
    const QString mp3 = file(QStringLiteral("a.mp3"), IntakeFiles::taggedMp3("A", "B"));
    try {
        add({wma, mp3});
        ADD_FAILURE() << "no TMPEGError";
    } catch (const TMPEGError& e) {
        EXPECT_EQ(e.message(), "Can't load MPEG library");
    }
    EXPECT_TRUE(rows().isEmpty());

    EXPECT_EQ(add({wma}).figures, (IntakeFigures{1, 0, 0, 1, 0, 0}));
}

TEST_F(IntakeRunTest, DecoderLibraryIsUnloadedAtTheEnd)
{
    add({file(QStringLiteral("a.mp3"), IntakeFiles::taggedMp3("A", "B"))});
    // One copy of the library serves one player: loading it again works only when the run let
    // go of it.
    TMPEGPlayer player;
    player.setPathToDLL(home.path());
    EXPECT_NO_THROW(player.loadLibrary());
    player.unloadLibrary();
}

// The window runs the add on a worker thread with a connection of that thread's own.
TEST_F(IntakeRunTest, RunsOnAWorkerThread)
{
    const QString path = file(QStringLiteral("a.mp3"), IntakeFiles::taggedMp3("A", "B"));
    const QString untagged = file(QStringLiteral("C - D.mp3"), IntakeFiles::untaggedMp3());
    IntakeResult result;
    std::thread worker([&] {
        SongDatabase own(home.path());
        IntakeRun run(own, home.path(), options);
        result = run.run({path, untagged});
    });
    worker.join();
    EXPECT_EQ(result.figures, (IntakeFigures{2, 0, 0, 2, 1, 0}));
    EXPECT_EQ(columnOfAll(SongColumn::Artist), (QStringList{"A", "C"}));
}

} // namespace
