#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/CaseNames.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Three songs stored as the program stores them: the apostrophe of "Don't" in its encoded
// form, which the page must show decoded, as the list window does.
class ExportHtmlCommandTest : public ::testing::Test
{
protected:
    ExportHtmlCommandTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        add(QStringLiteral("Tom & Jerry"), QStringLiteral("Don't <stop>"), QStringLiteral("192"));
        add(QStringLiteral("Abba"), QStringLiteral("Waterloo"), QStringLiteral("128"));
        add(QStringLiteral("Beatles"), QStringLiteral("Help!"), QStringLiteral("256"));
    }

    void add(const QString& artist, const QString& title, const QString& bitrate)
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = TextCodec::reFilter(title);
        song.filename = TextCodec::reFilter(QStringLiteral("/nowhere/") + artist + ".mp3");
        song.trackLength = QStringLiteral("0:03:00");
        song.bitrate = bitrate;
        song.location = QStringLiteral("Disk!");
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    CliRun run(const QStringList& args) { return runCli(home.path(), args); }
    QStringList pageLines() const
    {
        return QString::fromUtf8(bytes(page)).split(QStringLiteral("\r\n"));
    }

    TempHome home;
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("list.html"));
};

TEST_F(ExportHtmlCommandTest, WholeDatabaseInArtistOrderDecodedAndEscaped)
{
    const CliRun done = run({"export-html", "--all", page});
    ASSERT_EQ(done.exitCode, 0) << done.err.toStdString();
    const qint64 size = bytes(page).size();
    EXPECT_EQ(done.out,
              QStringLiteral("file: %1\nrows: 3\nbytes: %2\n\n").arg(page).arg(size).toUtf8());

    const QStringList lines = pageLines();
    EXPECT_EQ(lines.value(21), QStringLiteral("<BR><CENTER><B><A HREF=\"#A\">A</A></B> | <B><A "
                                              "HREF=\"#B\">B</A></B> | <B><A HREF=\"#T\">T</A>"
                                              "</B></CENTER><BR>"));
    EXPECT_TRUE(lines.contains(QStringLiteral("<CENTER>1. Abba - Waterloo, 0:03:00</CENTER>")));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("<CENTER>3. Tom &amp; Jerry - Don't &lt;stop&gt;, 0:03:00</CENTER>")));
    EXPECT_TRUE(lines.contains(QStringLiteral("<B>Songs in list: 3</B><BR>")));
    EXPECT_EQ(lines.last(), QString()); // the file ends with CR LF
}

struct OptionCase
{
    const char* name;
    QStringList args;
    const char* line; // a line the page must hold
};

class ExportHtmlOptionsTest : public ExportHtmlCommandTest,
                              public ::testing::WithParamInterface<OptionCase>
{};

TEST_P(ExportHtmlOptionsTest, OptionsAreTheWindowsBoxes)
{
    const CliRun done = run(QStringList{"export-html"} + GetParam().args + QStringList{page});
    ASSERT_EQ(done.exitCode, 0) << done.err.toStdString();
    EXPECT_TRUE(pageLines().contains(QString::fromUtf8(GetParam().line)))
        << bytes(page).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Options, ExportHtmlOptionsTest,
    ::testing::Values(OptionCase{"table", {"--table", "--all"}, "<TD>Abba<TD>Waterloo<TD>0:03:00"},
                      OptionCase{"bitrate only",
                                 {"--fields", "bitrate", "--all"},
                                 "<CENTER>1. , 128Kbps</CENTER>"},
                      OptionCase{"fields in the fixed order",
                                 {"--fields", "bitrate,title,artist", "--all"},
                                 "<CENTER>2. Beatles - Help!, 256Kbps</CENTER>"},
                      OptionCase{"secondary",
                                 {"--secondary", "--all"},
                                 "<CENTER><B>Songs playable: 0</B><BR></CENTER>"},
                      OptionCase{"query keeps its order",
                                 {"--query", "select * from tamboro order by bitrate desc"},
                                 "<CENTER>1. Beatles - Help!, 0:03:00</CENTER>"}),
    RowName());

TEST_F(ExportHtmlCommandTest, MistakesAndFailures)
{
    // Mistakes in the command: exit code 2, nothing written.
    for (const QStringList& args :
         QList<QStringList>{{"export-html", page},
                            {"export-html", "--all", "--query", "select * from tamboro", page},
                            {"export-html", "--all"},
                            {"export-html", "--all", "--fields", "artist,id", page},
                            {"export-html", "--query", "delete from tamboro", page}}) {
        const CliRun done = run(args);
        EXPECT_EQ(done.exitCode, 2) << args.join(' ').toStdString();
    }
    EXPECT_TRUE(run({"export-html", "--all", "--fields", "artist,id", page})
                    .err.contains("Unknown field \"id\""));
    EXPECT_FALSE(QFile::exists(page));

    // Failures: exit code 1 with the reason, and an older page stays as it was.
    writeTestFile(page, "older page");
    const CliRun badSql = run({"export-html", "--query", "select * from nosuchtable", page});
    EXPECT_EQ(badSql.exitCode, 1);
    EXPECT_FALSE(badSql.err.isEmpty());
    const QString unwritable = dir.filePath(QStringLiteral("no/such/folder/list.html"));
    const CliRun noFolder = run({"export-html", "--all", unwritable});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(noFolder.err.contains("Cannot write the HTML page")) << noFolder.err.toStdString();
    EXPECT_EQ(bytes(page), QByteArray("older page"));
}

} // namespace
