#include "IntakeRunFixture.h"
#include "SystemNames.h"

#include "db/TextCodec.h"
#include "intake/AddQueue.h"
#include "testsupport/CaseNames.h"

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Files that cannot be read: each becomes one bad-file row, none reaches the song table, and
// the run goes on with the next file.
struct BadCase
{
    const char* name;
    const char* fileName;
    std::function<QByteArray()> bytes; // none: the file does not exist
    const char* reason;                // what the row says of it
};

void PrintTo(const BadCase& c, std::ostream* os)
{
    *os << c.name;
}

class IntakeBadInputTest : public IntakeRunFixture, public ::testing::WithParamInterface<BadCase>
{};

TEST_P(IntakeBadInputTest, IsReportedAndNeverStored)
{
    const BadCase& c = GetParam();
    // The file before it leaves an artist, title and length behind in the current values.
    const QString before = file(QStringLiteral("before.mp3"), IntakeFiles::taggedMp3("A", "B"));
    const QString bad = c.bytes ? file(QLatin1String(c.fileName), c.bytes())
                                : files.path(QLatin1String(c.fileName));
    const QString after = file(QStringLiteral("after.mp3"), IntakeFiles::taggedMp3("C", "D"));

    const IntakeResult result = add({before, bad, after});

    EXPECT_EQ(result.rows, (QList<ReportRow>{{ReportRow::Bad, "", "", bad, c.reason}}));
    EXPECT_EQ(result.figures, (IntakeFigures{2, 0, 1, 3, 0, 0}));
    EXPECT_EQ(columnOfAll(SongColumn::Filename),
              (QStringList{TextCodec::reFilter(before), TextCodec::reFilter(after)}));
    EXPECT_EQ(result.inserted,
              (QStringList{TextCodec::reFilter(before), TextCodec::reFilter(after)}));
}

const QString notAFile = QStringLiteral("it is not a file but a folder, device or pipe");
const QString missing = QStringLiteral("the file does not exist");

QString cannotCopyTo(const QString& folder)
{
    return QStringLiteral("cannot copy the file to %1/temp-XXXXXX.mp3").arg(folder);
}

QByteArray mpegFixture(const char* name)
{
    return readFileBytes(testDataPath(QStringLiteral("mpeg/") + QLatin1String(name)));
}

const QByteArray badTag = makeTagBlock("Title", "Artist", "", "", "", 17);

INSTANTIATE_TEST_SUITE_P(
    Inputs, IntakeBadInputTest,
    ::testing::Values(
        BadCase{"Empty", "empty.mp3", [] { return QByteArray(); }, "the file is empty"},
        BadCase{"ShorterThanATag", "short.mp3", [] { return QByteArray(100, '\xff'); },
                "cannot read the tag of the file: the file is 100 bytes long, shorter than a "
                "128-byte tag"},
        BadCase{"NoiseWithATag", "noise.mp3", [] { return mpegFixture("random.mp3") + badTag; },
                "no MPEG audio frame found"},
        BadCase{"UntaggedNoise", "noise.mp3", [] { return mpegFixture("random.mp3"); },
                "no MPEG audio frame found"},
        BadCase{"HeaderFrameOnly", "header.mp3",
                [] { return mpegFixture("vbr_xing.mp3").left(417) + badTag; },
                "no whole MPEG audio frame"},
        BadCase{"WmaNamedMp3", "wma.mp3", [] { return IntakeFiles::taggedWma(); },
                "no MPEG audio frame found"},
        BadCase{"NoiseNamedWma", "noise.wma", [] { return mpegFixture("random.mp3"); },
                "the file is not a WMA file"},
        BadCase{"Missing", "gone.mp3", nullptr, "the file does not exist"},
        BadCase{"MissingWma", "gone.wma", nullptr, "the file does not exist"}),
    [](const auto& info) { return std::string(info.param.name); });

// The name picks the reader, whatever the letter case of its extension.
struct ReaderCase
{
    const char* name;
    const char* fileName;
    std::function<QByteArray()> bytes;
    const char* artist;
};

void PrintTo(const ReaderCase& c, std::ostream* os)
{
    *os << c.name;
}

class IntakeReaderTest : public IntakeRunFixture, public ::testing::WithParamInterface<ReaderCase>
{};

TEST_P(IntakeReaderTest, ReadsTheFileByItsExtension)
{
    const ReaderCase& c = GetParam();
    const QString song = file(QLatin1String(c.fileName), c.bytes());
    const IntakeResult result = add({song});
    EXPECT_TRUE(result.rows.isEmpty());
    EXPECT_EQ(columnOfAll(SongColumn::Artist), QStringList{QLatin1String(c.artist)});
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, IntakeReaderTest,
    ::testing::Values(ReaderCase{"CapitalMp3Extension", "GOOD.MP3",
                                 [] { return IntakeFiles::taggedMp3("Good", "Song"); }, "Good"},
                      ReaderCase{"MixedCaseMp3Extension", "good.Mp3",
                                 [] { return IntakeFiles::taggedMp3("Good", "Song"); }, "Good"},
                      ReaderCase{"CapitalWmaExtension", "SONG.WMA",
                                 [] { return IntakeFiles::taggedWma(); }, "Wma Artist"}),
    RowName());

// A double quote in a genre or a year is stored as its stand-in; the song goes in.
TEST_F(IntakeRunFixture, DoubleQuoteInYearOrGenreIsStoredAsItsStandIn)
{
    const QString year =
        file(QStringLiteral("year.mp3"),
             IntakeFiles::untaggedMp3() + makeTagBlock("T", "Quoted Year", "", "19\"9", "", 17));
    QByteArray wmaBytes = IntakeFiles::taggedWma();
    const QByteArray jazz = QByteArray("J\0a\0z\0z\0", 8);
    ASSERT_EQ(wmaBytes.count(jazz), 1);
    wmaBytes.replace(jazz, QByteArray("J\0a\0\"\0z\0", 8));
    const QString genre = file(QStringLiteral("genre.wma"), wmaBytes);

    const IntakeResult result = add({year, genre});

    EXPECT_TRUE(result.rows.isEmpty());
    EXPECT_EQ(result.figures, (IntakeFigures{2, 0, 0, 2, 0, 0}));
    const QString standIn(QChar{doubleQuoteStandIn});
    EXPECT_EQ(columnOfAll(SongColumn::SYear), (QStringList{"19" + standIn + "9", ""}));
    EXPECT_EQ(columnOfAll(SongColumn::Genre), (QStringList{"Rock", "Ja" + standIn + "z"}));
}

TEST_F(IntakeRunFixture, FolderNamedLikeASongIsBad)
{
    const QString folder = files.path(QStringLiteral("folder.mp3"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const IntakeResult result = add({folder});
    EXPECT_EQ(result.rows, (QList<ReportRow>{{ReportRow::Bad, "", "", folder, notAFile}}));
    EXPECT_TRUE(rows().isEmpty());
}

// A pipe named like a song would block a reader that opened it: it is refused unopened.
TEST_F(IntakeRunFixture, PipeNamedLikeASongIsBad)
{
    const QString mp3 = files.path(QStringLiteral("pipe.mp3"));
    const QString wma = files.path(QStringLiteral("pipe.wma"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(mp3).constData(), 0644), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(wma).constData(), 0644), 0);
    const IntakeResult result = add({mp3, wma});
    EXPECT_EQ(result.rows, (QList<ReportRow>{{ReportRow::Bad, "", "", mp3, notAFile},
                                             {ReportRow::Bad, "", "", wma, notAFile}}));
}

// An untagged file that cannot be read is not read a second time for recognition.
TEST_F(IntakeRunFixture, UnreadableUntaggedFileIsReportedOnce)
{
    const QString noise = file(QStringLiteral("Some Artist - Some Title.mp3"),
                               readFileBytes(testDataPath(QStringLiteral("mpeg/random.mp3"))));
    const IntakeResult result = add({noise});
    EXPECT_EQ(result.rows,
              (QList<ReportRow>{{ReportRow::Bad, "", "", noise, "no MPEG audio frame found"}}));
    EXPECT_EQ(result.figures, (IntakeFigures{0, 0, 1, 1, 0, 0}));
    EXPECT_TRUE(rows().isEmpty());
}

TEST_F(IntakeRunFixture, FileDeletedWhileTheRunIsUnderWay)
{
    const QString first = file(QStringLiteral("1.mp3"), IntakeFiles::taggedMp3("A", "1"));
    const QString second = file(QStringLiteral("2.mp3"), IntakeFiles::taggedMp3("A", "2"));
    const QString untagged = file(QStringLiteral("X - Y.mp3"), IntakeFiles::untaggedMp3());
    IntakeRun run(db, home.path(), options);
    // After the first file the second one goes; the untagged one goes after the first pass,
    // before it is read again for recognition.
    const IntakeResult result =
        run.run({first, second, untagged}, [&](int position, int maximum, const QString&) {
            if (maximum == 3 && position == 1)
                QFile::remove(second);
            if (maximum == 3 && position == 3)
                QFile::remove(untagged);
        });
    EXPECT_EQ(result.rows, (QList<ReportRow>{{ReportRow::Bad, "", "", second, missing},
                                             {ReportRow::Bad, "", "", untagged, missing}}));
    EXPECT_EQ(columnOfAll(SongColumn::Title), QStringList{"1"});
}

TEST_F(IntakeRunFixture, UnreadableFileIsBad)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads files whatever their mode";
    const QString locked = file(QStringLiteral("locked.mp3"), IntakeFiles::taggedMp3("A", "B"));
    ASSERT_TRUE(QFile::setPermissions(locked, {}));
    const IntakeResult result = add({locked});
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(result.rows.size(), 1);
    EXPECT_EQ(result.rows.first().picture, ReportRow::Bad);
    EXPECT_TRUE(result.rows.first().reason.startsWith("cannot open the file for reading"))
        << result.rows.first().reason.toStdString();
    EXPECT_TRUE(rows().isEmpty());
}

// Reading never changes a file: not its bytes, not its mode, not its modification time. This
// holds for read-only files too, which are read as they are.
TEST_F(IntakeRunFixture, ReadingChangesNoFile)
{
    const QString readOnly = file(QStringLiteral("ro.mp3"), IntakeFiles::taggedMp3("A", "Ro"));
    const QString wma = file(QStringLiteral("w.wma"), IntakeFiles::taggedWma());
    const QString tilde = file(QStringLiteral("t~1.mp3"), IntakeFiles::taggedMp3("A", "Tilde"));
    const QString bad = file(QStringLiteral("bad.mp3"), QByteArray(500, 'x'));
    const QString untagged = file(QStringLiteral("Un - Tagged.mp3"), IntakeFiles::untaggedMp3());
    const QString onCd = file(QStringLiteral("Rec - Tagged.mp3"),
                              IntakeFiles::untaggedMp3() + makeTagBlock("", "", "", "", "", 12));
    const QStringList all{readOnly, wma, tilde, bad, untagged, onCd};
    // Old times, so that a rewrite within the same second would still show.
    for (const QString& path : all) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime);
    }
    ReadOnlyFile lock(readOnly);
    QList<FileState> before;
    for (const QString& path : all)
        before << FileState::of(path);
    options.writableMedium = false;
    options.marker = QLatin1Char('@');

    const IntakeResult result = add(all);

    EXPECT_EQ(result.figures, (IntakeFigures{5, 0, 1, 6, 2, 0}));
    for (qsizetype i = 0; i < all.size(); ++i)
        EXPECT_EQ(FileState::of(all[i]), before[i]) << all[i].toStdString();
}

// A name with a tilde is read again from a copy in the home, which goes away afterwards; the
// song keeps its own file name. The copy has a name of its own: a copy of another run on the
// same home (here under the name all runs once shared) is neither used nor removed.
TEST_F(IntakeRunFixture, NamesWithATildeAreReadFromATemporaryCopy)
{
    const QString mp3 = file(QStringLiteral("SONGNA~1.mp3"), IntakeFiles::taggedMp3("A", "Mp3"));
    const QString wma = file(QStringLiteral("SONGNA~2.wma"), IntakeFiles::taggedWma());
    const QByteArray othersCopy = IntakeFiles::taggedMp3("Other", "Run");
    writeTestFile(home.file(QStringLiteral("temp.mp3")), othersCopy);
    QList<QStringList> homeBetweenFiles;
    IntakeRun run(db, home.path(), options);
    const IntakeResult result = run.run({mp3, wma}, [&](int, int, const QString&) {
        homeBetweenFiles << QDir(home.path()).entryList(QDir::Files);
    });
    EXPECT_TRUE(result.rows.isEmpty());
    EXPECT_EQ(columnOfAll(SongColumn::Filename),
              (QStringList{TextCodec::reFilter(mp3), TextCodec::reFilter(wma)}));
    EXPECT_EQ(columnOfAll(SongColumn::Title), (QStringList{"Mp3", "Wma Title"}));
    for (const QStringList& between : homeBetweenFiles)
        EXPECT_EQ(between.filter(QStringLiteral("temp")), QStringList{"temp.mp3"});
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files).filter(QStringLiteral("temp")),
              QStringList{"temp.mp3"});
    EXPECT_EQ(readFileBytes(home.file(QStringLiteral("temp.mp3"))), othersCopy);
}

// What the system has but the song table or the system's paths cannot take is a bad file with
// the reason; the songs around it go in.
TEST_F(IntakeRunFixture, NamesTheSystemCannotTakeAreBadWithTheirReason)
{
    const RawNamedFile latin1(files.path(QString()), "caf\xe9.mp3",
                              IntakeFiles::taggedMp3("Cafe", "Song"));
    const DeepTree tree(files.path(QString()), "song.mp3", IntakeFiles::taggedMp3("Deep", "Song"));
    const QString notUtf8 = QStringLiteral("the file name is not valid UTF-8 and cannot be stored");
    const QString tooLong = QStringLiteral("the path is longer than the system allows");

    const IntakeResult result = add(AddQueue::scanFiles(files.path(QString())));

    EXPECT_EQ(result.rows, (QList<ReportRow>{
                               {ReportRow::Bad, "", "", latin1.decodedPath(), notUtf8},
                               {ReportRow::Bad, "", "", tree.longFile(), tooLong},
                               {ReportRow::Bad, "", "", tree.tooDeepFolder(), tooLong},
                           }));
    EXPECT_EQ(columnOfAll(SongColumn::Artist), QStringList{"Deep"});
    EXPECT_EQ(IntakeReport::reportLine(result.rows.front()),
              "::BAD FILE!!! >> - " + notUtf8 + ", " + latin1.decodedPath());
}

// A WMA file whose header claims more than it holds is bad with the reason, before TagLib
// spends seconds on it; the songs around it go in.
TEST_F(IntakeRunFixture, AWmaFileWithAnImpossibleHeaderIsBadWithTheReason)
{
    QByteArray damaged = IntakeFiles::taggedWma();
    damaged[204] = '\xff'; // the metadata object's record count, in an object of 26 bytes
    damaged[205] = '\xff';
    const QString before = file(QStringLiteral("a.mp3"), IntakeFiles::taggedMp3("A", "B"));
    const QString bad = file(QStringLiteral("damaged.wma"), damaged);
    const QString after = file(QStringLiteral("good.wma"), IntakeFiles::taggedWma());

    const IntakeResult result = add({before, bad, after});

    EXPECT_EQ(result.rows,
              (QList<ReportRow>{{ReportRow::Bad, "", "", bad,
                                 "damaged WMA header: a header object holds more than its size "
                                 "allows"}}));
    EXPECT_EQ(columnOfAll(SongColumn::Artist), (QStringList{"A", "Wma Artist"}));
}

// The tilde test looks at the file's own name only.
TEST_F(IntakeRunFixture, TildeInAFolderNameNeedsNoCopy)
{
    QDir(files.path(QString())).mkpath(QStringLiteral("a~b"));
    const QString path = file(QStringLiteral("a~b/song.mp3"), IntakeFiles::taggedMp3("A", "B"));
    // A home where no copy can be written: a copy would make the file bad.
    options.copyDir = home.file(QStringLiteral("no such folder"));
    EXPECT_EQ(add({path}).figures.added, 1);

    const QString tilde = file(QStringLiteral("x~y.mp3"), IntakeFiles::taggedMp3("X", "Y"));
    EXPECT_EQ(add({tilde}).rows,
              (QList<ReportRow>{{ReportRow::Bad, "", "", tilde, cannotCopyTo(options.copyDir)}}));
}

// A backslash is an ordinary character of a file name here, not the end of a folder: the tilde
// test looks at what follows the last slash whatever backslashes the path holds.
TEST_F(IntakeRunFixture, BackslashesDoNotMoveTheTildeTest)
{
    QDir(files.path(QString())).mkpath(QStringLiteral("a\\b~c"));
    const QString folderTilde =
        file(QStringLiteral("a\\b~c/d.mp3"), IntakeFiles::taggedMp3("A", "B"));
    const QString nameTilde = file(QStringLiteral("x~\\b.mp3"), IntakeFiles::taggedMp3("X", "Y"));
    // A home where no copy can be written: a copy makes the file bad.
    options.copyDir = home.file(QStringLiteral("no such folder"));

    const IntakeResult result = add({folderTilde, nameTilde});
    EXPECT_EQ(result.figures.added, 1);
    EXPECT_EQ(result.rows, (QList<ReportRow>{{ReportRow::Bad, "", "", nameTilde,
                                              cannotCopyTo(options.copyDir)}}));
}

} // namespace

// A recognised tag that cannot be written (the file is read-only on a writable disk) leaves the
// file as it was; the song is added all the same and the run goes on.
TEST_F(IntakeRunFixture, RecognisedTagOfAReadOnlyFileIsNotWritten)
{
    const QByteArray bytes = IntakeFiles::untaggedMp3() + makeTagBlock("", "", "", "", "", 12);
    const QString path = file(QStringLiteral("Rez Vuvevo - Jamming.mp3"), bytes);
    const QString next = file(QStringLiteral("next.mp3"), IntakeFiles::taggedMp3("A", "B"));
    ReadOnlyFile lock(path);
    if (lock.stillWritable())
        GTEST_SKIP() << "this system cannot make a file unwritable for the current user";

    const IntakeResult result = add({path, next});

    EXPECT_EQ(result.figures, (IntakeFigures{2, 0, 0, 2, 1, 0}));
    EXPECT_EQ(columnOfAll(SongColumn::Artist), (QStringList{"A", "Rez Vuvevo"}));
    EXPECT_EQ(readFileBytes(path), bytes);
}
