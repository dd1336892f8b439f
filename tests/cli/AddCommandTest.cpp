#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/TextCodec.h"
#include "intake/SystemNames.h"
#include "platform/Volumes.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class AddCommandTest : public ::testing::Test
{
protected:
    CliRun run(const QStringList& args) { return runCli(home.path(), args); }

    static QByteArray fixture(const QString& name)
    {
        QFile file(testDataPath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        return writeTestFile(dir.filePath(name), bytes);
    }

    // The 1 s fixture with an ID3v1 tag of the given artist and title.
    static QByteArray tagged(const QByteArray& artist, const QByteArray& title)
    {
        const auto slot = [](const QByteArray& text, int width) {
            return text.left(width) + QByteArray(width - std::min<int>(width, text.size()), ' ');
        };
        return fixture(QStringLiteral("id3v1/untagged.mp3")) + "TAG" + slot(title, 30) +
               slot(artist, 30) + slot("", 30) + slot("", 4) + slot("", 30) + char(17);
    }

    // Each row's columns, in insert order.
    QList<QStringList> table(const QList<SongColumn>& columns)
    {
        SongDatabase db(home.path());
        RQuery query(db);
        query.setSql(QStringLiteral("select * from tamboro order by ID"));
        query.open();
        QList<QStringList> rows;
        for (query.first(); !query.eof(); query.next()) {
            QStringList row;
            for (SongColumn column : columns)
                row << query.field(column);
            rows << row;
        }
        return rows;
    }

    TempHome home;
    QTemporaryDir dir;
};

// A folder is scanned breadth first for *.mp3 and *.wma whatever their letter case; the run is
// the add of the window, its report printed in the saved form, then the figures.
TEST_F(AddCommandTest, FolderIsScannedAndTheReportPrinted)
{
    const QString top = write("music/top.mp3", tagged("Top", "Song"));
    const QString loud = write("music/sub/LOUD.MP3", tagged("Loud", "Song"));
    const QString named =
        write("music/sub/Rez Vuvevo - Jamming.mp3", fixture(QStringLiteral("id3v1/untagged.mp3")));
    const QString wma = write("music/sub/deep/x.WMA", fixture(QStringLiteral("intake/tagged.wma")));
    write("music/sub/notes.txt", "not a song");

    const CliRun result = run({"add", "--medium", "CD 1", "--kind", "cd", dir.filePath("music")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    // "LOUD.MP3" is read as the MP3 file it is.
    EXPECT_EQ(QString::fromUtf8(result.out),
              "::AI RECOGNIZED >>Rez Vuvevo - Jamming, " + named +
                  "\nadded: 4\ndoubles: 0\nbad: 0\ntotal: 4\nfull: 1\npartial: 0\n\n");
    EXPECT_EQ(table({SongColumn::Artist, SongColumn::Filename, SongColumn::Location}),
              (QList<QStringList>{{"Top", top, "CD 1@"},
                                  {"Loud", loud, "CD 1@"},
                                  {"Wma Artist", wma, "CD 1@"},
                                  {"Rez Vuvevo", named, "CD 1@"}}));
    // A changeable medium: the recognised name is not written into the file.
    EXPECT_EQ(bytes(named), fixture(QStringLiteral("id3v1/untagged.mp3")));
}

TEST_F(AddCommandTest, JsonRowsAndTheScopeOfTheDuplicateTest)
{
    const QString song = write("a.mp3", tagged("A", "B"));
    ASSERT_EQ(run({"add", "--medium", "One", song}).exitCode, 0);

    // Another medium: the same song goes in again, unless only the medium's own songs count.
    const CliRun other = run({"add", "--json", "--medium", "Two", song});
    EXPECT_EQ(
        records(other.out).value(0),
        QJsonObject(
            {{"added", 1}, {"doubles", 0}, {"bad", 0}, {"total", 1}, {"full", 0}, {"partial", 0}}));
    const CliRun sameOnly =
        run({"add", "--json", "--medium", "Three", "--same-medium-only", song, song});
    ASSERT_EQ(sameOnly.exitCode, 0) << sameOnly.err.toStdString();
    const QJsonObject twin{{"kind", "double"}, {"artist", "A"}, {"title", "B"}, {"filename", song}};
    EXPECT_EQ(records(sameOnly.out), (QList<QJsonObject>{twin, twin,
                                                         QJsonObject({{"added", 0},
                                                                      {"doubles", 2},
                                                                      {"bad", 0},
                                                                      {"total", 2},
                                                                      {"full", 0},
                                                                      {"partial", 0}})}));
    EXPECT_EQ(table({SongColumn::Location}), (QList<QStringList>{{"One!"}, {"Two!"}}));
}

// A song moved on its medium is found again: a "moved" row and figure, the row pointing to it.
TEST_F(AddCommandTest, MovedSongIsReportedAsMoved)
{
    const QString before = write("a.mp3", tagged("A", "B"));
    ASSERT_EQ(run({"add", "--medium", "One", before}).exitCode, 0);
    const QString after = write("b.mp3", QByteArray());
    ASSERT_TRUE(QFile::remove(after) && QFile::rename(before, after));

    const CliRun moved = run({"add", "--json", "--medium", "One", after});

    ASSERT_EQ(moved.exitCode, 0) << moved.err.toStdString();
    EXPECT_EQ(records(moved.out),
              (QList<QJsonObject>{
                  {{"kind", "moved"}, {"artist", "A"}, {"title", "B"}, {"filename", after}},
                  QJsonObject({{"added", 0},
                               {"doubles", 0},
                               {"bad", 0},
                               {"total", 1},
                               {"full", 0},
                               {"partial", 0},
                               {"moved", 1}})}));
    EXPECT_EQ(table({SongColumn::Filename}), (QList<QStringList>{{after}}));
}

TEST_F(AddCommandTest, MediumNameWithADoubleQuoteAddsNothing)
{
    const QString song = write("a.mp3", tagged("A", "B"));
    const CliRun result = run({"add", "--medium", "The \"Best\"", song});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains("double quote")) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("tamboro.db"))));
}

// A path that does not exist is a mistake in the command, not a bad file: it is named on stderr,
// the other paths are added, and the exit code says that not everything worked.
TEST_F(AddCommandTest, PathThatDoesNotExistIsNamedAndExitsOne)
{
    const QString song = write("a.mp3", tagged("A", "B"));
    const QString missing = dir.filePath("no such.mp3");
    const CliRun result = run({"add", "--medium", "Disk", missing, song});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, (missing + " does not exist\n").toUtf8());
    EXPECT_EQ(QString::fromUtf8(result.out),
              "added: 1\ndoubles: 0\nbad: 0\ntotal: 1\nfull: 0\npartial: 0\n\n");
    EXPECT_EQ(table({SongColumn::Title}), (QList<QStringList>{{"B"}}));
}

// A song file typed with a name that is not UTF-8 exists: it is a bad file with the reason, as
// when its folder is added; a typed name that names nothing still does not exist. Bad rows
// carry their reason in JSON.
TEST_F(AddCommandTest, NamesTypedInBytesThatAreNotUtf8)
{
    const RawNamedFile latin1(dir.path(), "caf\xe9.mp3", tagged("Cafe", "Song"));
    const QString broken = write("broken.mp3", QByteArray(300, 'x'));
    // Through a shell, since a process started from a QString list gets UTF-8 arguments only.
    QProcess process;
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("exec \"$0\" --home \"$1\" add --json --medium Disk "
                                  "\"$(printf '%s/caf\\351.mp3' \"$2\")\" "
                                  "\"$(printf '%s/gone\\351.mp3' \"$2\")\" \"$3\""),
                   QStringLiteral(T3_BINARY_DIR "/bin/tamboro3-cli"), home.path(), dir.path(),
                   broken});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QByteArray out = process.readAllStandardOutput();
    const QString gone = dir.path() + QString::fromUtf8("/gone\xef\xbf\xbd.mp3");

    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
              gone + ": the name is not valid UTF-8, so no file can be opened by it\n");
    const QList<QJsonObject> rows = records(out);
    ASSERT_EQ(rows.size(), 3) << out.toStdString();
    EXPECT_EQ(rows[0], QJsonObject({{"kind", "bad"},
                                    {"artist", ""},
                                    {"title", ""},
                                    {"filename", latin1.decodedPath()},
                                    {"reason", "the file name is not valid UTF-8 and cannot be "
                                               "stored"}}));
    EXPECT_EQ(rows[1], QJsonObject({{"kind", "bad"},
                                    {"artist", ""},
                                    {"title", ""},
                                    {"filename", broken},
                                    {"reason", "no MPEG audio frame found"}}));
    EXPECT_EQ(rows[2]["bad"], 2);
}

// Without --medium the first path's volume names the medium and gives its kind.
TEST_F(AddCommandTest, DefaultMediumIsTheVolumeOfTheFirstPath)
{
    const QString song = write("a.mp3", tagged("A", "B"));
    VolumeInfo expected;
    for (const VolumeInfo& volume : SystemVolumes().volumes()) {
        const QString root = volume.root.endsWith('/') ? volume.root : volume.root + '/';
        if ((song.startsWith(root)) && volume.root.size() >= expected.root.size())
            expected = volume;
    }
    ASSERT_FALSE(expected.root.isEmpty());

    const CliRun result = run({"add", song});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(table({SongColumn::Location}),
              (QList<QStringList>{{expected.label + expected.kind}}));
}

// The add is one transaction: a run killed halfway leaves the song table as it was.
TEST_F(AddCommandTest, KilledRunLeavesTheTableAsItWas)
{
    ASSERT_EQ(
        run({"add", "--medium", "Disk", write("first.mp3", tagged("Before", "Kill"))}).exitCode, 0);
    // Enough songs that their progress lines (about 45 bytes each) overfill the 64 KB of a
    // pipe: once this test stops reading, the run cannot get to its end.
    constexpr int count = 3000;
    QStringList songs;
    for (int i = 0; i < count; ++i)
        songs << write(QStringLiteral("many/%1.mp3").arg(i), tagged("Many", QByteArray::number(i)));

    QProcess process;
    // waitForReadyRead() waits for the read channel only, draining the others meanwhile.
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(T3_BINARY_DIR "/bin/tamboro3-cli"),
                  QStringList{"--home", home.path(), "add", "--progress", "--medium", "Disk"} +
                      songs);
    ASSERT_TRUE(process.waitForStarted());
    // "progress 20/3000": twenty songs are in the table as far as the run can tell.
    const QByteArray mark = QByteArray("progress 20/") + QByteArray::number(count) + ' ';
    QByteArray progress;
    while (!progress.contains(mark) && process.state() == QProcess::Running) {
        process.waitForReadyRead(1000);
        progress += process.readAllStandardError();
    }
    ASSERT_TRUE(progress.contains(mark)) << progress.left(2000).toStdString();
    process.kill();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);

    EXPECT_EQ(table({SongColumn::Title}), (QList<QStringList>{{"Kill"}}));
    // Nothing is left locked: the next run adds its song.
    const CliRun again = run({"add", "--json", "--medium", "Disk", songs.last()});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(table({SongColumn::Title}),
              (QList<QStringList>{{"Kill"}, {QString::number(count - 1)}}));
}

} // namespace
