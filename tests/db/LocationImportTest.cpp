// Importing the CD and network songs of another installation's table, of either kind.
#include "db/LocationImport.h"
#include "db/ParadoxSongTable.h"
#include "db/SongTableFixture.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"
#include "testsupport/ParadoxWriter.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

Song song(const QString& artist, const QString& title, const QString& location,
          const QString& played = QStringLiteral("0"))
{
    Song s;
    s.artist = artist;
    s.title = title;
    s.filename =
        QStringLiteral("E:\\") + artist + QStringLiteral("\\") + title + QStringLiteral(".mp3");
    s.location = location;
    s.trackLength = QStringLiteral("0:03:10");
    s.genre = QStringLiteral("Pop");
    s.album = QStringLiteral("Best: of");
    s.bitrate = QStringLiteral("128");
    s.frequency = QStringLiteral("44100");
    s.comment = QStringLiteral("a \"fine\" one");
    s.year = QStringLiteral("1979");
    s.played = played;
    return s;
}

// The rows another installation holds, unencoded: two CDs, a share and a hard-disk song.
const QList<Song> otherRows = {
    song(QStringLiteral("Zappa"), QStringLiteral("Peaches"), QStringLiteral("CD1@"),
         QStringLiteral("3")),
    song(QStringLiteral("Abba"), QStringLiteral("Don't Go"), QStringLiteral("Share R"),
         QStringLiteral("7")),
    song(QStringLiteral("Disk"), QStringLiteral("Stays"), QStringLiteral("Disk!"),
         QStringLiteral("9")),
    song(QStringLiteral("Abba"), QStringLiteral("Chiquitita"), QStringLiteral("CD2@")),
};

class LocationImportTest : public SongTableFixture
{
protected:
    LocationImportTest() { addSong(QStringLiteral("Mine"), QStringLiteral("Own")); }

    // A tamboro.db of another installation holding `rows` (stored encoded, played as given).
    QString otherSongTable(const QList<Song>& rows)
    {
        const QString path = other.filePath(QStringLiteral("tamboro.db"));
        SongDatabase::createSongTable(path);
        SongDatabase database(other.path());
        UQuery insert(database);
        int id = 0;
        for (const Song& row : rows) {
            insert.setSql(Statements::insertSong(row.storedForm()));
            insert.execSQL();
            insert.setSql(Statements::updatePlayed(row.played.toLongLong(), QString::number(++id)));
            insert.execSQL();
        }
        return path;
    }

    QString otherParadoxTable(const QList<Song>& rows)
    {
        const QString path = other.filePath(QStringLiteral("TAMBORO.DB"));
        QList<Song> stored;
        for (const Song& row : rows) {
            Song s = row.storedForm();
            s.played = row.played;
            stored.append(s);
        }
        writeParadoxSongTable(path, stored);
        return path;
    }

    // Every row of this table by ID, as stored.
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

    LocationImport::Result import(const QString& path)
    {
        return LocationImport::run(home.path(), path, SingleByteCodePage());
    }

    bool scratchLeft() const { return QFile::exists(home.file(QStringLiteral("converted.db"))); }

    QTemporaryDir other;
};

// What an imported row must be: the other row's stored texts and play count, a new ID.
void expectImported(const Song& imported, const Song& original, const QString& id)
{
    Song expected = original.storedForm();
    expected.id = id;
    expected.played = original.played;
    EXPECT_EQ(imported, expected);
}

TEST_F(LocationImportTest, CopiesTheCdAndNetworkRowsOfATamboroDbAsStored)
{
    writeTestFile(home.file(QStringLiteral("Artists.dat")), "Mine\r\n");
    const LocationImport::Result result = import(otherSongTable(otherRows));

    EXPECT_EQ(result.kind, LocationImport::SourceKind::SongTable);
    EXPECT_EQ(result.imported, 3);
    const QList<Song> all = rows();
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[0].artist, QStringLiteral("Mine"));
    // Artist and title order, the disk row left out.
    expectImported(all[1], otherRows[3], QStringLiteral("2"));
    expectImported(all[2], otherRows[1], QStringLiteral("3"));
    expectImported(all[3], otherRows[0], QStringLiteral("4"));
    EXPECT_EQ(all[2].title, QStringLiteral("Don|1t Go"));
    EXPECT_FALSE(scratchLeft());
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("Artists.dat"))));
}

TEST_F(LocationImportTest, ImportingTwiceAddsTheRowsTwice)
{
    const QString path = otherSongTable(otherRows);
    EXPECT_EQ(import(path).imported, 3);
    EXPECT_EQ(import(path).imported, 3);
    EXPECT_EQ(rows().size(), 7);
    // Its own table too: nothing stops a user from importing what they hold.
    EXPECT_EQ(import(home.file(QStringLiteral("tamboro.db"))).imported, 6);
    EXPECT_EQ(rows().size(), 13);
}

TEST_F(LocationImportTest, ATableWithoutRemovableRowsImportsNone)
{
    const LocationImport::Result result = import(otherSongTable({otherRows[2]}));
    EXPECT_EQ(result.imported, 0);
    EXPECT_EQ(rows().size(), 1);
    EXPECT_FALSE(scratchLeft());
}

TEST_F(LocationImportTest, CopiesTheRowsOfTheWindowsTableInItsCodePage)
{
    QList<Song> windowsRows = otherRows;
    windowsRows[0].artist = QStringLiteral("Caf\u00e9 Tacuba");
    windowsRows[0].comment = QStringLiteral("na\u00efve \u20ac"); // the euro is 0x80
    const QString path = otherParadoxTable(windowsRows);
    {
        // The bytes really are Windows-1252: "Café" with 0xE9.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().contains(QByteArray("Caf\xe9 Tacuba")));
    }

    const LocationImport::Result result = import(path);

    EXPECT_EQ(result.kind, LocationImport::SourceKind::WindowsTable);
    EXPECT_EQ(result.imported, 3);
    const QList<Song> all = rows();
    ASSERT_EQ(all.size(), 4);
    expectImported(all[1], windowsRows[3], QStringLiteral("2"));
    expectImported(all[2], windowsRows[1], QStringLiteral("3"));
    expectImported(all[3], windowsRows[0], QStringLiteral("4"));
    EXPECT_EQ(TextCodec::filter(all[2].title), QStringLiteral("Don't Go"));
    EXPECT_EQ(TextCodec::filter(all[3].comment), QStringLiteral("na\u00efve \u20ac"));
    EXPECT_FALSE(scratchLeft());
}

TEST_F(LocationImportTest, ReadsTheWindowsTableInTheChosenCodePage)
{
    const std::optional<SingleByteCodePage> cyrillic =
        SingleByteCodePage::byName(QStringLiteral("windows-1251"));
    if (!cyrillic)
        GTEST_SKIP() << "Qt offers no windows-1251 converter here";
    QList<Song> windowsRows = {otherRows[0]};
    windowsRows[0].artist = QStringLiteral("Caf\u00e9"); // 0xE9, "й" in windows-1251
    LocationImport::run(home.path(), otherParadoxTable(windowsRows), *cyrillic);
    EXPECT_EQ(rows().at(1).artist, QStringLiteral("Caf\u0439"));
}

// ---- Files that are no song table, or a damaged one ----

struct BadFile
{
    const char* name;
    // Makes the file in `dir` from a sound SQLite and a sound Paradox song table there.
    std::function<QByteArray(const QByteArray& sqlite, const QByteArray& paradox)> bytes;
    const char* saying; // a part of the message
};

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

class LocationImportBadFileTest : public LocationImportTest,
                                  public ::testing::WithParamInterface<BadFile>
{};

TEST_P(LocationImportBadFileTest, ImportsNothingAndSaysWhy)
{
    auto readAll = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QList<Song> many;
    for (int i = 0; i < 40; ++i)
        many.append(song(QStringLiteral("Artist %1").arg(i), QStringLiteral("Title"),
                         QStringLiteral("CD@")));
    const QByteArray sqlite = readAll(otherSongTable(many));
    const QByteArray paradox = readAll(otherParadoxTable(many));
    ASSERT_FALSE(sqlite.isEmpty());
    ASSERT_FALSE(paradox.isEmpty());
    const QString path = writeTestFile(other.filePath(QStringLiteral("bad/TAMBORO.DB")),
                                       GetParam().bytes(sqlite, paradox));
    writeTestFile(home.file(QStringLiteral("Artists.dat")), "Mine\r\n");

    try {
        import(path);
        ADD_FAILURE() << "the import went through";
    } catch (const TamboroError& error) {
        EXPECT_TRUE(error.message().contains(QLatin1String(GetParam().saying)))
            << error.message().toStdString();
    }
    EXPECT_EQ(rows().size(), 1);
    EXPECT_FALSE(scratchLeft());
    EXPECT_TRUE(QFile::exists(home.file(QStringLiteral("Artists.dat"))));
}

QByteArray sqliteWith(const char* statement)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.db"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bad"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QString::fromLatin1(statement));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bad"));
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocationImportBadFileTest,
    ::testing::Values(
        BadFile{"empty file", [](auto&, auto&) { return QByteArray(); }, "not a song table"},
        BadFile{"text file", [](auto&, auto&) { return QByteArray("artist;title\r\n"); },
                "not a song table"},
        BadFile{"random bytes", [](auto&, auto&) { return randomBytes(8192, 1); },
                "not a song table"},
        BadFile{"Paradox header only", [](auto&, const QByteArray& p) { return p.left(2048); },
                "damaged"},
        BadFile{"Paradox cut in its header",
                [](auto&, const QByteArray& p) { return p.left(1000); }, "damaged"},
        BadFile{"Paradox cut in its first block",
                [](auto&, const QByteArray& p) { return p.left(2048 + 1500); }, "damaged"},
        BadFile{"Paradox cut before its last byte",
                [](auto&, const QByteArray& p) { return p.chopped(1); }, "damaged"},
        BadFile{"Paradox header then random bytes",
                [](auto&, const QByteArray& p) {
                    return p.left(0x78) + randomBytes(int(p.size()) - 0x78, 2);
                },
                "TAMBORO.DB"},
        BadFile{"SQLite cut in half",
                [](const QByteArray& s, auto&) { return s.left(s.size() / 2); }, "TAMBORO.DB"},
        BadFile{"SQLite without a song table",
                [](auto&, auto&) { return sqliteWith("CREATE TABLE other (a TEXT)"); },
                "holds no song table"},
        BadFile{"SQLite with other columns",
                [](auto&, auto&) {
                    return sqliteWith("CREATE TABLE tamboro (ID INTEGER, Artist TEXT)");
                },
                "not with the columns"}),
    RowName());

// A damaged Windows table may be cut or scrambled anywhere: reading it fails or succeeds, but
// never hangs, crashes or reads beyond what it holds (run under the address sanitizer too).
TEST_F(LocationImportTest, ReadsAWindowsTableCutOrScrambledAnywhereSafely)
{
    QList<Song> many;
    for (int i = 0; i < 120; ++i)
        many.append(song(QStringLiteral("A%1").arg(i), QStringLiteral("T"), QStringLiteral("CD@")));
    QFile file(otherParadoxTable(many));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QString path = other.filePath(QStringLiteral("cut.DB"));
    int refused = 0;
    int read = 0;
    auto attempt = [&](const QByteArray& variant) {
        writeTestFile(path, variant);
        try {
            ParadoxSongTable::read(path, SingleByteCodePage());
            ++read;
        } catch (const EInOutError& error) {
            EXPECT_FALSE(error.message().isEmpty());
            ++refused;
        }
    };
    for (qsizetype length = 0; length < bytes.size(); length += 89)
        attempt(bytes.left(length));
    EXPECT_EQ(read, 0) << "a cut table was read as whole";
    QRandomGenerator generator(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray scrambled = bytes;
        // Header bytes mostly: that is where the sizes, counts and the chain's start live.
        for (int flip = 0; flip < 3; ++flip) {
            const int range = round % 3 == 0 ? int(scrambled.size()) : 0x800;
            scrambled[generator.bounded(range)] = char(generator.bounded(256));
        }
        attempt(scrambled);
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(read, 0);
}

} // namespace
