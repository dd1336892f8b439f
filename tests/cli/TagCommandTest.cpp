#include "testsupport/CaseNames.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TagCommandTest : public ::testing::Test
{
protected:
    CliRun run(const QStringList& args) { return runCli(home.path(), args); }

    QString copy(const QString& fixture, const QString& name)
    {
        return write(name, bytes(testDataPath(QStringLiteral("id3v1/") + fixture)));
    }

    QString write(const QString& name, const QByteArray& content)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        return path;
    }

    TempHome home;
    QTemporaryDir dir;
};

// Each file is shown as it is: a file without a tag shows no values of the file before it.
TEST_F(TagCommandTest, ShowReadsEachFileAsItIs)
{
    const QString tagged = copy("tagged.mp3", "tagged.mp3");
    const QString untagged = copy("untagged.mp3", "untagged.mp3");
    const QString tiny = write("tiny.mp3", QByteArray(50, 'x'));

    const CliRun result = run({"tag", "show", "--json", tagged, untagged, tiny, tagged});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString(); // one file raised an I/O error
    const QList<QJsonObject> out = records(result.out);
    ASSERT_EQ(out.size(), 4) << result.out.toStdString();

    const QStringList names = {"file",  "valid", "error",   "title",    "artist",
                               "album", "year",  "comment", "genre_id", "genre"};
    EXPECT_EQ(out[0].keys().size(), names.size());
    for (const QString& name : names)
        EXPECT_TRUE(out[0].contains(name)) << name.toStdString();

    EXPECT_EQ(out[0]["file"].toString(), tagged);
    EXPECT_TRUE(out[0]["valid"].toBool());
    EXPECT_EQ(out[0]["error"].toString(), QString());
    EXPECT_EQ(out[0]["title"].toString(), "Silent Night");
    EXPECT_EQ(out[0]["artist"].toString(), "The Testers");
    EXPECT_EQ(out[0]["album"].toString(), "Fixtures");
    EXPECT_EQ(out[0]["year"].toString(), "1999");
    EXPECT_EQ(out[0]["comment"].toString(), "one second");
    EXPECT_EQ(out[0]["genre_id"].toInt(), 17);
    EXPECT_EQ(out[0]["genre"].toString(), "Rock");

    // Without a tag: every value empty, the genre number too.
    for (int i : {1, 2}) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(out[i]["valid"].toBool());
        for (const char* name : {"title", "artist", "album", "year", "comment", "genre"})
            EXPECT_EQ(out[i][name].toString(), QString()) << name;
        EXPECT_TRUE(out[i]["genre_id"].isNull());
    }
    EXPECT_EQ(out[1]["error"].toString(), "Wrong file format !");
    EXPECT_TRUE(out[2]["error"].toString().contains(tiny))
        << out[2]["error"].toString().toStdString();

    // The run went on after the I/O error.
    EXPECT_TRUE(out[3]["valid"].toBool());
    EXPECT_EQ(out[3]["title"].toString(), "Silent Night");
}

// A file without a tag was read: only a file that is missing or cannot be read makes the exit
// code 1.
TEST_F(TagCommandTest, ShowExitsOneOnlyForFilesThatCouldNotBeRead)
{
    const QString untagged = copy("untagged.mp3", "u.mp3");
    const CliRun withoutTag = run({"tag", "show", untagged, copy("tagged.mp3", "t.mp3")});
    EXPECT_EQ(withoutTag.exitCode, 0) << withoutTag.err.toStdString();
    EXPECT_TRUE(withoutTag.out.contains("error: Wrong file format !\n"));

    const CliRun missing = run({"tag", "show", untagged, dir.filePath("missing.mp3")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.out.contains("error: File doesn`t exist !\n"));
    EXPECT_TRUE(missing.out.contains("genre_id: \ngenre: \n")) << missing.out.toStdString();
}

struct GenreCase
{
    const char* name;
    int genreID;
    const char* genre;
};

void PrintTo(const GenreCase& c, std::ostream* os)
{
    *os << c.name;
}

class TagShowGenre : public ::testing::TestWithParam<GenreCase>
{
protected:
    TempHome home;
    QTemporaryDir dir;
};

// The genre shown is the name the catalogue stores for the number, where the reader's own list
// spells it differently or has lost a name and is shifted by one.
TEST_P(TagShowGenre, IsTheNameTheCatalogueStores)
{
    const GenreCase& c = GetParam();
    const QByteArray tag = "TAG" + QByteArray(30, 'T') + QByteArray(30, 'A') + QByteArray(30, ' ') +
                           QByteArray(4, ' ') + QByteArray(30, ' ') + char(c.genreID);
    const QString path = writeTestFile(
        dir.filePath("song.mp3"), bytes(testDataPath(QStringLiteral("id3v1/untagged.mp3"))) + tag);

    const QList<QJsonObject> out =
        records(runCli(home.path(), {"tag", "show", "--json", path}).out);
    ASSERT_EQ(out.size(), 1);
    EXPECT_EQ(out[0]["genre_id"].toInt(), c.genreID);
    EXPECT_EQ(out[0]["genre"].toString(), QString::fromUtf8(c.genre));
}

INSTANTIATE_TEST_SUITE_P(Table, TagShowGenre,
                         ::testing::Values(GenreCase{"Rock", 17, "Rock"},
                                           GenreCase{"FolkRock", 81, "Folk-Rock"},
                                           GenreCase{"FastFusion", 84, "Fast Fusion"},
                                           GenreCase{"Chanson", 102, "Chanson"},
                                           GenreCase{"LastOfTheReader", 114, "Samba"}),
                         RowName());

TEST_F(TagCommandTest, SetThenShowGivesTheNewValues)
{
    const QString path = copy("tagged.mp3", "song.mp3");
    const QByteArray original = bytes(path);
    const CliRun set =
        run({"tag", "set", path, "--title", "New Title", "--artist", QString::fromUtf8("Motörhead"),
             "--year", "19999", "--comment", "", "--genre-id", "255"});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();

    const QByteArray saved = bytes(path);
    ASSERT_EQ(saved.size(), original.size());
    EXPECT_EQ(saved.left(saved.size() - 128), original.left(original.size() - 128));

    const QList<QJsonObject> out = records(run({"tag", "show", "--json", path}).out);
    ASSERT_EQ(out.size(), 1);
    EXPECT_TRUE(out[0]["valid"].toBool());
    EXPECT_EQ(out[0]["title"].toString(), "New Title");
    EXPECT_EQ(out[0]["artist"].toString(), QString::fromUtf8("Motörhead"));
    EXPECT_EQ(out[0]["album"].toString(), "Fixtures"); // not given: kept
    EXPECT_EQ(out[0]["year"].toString(), "1999");
    EXPECT_EQ(out[0]["comment"].toString(), QString());
    EXPECT_EQ(out[0]["genre_id"].toInt(), 12); // 255 is written, and reads as 12
}

TEST_F(TagCommandTest, SetIsRefusedOnAFileWithoutATag)
{
    const QString path = copy("untagged.mp3", "song.mp3");
    const QByteArray original = bytes(path);
    const CliRun result = run({"tag", "set", path, "--title", "X"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, QByteArray("File doesn`t exist or is not valid !\n"));
    EXPECT_EQ(bytes(path), original);
}

TEST_F(TagCommandTest, SetRejectsBadArgumentsWithoutTouchingTheFile)
{
    const QString path = copy("tagged.mp3", "song.mp3");
    const QByteArray original = bytes(path);
    const QList<QStringList> cases = {
        {"tag", "set", path, "--genre-id", "256"},
        {"tag", "set", path, "--genre-id", "-1"},
        {"tag", "set", path, "--genre-id", "rock"},
        {"tag", "set", "--title", "X"},
        {"tag", "set", path, path},
        {"tag", "set", path, "--bogus", "1"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(run(args).exitCode, 2);
        EXPECT_EQ(bytes(path), original);
    }
}

} // namespace
