#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

class ParamsCommandTest : public ::testing::Test
{
protected:
    ParamsCommandTest()
    {
        SongDatabase::createSongTable(home.file("tamboro.db"));
        add("Queen", "Innuendo", "Rock", "CD_1@");
        add("Abba", "Waterloo", "Pop", "Disk!");
        add("It's", "Me", "Pop", "CD_1@");
        add("Queen", "Bicycle", "Pop", "CDX1@");
    }

    CliRun run(const QStringList& args) { return runCli(home.path(), args); }

    void add(const QString& artist, const QString& title, const QString& genre,
             const QString& location)
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = title;
        song.filename = "/nowhere/" + title + ".mp3";
        song.trackLength = QStringLiteral("0:03:00");
        song.genre = genre;
        song.location = location;
        song.year = QStringLiteral("1991");
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    TempHome home;
};

TEST_F(ParamsCommandTest, QueryAndCaptionInTheDialogsOrderThenTheRowsAsListPrintsThem)
{
    const CliRun result =
        run({"params", "--artist", "Queen", "--medium", "CD_1", "--artist", "It's"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = result.out.split('\n');
    ASSERT_EQ(lines.size(), 6) << result.out.toStdString(); // query, caption, 2 rows, panels, ""
    EXPECT_EQ(lines[0], "query: select * from tamboro where (artist=\"It|1s\" or "
                        "artist=\"Queen\") and (location like \"CD\\_1%\" escape \"\\\")");
    EXPECT_EQ(lines[1], "caption:  (artists: It's, Queen) (mediums: CD_1)");
    EXPECT_TRUE(lines[2].startsWith("artist: It's\ttitle: Me\t")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith("artist: Queen\ttitle: Innuendo\t")) << lines[3].toStdString();
    EXPECT_TRUE(lines[3].endsWith("\tavailable: false")) << lines[3].toStdString();
    EXPECT_EQ(lines[4], "Songs in list: 2\tSongs playable: 0\tList Time: 0:6:0\tPlay Time: 0:0:0");
    // Nothing is remembered: the command opens no window.
    EXPECT_FALSE(QFileInfo::exists(home.file("reqs.dat")));
}

TEST_F(ParamsCommandTest, JsonRecords)
{
    const CliRun result = run({"params", "--json", "--genre", "Pop", "--year", "1991"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> out = records(result.out);
    ASSERT_EQ(out.size(), 5) << result.out.toStdString();
    EXPECT_EQ(out[0].value("query").toString(),
              QStringLiteral("select * from tamboro where (genre=\"Pop\") and (syear=\"1991\")"));
    EXPECT_EQ(out[0].value("caption").toString(), QStringLiteral(" (genres: Pop) (years: 1991)"));
    EXPECT_EQ(out[1].value("artist").toString(), QStringLiteral("Abba"));
    EXPECT_EQ(out[3].value("title").toString(), QStringLiteral("Bicycle"));
    EXPECT_EQ(out[4].value("panels").toArray().first().toString(),
              QStringLiteral("Songs in list: 3"));
}

TEST_F(ParamsCommandTest, ValuesOfAKindMakeTheFiveFilesWhenMissing)
{
    const CliRun mediums = run({"params", "--values", "mediums"});
    ASSERT_EQ(mediums.exitCode, 0) << mediums.err.toStdString();
    EXPECT_EQ(mediums.out, "CD_1@\nCDX1@\nDisk!\n");
    for (const char* name : {"Artists.dat", "Genres.dat", "Mediums.dat", "Albums.dat", "Years.dat"})
        EXPECT_TRUE(QFileInfo::exists(home.file(name))) << name;

    const CliRun artists = run({"params", "--json", "--values", "artists"});
    ASSERT_EQ(artists.exitCode, 0) << artists.err.toStdString();
    EXPECT_EQ(artists.out, "{\"value\":\"Abba\"}\n{\"value\":\"It's\"}\n{\"value\":\"Queen\"}\n");
}

TEST_F(ParamsCommandTest, MistakesAreUsageErrorsAndAMissingTableFails)
{
    for (const QStringList& args :
         {QStringList{"params"}, QStringList{"params", "--values", "songs"},
          QStringList{"params", "--values", "years", "--artist", "Abba"},
          QStringList{"params", "Abba"}, QStringList{"params", "--artist"}}) {
        const CliRun result = run(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << args.join(' ').toStdString();
    }
    TempHome empty;
    const CliRun result = runCli(empty.path(), {"params", "--artist", "Abba"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("tamboro.db")) << result.err.toStdString();
}

} // namespace
