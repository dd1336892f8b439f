#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ListCommandTest : public ::testing::Test
{
protected:
    CliRun run(const QStringList& args) { return runCli(home.path(), args); }

    void createTable() { SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db"))); }

    // Adds a song the way intake does (texts encoded); `filename` as the user sees it.
    void add(const QString& artist, const QString& title, const QString& filename,
             const QString& length, const QString& album = QString())
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        Song song;
        song.artist = TextCodec::reFilter(artist);
        song.title = TextCodec::reFilter(title);
        song.filename = TextCodec::reFilter(filename);
        song.trackLength = length;
        song.location = QStringLiteral("CD Rock@");
        song.genre = QStringLiteral("Rock");
        song.album = TextCodec::reFilter(album);
        song.bitrate = QStringLiteral("128");
        song.frequency = QStringLiteral("44100");
        song.comment = QStringLiteral("no |4");
        song.year = QStringLiteral("1999");
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }

    QString fileOnDisk(const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("mp3");
        return path;
    }

    TempHome home;
    QTemporaryDir dir;
};

TEST_F(ListCommandTest, JsonRowsInArtistOrderThenPanels)
{
    createTable();
    const QString present = fileOnDisk(QStringLiteral("b.mp3"));
    const QString relocatable = fileOnDisk(QStringLiteral("c.mp3"));
    // Stored from a Windows drive; the same folders exist under the root file system.
    QString windowsPath = QStringLiteral("D:") + relocatable;
    windowsPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
    add(QStringLiteral("Beta"), QStringLiteral("It's \"B\""), present, QStringLiteral("0:02:30"),
        QStringLiteral("Album: B"));
    add(QStringLiteral("Alpha"), QStringLiteral("Gone"), dir.filePath(QStringLiteral("gone.mp3")),
        QStringLiteral("0:02:30"));
    add(QStringLiteral("Gamma"), QStringLiteral("Moved"), windowsPath, QStringLiteral("bad"));

    const CliRun result = run({"list", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> out = records(result.out);
    ASSERT_EQ(out.size(), 4) << result.out.toStdString();

    const QStringList names = {"artist",  "title",    "length", "filename",  "album",
                               "comment", "year",     "genre",  "frequency", "bitrate",
                               "id",      "location", "played", "available"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(out[i].keys().size(), names.size());
        for (const QString& name : names)
            EXPECT_TRUE(out[i].contains(name)) << i << ' ' << name.toStdString();
    }
    EXPECT_EQ(out[0]["artist"].toString(), "Alpha");
    EXPECT_FALSE(out[0]["available"].toBool());
    EXPECT_EQ(out[0]["filename"].toString(), dir.filePath(QStringLiteral("gone.mp3")));

    EXPECT_EQ(out[1]["artist"].toString(), "Beta");
    EXPECT_EQ(out[1]["title"].toString(), "It's \"B\"");
    EXPECT_EQ(out[1]["length"].toString(), "0:02:30");
    EXPECT_EQ(out[1]["filename"].toString(), present);
    EXPECT_EQ(out[1]["album"].toString(), "Album: B");
    EXPECT_EQ(out[1]["comment"].toString(), "no *");
    EXPECT_EQ(out[1]["year"].toString(), "1999");
    EXPECT_EQ(out[1]["genre"].toString(), "Rock");
    EXPECT_EQ(out[1]["frequency"].toString(), "44100");
    EXPECT_EQ(out[1]["bitrate"].toString(), "128");
    EXPECT_EQ(out[1]["id"].toString(), "1");
    EXPECT_EQ(out[1]["location"].toString(), "CD Rock@");
    EXPECT_EQ(out[1]["played"].toString(), "0");
    EXPECT_TRUE(out[1]["available"].toBool());

    // Found under "/", the root every machine has.
    EXPECT_EQ(out[2]["filename"].toString(), relocatable);
    EXPECT_TRUE(out[2]["available"].toBool());
    EXPECT_EQ(out[2]["length"].toString(), "bad");

    EXPECT_EQ(out[3].keys(), QStringList{"panels"});
    EXPECT_EQ(out[3]["panels"].toArray().toVariantList(),
              (QVariantList{"Songs in list: 3", "Songs playable: 2", "List Time: 0:5:0",
                            "Play Time: 0:2:30"}));
}

// The list writes its JSON lines itself, for speed; each must be byte for byte what
// QJsonDocument writes for the same values, whatever characters the texts hold.
TEST_F(ListCommandTest, JsonLinesAreWhatQJsonDocumentWrites)
{
    createTable();
    const QString awkward = QString::fromUtf8("Back\\slash \"quoted\"\ttab\x01\x1f\x7f end");
    const QString wide =
        QString::fromUtf8("Mot\xc3\xb6rhead \xf0\x9f\x98\x80 \xef\xbd\xa1 \xe2\x80\xa8");
    add(awkward, wide, dir.filePath(QStringLiteral("a \"b\".mp3")), QStringLiteral("0:01:00"),
        awkward + wide);
    add(QStringLiteral("Plain"), QStringLiteral("Song"), dir.filePath(QStringLiteral("p.mp3")),
        QStringLiteral("0:01:00"));

    const CliRun result = run({"list", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList names = {"artist",  "title",    "length", "filename",  "album",
                               "comment", "year",     "genre",  "frequency", "bitrate",
                               "id",      "location", "played", "available"};
    const auto jsonText = [](const QJsonValue& value) {
        const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    };
    const QList<QByteArray> lines = result.out.split('\n');
    ASSERT_EQ(lines.size(), 4) << result.out.toStdString(); // two songs, the panels, the end
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject record = QJsonDocument::fromJson(lines[i]).object();
        QByteArrayList fields;
        for (const QString& name : names)
            fields << jsonText(name) + ':' + jsonText(record[name]);
        EXPECT_EQ(lines[i], '{' + fields.join(',') + '}');
    }
    EXPECT_TRUE(lines[0].contains("\\\\slash")) << lines[0].toStdString(); // the codec kept it
}

TEST_F(ListCommandTest, PlainTextIsOneLinePerRow)
{
    createTable();
    const QString present = fileOnDisk(QStringLiteral("a.mp3"));
    add(QStringLiteral("AC:DC"), QStringLiteral("T.N.T."), present, QStringLiteral("0:03:34"));

    const CliRun result = run({"list"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = result.out.split('\n');
    ASSERT_EQ(lines.size(), 3) << result.out.toStdString(); // two lines and the final break
    EXPECT_EQ(lines[0],
              (QStringLiteral("artist: AC:DC\ttitle: T.N.T.\tlength: 0:03:34\tfilename: ") +
               present +
               QStringLiteral("\talbum: \tcomment: no *\tyear: 1999\tgenre: Rock\t"
                              "frequency: 44100\tbitrate: 128\tid: 1\tlocation: CD Rock@\t"
                              "played: 0\tavailable: true"))
                  .toUtf8());
    EXPECT_EQ(lines[1], QByteArray("Songs in list: 1\tSongs playable: 1\tList Time: 0:3:34\t"
                                   "Play Time: 0:3:34"));
}

TEST_F(ListCommandTest, EmptyTableGivesOnlyThePanels)
{
    createTable();
    const CliRun result = run({"list", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> out = records(result.out);
    ASSERT_EQ(out.size(), 1);
    EXPECT_EQ(out[0]["panels"].toArray().toVariantList(),
              (QVariantList{"Songs in list: 0", "Songs playable: 0", "List Time: 0:0:0",
                            "Play Time: 0:0:0"}));
}

TEST_F(ListCommandTest, ErrorsAreReported)
{
    // No song table in the home: an error, and no table is made.
    CliRun result = run({"list"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.contains("tamboro.db")) << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("tamboro.db"))));

    createTable();
    result = run({"list", "extra"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains("Usage")) << result.err.toStdString();
    result = run({"list", "--csv"});
    EXPECT_EQ(result.exitCode, 2);
}

} // namespace
