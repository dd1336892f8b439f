#include "lists/UserLists.h"

#include "db/SongTableFixture.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"
#include "testsupport/FailDevice.h"
#include "testsupport/QtPrinters.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

using UserListMatch::LinePattern;

// ---- a line's pattern -----------------------------------------------------------------------

struct PatternCase
{
    const char* name;
    const char* line; // stored form
    const char* like;
};

class LinePatternTest : public ::testing::TestWithParam<PatternCase>
{};

TEST_P(LinePatternTest, DriveSeparatorAndName)
{
    EXPECT_EQ(
        UserListMatch::likePattern(UserListMatch::patternOf(QString::fromUtf8(GetParam().line))),
        QString::fromUtf8(GetParam().like));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LinePatternTest,
    ::testing::Values(
        // Windows-written lines: the colon of a drive is stored as "|5".
        PatternCase{"WindowsDrive", "C|5\\Music\\A\\x.mp3", "C|5%\\x.mp3"},
        PatternCase{"WindowsDriveWithSlashes", "C|5/Music/x.mp3", "C|5%\\x.mp3"},
        PatternCase{"WindowsFileAtTheDriveRoot", "D|5\\x.mp3", "D|5%\\x.mp3"},
        PatternCase{"WindowsShare", "\\\\server\\share\\Pop\\x.mp3", "\\\\server\\share%\\x.mp3"},
        PatternCase{"WindowsRelativeToItsDrive", "D|5x.mp3", "D|5%\\x.mp3"},
        PatternCase{"WindowsRelative", "Music\\x.mp3", "%\\x.mp3"},
        // This system's lines: the medium root, "/" for the system disk.
        PatternCase{"SystemDisk", "/home/u/Music/x.mp3", "/%/x.mp3"},
        PatternCase{"MediaVolume", "/media/u/USB/Pop/x.mp3", "/media/u/USB%/x.mp3"},
        PatternCase{"RunMediaVolume", "/run/media/u/CD 1/x.mp3", "/run/media/u/CD 1%/x.mp3"},
        PatternCase{"MntVolume", "/mnt/share/a/x.mp3", "/mnt/share%/x.mp3"},
        PatternCase{"BackslashAndColonInAName", "/music/a\\b|5c.mp3", "/%/a\\b|5c.mp3"},
        PatternCase{"EncodedApostrophe", "/music/don|1t.mp3", "/%/don|1t.mp3"},
        PatternCase{"Empty", "", "%/"}),
    RowName());

// ---- the song table's "like" ----------------------------------------------------------------

struct LikeCase
{
    const char* name;
    const char* pattern;
    const char* text;
    bool matches;
};

class LikeMatchesTest : public ::testing::TestWithParam<LikeCase>
{};

TEST_P(LikeMatchesTest, AsTheSongTableReadsIt)
{
    const LikeCase& c = GetParam();
    EXPECT_EQ(UserListMatch::likeMatches(QString::fromUtf8(c.pattern), QString::fromUtf8(c.text)),
              c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, LikeMatchesTest,
    ::testing::Values(LikeCase{"PercentSpansFolders", "C:%\\x.mp3", "C:\\a\\b\\x.mp3", true},
                      LikeCase{"PercentMayBeEmpty", "C:%\\x.mp3", "C:\\x.mp3", true},
                      LikeCase{"OtherDrive", "C:%\\x.mp3", "D:\\a\\x.mp3", false},
                      LikeCase{"LongerName", "C:%\\x.mp3", "C:\\a\\ax.mp3", false},
                      LikeCase{"AsciiLettersIgnoreCase", "c:%\\X.MP3", "C:\\a\\x.mp3", true},
                      LikeCase{"OtherLettersKeepCase", "/%/\xc3\x89t\xc3\xa9.mp3",
                               "/a/\xc3\xa9t\xc3\xa9.mp3", false},
                      LikeCase{"UnderscoreIsOneCharacter", "/%/a_b.mp3", "/m/a-b.mp3", true},
                      LikeCase{"UnderscoreIsOneCodePoint", "/%/a_b.mp3",
                               "/m/a\xf0\x9f\x8e\xb5"
                               "b.mp3",
                               true},
                      LikeCase{"UnderscoreNeedsACharacter", "/%/a_b.mp3", "/m/ab.mp3", false},
                      LikeCase{"BacktrackingAfterAFalseStart", "%ab%ac", "xabyabac", true},
                      LikeCase{"TrailingPercents", "a%%", "a", true},
                      LikeCase{"EmptyPatternEmptyText", "", "", true},
                      LikeCase{"EmptyPattern", "", "a", false}),
    RowName());

// ---- finding the songs ----------------------------------------------------------------------

class UserListMatchTest : public SongTableFixture
{
protected:
    void addFile(const QString& plainName)
    {
        Song song;
        song.artist = QStringLiteral("A");
        song.title = plainName;
        song.filename = plainName;
        song.trackLength = QStringLiteral("0:03:00");
        song.location = QStringLiteral("Disk!");
        uq.setSql(Statements::insertSong(song.storedForm()));
        uq.execSQL();
    }

    // The songs' plain file names for a list of plain lines, found the fast way.
    QStringList found(const QStringList& plainLines)
    {
        QStringList lines;
        for (const QString& line : plainLines)
            lines << TextCodec::reFilter(line);
        QStringList names;
        for (const QString& id : UserListMatch::matchingIds(db, lines))
            names << TextCodec::filter(
                column(Statements::selectById(id), SongColumn::Filename).value(0));
        return names;
    }

    // The same lines through one "filename like" term each, as the statement reads them.
    QStringList foundByStatement(const QStringList& plainLines)
    {
        QStringList patterns;
        for (const QString& line : plainLines)
            patterns << UserListMatch::likePattern(
                UserListMatch::patternOf(TextCodec::reFilter(line)));
        QStringList names;
        for (const QString& name :
             column(Statements::selectUserListFiles(patterns) + QStringLiteral(" order by ID"),
                    SongColumn::Filename))
            names << TextCodec::filter(name);
        return names;
    }
};

TEST_F(UserListMatchTest, FindsSongsOnTheirMediumInAnyFolder)
{
    for (const char* name :
         {"/home/u/Other/x.mp3", "/home/u/Pop/y.mp3", "/home/u/Rock/y.mp3", "/media/u/USB/x.mp3",
          "/media/u/USB/Old/z.mp3", "/media/u/USB2/z.mp3", "C:\\Other\\w.mp3", "D:\\Pop\\w.mp3"})
        addFile(QString::fromUtf8(name));

    // A song moved to another folder of the system disk; two same-named songs in two folders.
    EXPECT_EQ(found({"/home/u/Music/A/x.mp3"}),
              (QStringList{"/home/u/Other/x.mp3", "/media/u/USB/x.mp3"}));
    EXPECT_EQ(found({"/home/u/y.mp3"}), (QStringList{"/home/u/Pop/y.mp3", "/home/u/Rock/y.mp3"}));
    // A medium's line: that medium's songs; the label's prefix is the pattern's, as in the
    // statement.
    EXPECT_EQ(found({"/media/u/USB/New/z.mp3"}),
              (QStringList{"/media/u/USB/Old/z.mp3", "/media/u/USB2/z.mp3"}));
    // A line written by the Windows program finds songs stored under Windows names.
    EXPECT_EQ(found({"C:\\Music\\A\\w.mp3"}), QStringList{"C:\\Other\\w.mp3"});
    // Lines that find nothing are dropped; each song is found once, in table order.
    EXPECT_EQ(found({"/nowhere/none.mp3", "D:\\w.mp3", "D:\\Pop\\w.mp3"}),
              QStringList{"D:\\Pop\\w.mp3"});
    EXPECT_EQ(found({}), QStringList());
}

// The fast way finds exactly the songs of the statement, special characters included.
TEST_F(UserListMatchTest, FindsWhatTheStatementFinds)
{
    const QStringList songs{
        "/m/a_b.mp3",         "/m/a-b.mp3",         "/m/A_B.MP3",        "/m/ab.mp3",
        "/m/50%.mp3",         "/m/50 off.mp3",      "/m/don't.mp3",      "/m/don|t.mp3",
        "/m/\"q\".mp3",       "/m/#1 *hit*.mp3",    "/m/a:b`c.mp3",      "/m/caf\u00e9.mp3",
        "/m/CAF\u00c9.mp3",   "/m/sub\\x.mp3",      "C:\\m\\sub\\x.mp3", "C:\\m\\a_b.mp3",
        "/media/u/L_1/x.mp3", "/media/u/LX1/x.mp3", "/m/x.mp3",          "/m/\U0001F3B5.mp3"};
    for (const QString& song : songs)
        addFile(song);
    const QStringList lines{"/q/a_b.mp3",           "/q/A-B.mp3",   "/q/50%.mp3",
                            "/q/don't.mp3",         "/q/don|t.mp3", "/q/\"q\".mp3",
                            "/q/#1 *hit*.mp3",      "/q/a:b`c.mp3", "/q/caf\u00e9.mp3",
                            "/q/sub\\x.mp3",        "C:\\z\\x.mp3", "C:\\a_b.mp3",
                            "/media/u/L_1/q/x.mp3", "/q/_.mp3",     "/q/\U0001F3B5.mp3"};
    for (const QString& line : lines)
        EXPECT_EQ(found({line}), foundByStatement({line})) << line.toStdString();
    EXPECT_EQ(found(lines), foundByStatement(lines));
}

// ---- files ----------------------------------------------------------------------------------

QStringList readBytes(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    return UserListFile::read(device, QStringLiteral("list.tb3"));
}

TEST(UserListFileTest, WritesCrLfUtf8AndReadsItBack)
{
    const QStringList lines{"/m/caf\u00e9 |1.mp3", "C|5\\Music\\x.mp3"};
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    UserListFile::write(device, lines, QStringLiteral("list.tb3"));
    EXPECT_EQ(bytes, QByteArray("/m/caf\xc3\xa9 |1.mp3\r\nC|5\\Music\\x.mp3\r\n"));
    EXPECT_EQ(readBytes(bytes), lines);
}

struct ReadCase
{
    const char* name;
    QByteArray bytes;
    QStringList lines;
};

class UserListReadTest : public ::testing::TestWithParam<ReadCase>
{};

TEST_P(UserListReadTest, ReadsTheLines)
{
    EXPECT_EQ(readBytes(GetParam().bytes), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Files, UserListReadTest,
    ::testing::Values(ReadCase{"Empty", "", {}},
                      ReadCase{"LineFeedsOnly", "a.mp3\nb.mp3", {"a.mp3", "b.mp3"}},
                      ReadCase{"BlankLinesDropped", "\r\na.mp3\r\n\r\n", {"a.mp3"}},
                      ReadCase{"ByteOrderMark", "\xEF\xBB\xBF/m/a.mp3\r\n", {"/m/a.mp3"}},
                      // The Windows program wrote its ANSI code page.
                      ReadCase{"Windows1252",
                               "C|5\\Caf\xe9 \x80 \x93x\x94.mp3\r\n",
                               {"C|5\\Caf\u00e9 \u20ac \u201cx\u201d.mp3"}},
                      ReadCase{"TenMegabyteLine",
                               QByteArray(10 * 1024 * 1024, 'x') + "\r\na.mp3\r\n",
                               {QString(10 * 1024 * 1024, QLatin1Char('x')), "a.mp3"}}),
    RowName());

TEST(UserListFileTest, RefusesWhatIsNoListAndFailingDevices)
{
    EXPECT_THROW(readBytes(QByteArray("/m/a.mp3\r\n\x00\x01\x02", 13)), EInOutError);

    FailDevice reading(QByteArray("/m/a.mp3\r\n").repeated(100));
    reading.setReadLimit(300);
    reading.open(QIODevice::ReadOnly);
    EXPECT_THROW(UserListFile::read(reading, QStringLiteral("list.tb3")), EInOutError);

    FailDevice writing;
    writing.setWriteLimit(5);
    writing.open(QIODevice::WriteOnly);
    EXPECT_THROW(UserListFile::write(writing, {"/m/a.mp3"}, QStringLiteral("list.tb3")),
                 EInOutError);
}

} // namespace
