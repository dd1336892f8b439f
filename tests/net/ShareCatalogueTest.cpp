#include "net/ShareCatalogue.h"

#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "testsupport/CaseNames.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A home with a song table, and files for its songs below music/.
class ShareCatalogueTest : public ::testing::Test
{
protected:
    ShareCatalogueTest() { SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db"))); }

    QString music(const QString& name) const { return home.file(QStringLiteral("music/") + name); }

    // Adds a song the way intake stores it, its file named by `path` (plain form); the file
    // is made unless `makeFile` is false.
    void addSong(const QString& artist, const QString& title, const QString& path,
                 const QString& location = QStringLiteral("Disk!"), bool makeFile = true)
    {
        if (makeFile)
            writeTestFile(path, "ID3");
        Song song{artist,
                  title,
                  path,
                  QStringLiteral("0:03:51"),
                  location,
                  QStringLiteral("Pop"),
                  QStringLiteral("Arrival"),
                  QStringLiteral("128"),
                  QStringLiteral("44100"),
                  QStringLiteral("Fine"),
                  QStringLiteral("1976")};
        uq.setSql(Statements::insertSong(song.storedForm()));
        uq.execSQL();
    }

    TempHome home;
    SongDatabase db{home.path()};
    UQuery uq{db};
    ShareCatalogue catalogue{db};
};

// The records of an answer, each as its ten fields in plain form.
QList<QStringList> recordsOf(const QString& text)
{
    QStringList fields = text.split(QLatin1Char('|'));
    EXPECT_EQ(fields.takeLast(), QString()) << "the answer ends inside a field";
    EXPECT_EQ(fields.size() % 10, 0) << "the answer holds a cut record";
    QList<QStringList> records;
    for (qsizetype i = 0; i + 10 <= fields.size(); i += 10) {
        QStringList record;
        for (const QString& field : fields.mid(i, 10))
            record << TextCodec::filter(ShareCatalogue::storedText(field));
        records << record;
    }
    return records;
}

// "artist / title" of every record.
QStringList songsOf(const ShareCatalogue::Answer& answer)
{
    QStringList songs;
    for (const QStringList& record : recordsOf(answer.records))
        songs << record[0] + QStringLiteral(" / ") + record[1];
    EXPECT_EQ(songs.size(), answer.count);
    return songs;
}

// ---- What a search finds ----

struct SearchCase
{
    const char* name;
    const char* artist;
    const char* title;
    QStringList songs;
};

void PrintTo(const SearchCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShareSearch : public ShareCatalogueTest, public ::testing::WithParamInterface<SearchCase>
{
protected:
    ShareSearch()
    {
        addSong(QStringLiteral("ABBA"), QStringLiteral("Dancing Queen"), music("a/dq.mp3"));
        addSong(QStringLiteral("ABBA"), QStringLiteral("Waterloo"), music("a/w.mp3"),
                QStringLiteral("Gold@"));
        addSong(QStringLiteral("ABBA"), QStringLiteral("SOS"), music("a/sos.mp3"),
                QStringLiteral("Share R"));
        addSong(QStringLiteral("ABBA"), QStringLiteral("Chiquitita"), music("a/gone.mp3"),
                QStringLiteral("Disk!"), false);
        addSong(QStringLiteral("Björk"), QStringLiteral("Jóga"), music("b/j.mp3"));
        addSong(QStringLiteral("Guns N' Roses"), QStringLiteral("Don't Cry"), music("g/d.mp3"));
        addSong(QStringLiteral("Motörhead"), QStringLiteral("Ace of Spades"), music("m/a.mp3"));
        QDir().mkpath(music("folder.mp3"));
        addSong(QStringLiteral("ABBA"), QStringLiteral("Folder"), music("folder.mp3"),
                QStringLiteral("Disk!"), false);
    }
};

TEST_P(ShareSearch, FindsPlayableHardDiskSongsContainingBothTexts)
{
    const SearchCase& c = GetParam();
    EXPECT_EQ(songsOf(catalogue.search(QString::fromUtf8(c.artist), QString::fromUtf8(c.title))),
              c.songs);
}

const SearchCase searchCases[] = {
    {"artist in other letter case, CD network missing file and folder left out",
     "abba",
     "",
     {QStringLiteral("ABBA / Dancing Queen")}},
    {"part of the title", "", "QUEEN", {QStringLiteral("ABBA / Dancing Queen")}},
    {"both texts must be found", "abba", "spades", {}},
    {"both texts found", "bb", "ing", {QStringLiteral("ABBA / Dancing Queen")}},
    {"letters beyond A to Z in any case", "BJÖRK", "jÓGA", {QStringLiteral("Björk / Jóga")}},
    {"coded characters typed as they are",
     "n' roses",
     "DON'T",
     {QStringLiteral("Guns N' Roses / Don't Cry")}},
    {"empty texts find every playable song in artist order",
     "",
     "",
     {QStringLiteral("ABBA / Dancing Queen"), QStringLiteral("Björk / Jóga"),
      QStringLiteral("Guns N' Roses / Don't Cry"), QStringLiteral("Motörhead / Ace of Spades")}},
    {"a double quote is a character like any other", "\"", "", {}},
};

INSTANTIATE_TEST_SUITE_P(ShareCatalogue, ShareSearch, ::testing::ValuesIn(searchCases), RowName());

// ---- The records ----

TEST_F(ShareCatalogueTest, RecordHoldsTheTenFieldsAsStoredWithBarsAsBackQuotes)
{
    const QString path = music("Don't \"Cry\" | now.mp3");
    addSong(QStringLiteral("Guns N' Roses"), QStringLiteral("Don't Cry"), path);

    const ShareCatalogue::Answer answer = catalogue.search(QString(), QString());

    const QString storedPath = TextCodec::reFilter(path);
    EXPECT_EQ(answer.records, QStringLiteral("Guns N`1 Roses|Don`1t Cry|0:03:51|") +
                                  ShareCatalogue::wireText(storedPath) +
                                  QStringLiteral("|Arrival|Fine|1976|Pop|44100|128|"));
    ASSERT_EQ(recordsOf(answer.records).size(), 1);
    const QString fileField = recordsOf(answer.records)[0][3];
    EXPECT_EQ(fileField, path);
    // The name the record carries, sent back as it came, is the stored name of the row.
    EXPECT_EQ(ShareCatalogue::storedText(ShareCatalogue::wireText(storedPath)), storedPath);
    EXPECT_EQ(catalogue.servableFile(ShareCatalogue::wireText(storedPath)), path);
}

TEST_F(ShareCatalogueTest, AnswerStopsAtFiftyRecords)
{
    for (int i = 0; i < 60; ++i)
        addSong(QStringLiteral("Artist %1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("T"),
                music(QStringLiteral("%1.mp3").arg(i)));

    const ShareCatalogue::Answer answer = catalogue.search(QString(), QString());

    const QStringList songs = songsOf(answer);
    ASSERT_EQ(songs.size(), ShareCatalogue::maxRecords);
    EXPECT_EQ(songs.first(), QStringLiteral("Artist 00 / T"));
    EXPECT_EQ(songs.last(), QStringLiteral("Artist 49 / T"));
}

TEST_F(ShareCatalogueTest, WholeMessageFitsTheFourDigitLengthInUtf8Bytes)
{
    // Long paths of two-byte letters: characters and bytes differ by half.
    const QString folder = QString(100, QChar(u'ö')) + QLatin1Char('/') + QString(100, QChar(u'ö'));
    for (int i = 0; i < 45; ++i)
        addSong(QStringLiteral("Artist %1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("T"),
                music(folder + QStringLiteral("/%1.mp3").arg(i, 2, 10, QLatin1Char('0'))));

    const ShareCatalogue::Answer answer = catalogue.search(QString(), QString());

    const qsizetype messageBytes =
        (QLatin1String(ShareCatalogue::resultVerb) + answer.records).toUtf8().size();
    EXPECT_LE(messageBytes, ShareCatalogue::maxMessageBytes);
    ASSERT_GT(answer.count, 0);
    ASSERT_LT(answer.count, 45);
    // Every record is the same size: the answer holds as many as fit, whole.
    const qsizetype recordBytes = answer.records.toUtf8().size() / answer.count;
    EXPECT_EQ(answer.count, ShareCatalogue::defaultRecordBudget / recordBytes);
    EXPECT_EQ(recordsOf(answer.records).size(), answer.count);

    const ShareCatalogue::Answer two = catalogue.search(QString(), QString(), 2 * recordBytes);
    EXPECT_EQ(two.count, 2);
    EXPECT_EQ(catalogue.search(QString(), QString(), recordBytes - 1).count, 0);
}

// ---- Which files may be sent ----

struct FileCase
{
    const char* name;
    std::function<QString(const TempHome&)> request; // the name asked for
    bool served;
};

void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShareFiles : public ShareCatalogueTest, public ::testing::WithParamInterface<FileCase>
{
protected:
    ShareFiles()
    {
        addSong(QStringLiteral("A"), QStringLiteral("Song"), music("song.mp3"));
        addSong(QStringLiteral("A"), QStringLiteral("Bar"), music("a|b's.mp3"));
        addSong(QStringLiteral("A"), QStringLiteral("On CD"), music("cd.mp3"),
                QStringLiteral("Gold@"));
        QDir().mkpath(music("folder"));
        addSong(QStringLiteral("A"), QStringLiteral("Folder"), music("folder"),
                QStringLiteral("Disk!"), false);
        addSong(QStringLiteral("A"), QStringLiteral("Device"), QStringLiteral("/dev/null"),
                QStringLiteral("Disk!"), false);
        addSong(QStringLiteral("A"), QStringLiteral("Relative"), QStringLiteral("../x"),
                QStringLiteral("Disk!"), false);
        addSong(QStringLiteral("A"), QStringLiteral("Steps"), music("folder/../song.mp3"),
                QStringLiteral("Disk!"), false);
        addSong(QStringLiteral("A"), QStringLiteral("Gone"), music("gone.mp3"));
        QFile::remove(music("gone.mp3"));
        addSong(QStringLiteral("A"), QStringLiteral("Link"), music("link.mp3"),
                QStringLiteral("Disk!"), false);
        QFile::link(music("song.mp3"), music("link.mp3"));
        writeTestFile(music("unlisted.mp3"));
    }
};

QString musicOf(const TempHome& home, const char* name)
{
    return home.file(QStringLiteral("music/") + QLatin1String(name));
}

// A plain file name as a record carries it.
QString wireName(const QString& plain)
{
    return ShareCatalogue::wireText(TextCodec::reFilter(plain));
}

TEST_P(ShareFiles, ServesOnlyCataloguedRegularFilesThatAreThere)
{
    const FileCase& c = GetParam();
    const QString name = c.request(home);
    const std::optional<QString> path = catalogue.servableFile(name);
    EXPECT_EQ(path.has_value(), c.served) << name.toStdString();
    if (path) {
        EXPECT_EQ(*path, TextCodec::filter(ShareCatalogue::storedText(name)));
    }
    EXPECT_EQ(catalogue.openServable(name) != nullptr, c.served);
}

const FileCase fileCases[] = {
    {"catalogued file", [](const TempHome& h) { return wireName(musicOf(h, "song.mp3")); }, true},
    {"name holding a bar and an apostrophe as the record has it",
     [](const TempHome& h) { return wireName(musicOf(h, "a|b's.mp3")); }, true},
    {"other letter case", [](const TempHome& h) { return wireName(musicOf(h, "SONG.mp3")); },
     false},
    {"file there but not in the table",
     [](const TempHome& h) { return wireName(musicOf(h, "unlisted.mp3")); }, false},
    {"system file", [](const TempHome&) { return QStringLiteral("/etc/passwd"); }, false},
    {"relative name in the table", [](const TempHome&) { return QStringLiteral("../x"); }, false},
    {"steps up to a catalogued file",
     [](const TempHome& h) { return wireName(musicOf(h, "folder/../song.mp3")); }, false},
    {"empty name", [](const TempHome&) { return QString(); }, false},
    {"folder in the table", [](const TempHome& h) { return wireName(musicOf(h, "folder")); },
     false},
    {"device in the table", [](const TempHome&) { return QStringLiteral("/dev/null"); }, false},
    {"file deleted after adding",
     [](const TempHome& h) { return wireName(musicOf(h, "gone.mp3")); }, false},
    {"link in the table to a catalogued file",
     [](const TempHome& h) { return wireName(musicOf(h, "link.mp3")); }, false},
    {"song on a CD whose file is there",
     [](const TempHome& h) { return wireName(musicOf(h, "cd.mp3")); }, false},
    {"name with a double quote",
     [](const TempHome& h) { return musicOf(h, "song.mp3\" or \"1\"=\"1"); }, false},
};

INSTANTIATE_TEST_SUITE_P(ShareCatalogue, ShareFiles, ::testing::ValuesIn(fileCases), RowName());

TEST_F(ShareCatalogueTest, OpenedFileHoldsTheCataloguedBytes)
{
    const QString path = music("song.mp3");
    addSong(QStringLiteral("A"), QStringLiteral("Song"), path);
    writeTestFile(path, "the bytes of the song");

    const std::unique_ptr<QFile> file = catalogue.openServable(wireName(path));

    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->readAll(), QByteArray("the bytes of the song"));
}

} // namespace
