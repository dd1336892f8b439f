// Every statement of the catalogue run on a real song table: the engine must accept what the
// catalogue writes after the dialect's translation, and the statement must pick or change the
// rows it is meant to. The texts themselves are pinned by StatementsTest.
#include "db/Song.h"
#include "db/SongTableFixture.h"
#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"

#include <algorithm>
#include <functional>

namespace {

using namespace Statements;

// The texts of a song as they go into the table (no value here needs TextCodec's encoding).
struct Row
{
    QString artist, title, filename, trackLength, location, genre, album, year;
    QString comment = QString();
};

// ---- The statements that take a whole song; their argument types are kept to this block ----

Song songOf(const Row& row, const QString& played = QString())
{
    Song song;
    song.artist = row.artist;
    song.title = row.title;
    song.filename = row.filename;
    song.trackLength = row.trackLength;
    song.location = row.location;
    song.genre = row.genre;
    song.album = row.album;
    song.bitrate = QStringLiteral("128");
    song.frequency = QStringLiteral("44100");
    song.comment = row.comment;
    song.year = row.year;
    song.played = played;
    return song;
}

QString insertSongOf(const Row& row)
{
    return insertSong(songOf(row));
}

QString insertIntoConvertedOf(const Row& row, const QString& played)
{
    return insertIntoConverted(songOf(row, played));
}

QString insertCopiedRowOf(const Row& row, const QString& played)
{
    return insertCopiedRow(songOf(row, played));
}

QString updateTagsOf(const QString& id, const Row& row)
{
    return updateTags(id, songOf(row));
}

// ---- The table every case starts from ----

// IDs 1 to 5 in this order, with the play counts after them. Two spellings of one artist, a
// song on each kind of medium, a bad file and Windows names for the user-list terms.
const Row seedRows[] = {
    {"Abba", "Waterloo", "/music/Abba - Waterloo.mp3", "0:02:45", "Disk!", "Pop", "Gold", "1974"},
    {"abba", "Fernando", "/media/cd/Fernando.mp3", "0:04:12", "Tides CD@", "Pop", "Gold", "1976"},
    {"Beatles", "Help", "D:\\Music\\Beatles - Help.mp3", "0:02:18", "Office serverR", "Rock",
     "Help!", "1965"},
    {"Cream", "Badge", "BADFILE", "0:02:45", "Disk!", "Rock", "Goodbye", "1969"},
    {"Doors", "Love Street", "E:\\Doors\\Love Street.mp3", "0:03:06", "Tides CD@", "Rock", "",
     "1968"},
};
const int seedPlayed[] = {5, 9, 9, 0, 1};

// A song that is not in the table yet.
const Row newRow{"Eagles",  "Hotel", "/music/Eagles - Hotel.mp3",
                 "0:06:30", "Disk!", "Rock",
                 "Hotel",   "1977",  "live"};

struct RunCase
{
    const char* name;
    std::function<QString()> statement;
    // Changes run the statement and then read back with `readBack`; selects read the
    // statement's own rows.
    const char* readBack = nullptr;
    std::vector<SongColumn> columns; // none: the ID
    QStringList expected;            // per row, its `columns` joined by '|'
    int rowsChanged = -1;            // for changes
    bool anyOrder = false;
    bool foldCase = false; // for orders on a text column where only the letter case differs
};

const RunCase runCases[] = {
    // ---- Reads ----
    {"selectAll", [] { return selectAll(); }, nullptr, {}, {"1", "2", "3", "4", "5"}, -1, true},
    {"selectAllByArtistTitle",
     [] { return selectAllByArtistTitle(); },
     nullptr,
     {},
     // Artist without regard to case, then title: abba's Fernando before Abba's Waterloo.
     {"2", "1", "3", "4", "5"}},
    {"selectAllById", [] { return selectAllById(); }, nullptr, {}, {"1", "2", "3", "4", "5"}},
    {"selectIdsAndFilenames",
     [] { return selectIdsAndFilenames(); },
     nullptr,
     {},
     {"1", "2", "3", "4", "5"},
     -1,
     true},
    {"selectTopPlayed", [] { return selectTopPlayed(); }, nullptr, {}, {"2", "3", "1", "5", "4"}},
    {"selectByIds",
     [] {
         return selectByIds({"3", "5"});
     },
     nullptr,
     {},
     {"3", "5"},
     -1,
     true},
    {"selectHardDiskSongs",
     [] { return selectHardDiskSongs(); },
     nullptr,
     {},
     {"1", "4"},
     -1,
     true},
    {"selectDuplicate",
     [] { return selectDuplicate("Abba", "Waterloo", "0:02:45"); },
     nullptr,
     {},
     {"1"}},
    {"selectDuplicateOnItsMedium",
     [] { return selectDuplicate("Abba", "Waterloo", "0:02:45", "Disk!"); },
     nullptr,
     {},
     {"1"}},
    {"selectDuplicateOnAnotherMedium",
     [] { return selectDuplicate("Abba", "Waterloo", "0:02:45", "Tides CD@"); },
     nullptr,
     {},
     {}},
    {"selectArtistLike", [] { return selectArtistLike("ab%"); }, nullptr, {}, {"1", "2"}, -1, true},
    {"selectArtistSpellings",
     [] { return selectArtistSpellings("ABBA"); },
     nullptr,
     {},
     {"2", "1"}},
    {"selectArtistEquals", [] { return selectArtistEquals("Abba"); }, nullptr, {}, {"1"}},
    {"selectById", [] { return selectById("3"); }, nullptr, {}, {"3"}},
    {"selectArtistsOrdered",
     [] { return selectArtistsOrdered(); },
     nullptr,
     {SongColumn::Artist},
     {"abba", "abba", "beatles", "cream", "doors"},
     -1,
     false,
     true},
    // Every kind of term, first and further; an empty group is left out.
    {"selectByParametersArtistAndYear",
     [] {
         using enum ParameterKind;
         return selectByParameters(parameterConditions(
             {parameterTerm(Artist, "Abba", true) + parameterTerm(Artist, "Beatles", false),
              QString(), parameterTerm(Year, "1965", true) + parameterTerm(Year, "1974", false)}));
     },
     nullptr,
     {},
     {"1", "3"}},
    {"selectByParametersAlbumOrMedium",
     [] {
         using enum ParameterKind;
         return selectByParameters(parameterConditions(
             {parameterTerm(Album, "Gold", true) + parameterTerm(Medium, "Office server", false)}));
     },
     nullptr,
     {},
     {"2", "1", "3"}},
    {"selectByParametersGenreAndMedium",
     [] {
         using enum ParameterKind;
         return selectByParameters(parameterConditions(
             {parameterTerm(Genre, "Rock", true) + parameterTerm(Genre, "Jazz", false),
              parameterTerm(Medium, "tides cd", true)}));
     },
     nullptr,
     {},
     {"5"}},
    // A "_" in a medium's name is no wildcard: "Tides_CD" is not "Tides CD".
    {"selectByParametersMediumWithAWildcardMatchesOnlyItself",
     [] {
         return selectByParameters(
             parameterConditions({parameterTerm(ParameterKind::Medium, "Tides_CD", true) +
                                  parameterTerm(ParameterKind::Medium, "Dis%", false)}));
     },
     nullptr,
     {},
     {}},
    {"selectDistinctValuesArtist",
     [] { return selectDistinctValues(ParameterKind::Artist); },
     nullptr,
     {SongColumn::Artist},
     {"Abba", "Beatles", "Cream", "Doors", "abba"},
     -1,
     true},
    {"selectDistinctValuesGenre",
     [] { return selectDistinctValues(ParameterKind::Genre); },
     nullptr,
     {SongColumn::Genre},
     {"Pop", "Rock"},
     -1,
     true},
    {"selectDistinctValuesMedium",
     [] { return selectDistinctValues(ParameterKind::Medium); },
     nullptr,
     {SongColumn::Location},
     {"Disk!", "Office serverR", "Tides CD@"},
     -1,
     true},
    {"selectDistinctValuesAlbum",
     [] { return selectDistinctValues(ParameterKind::Album); },
     nullptr,
     {SongColumn::Album},
     {"", "Gold", "Goodbye", "Help!"},
     -1,
     true},
    {"selectDistinctValuesYear",
     [] { return selectDistinctValues(ParameterKind::Year); },
     nullptr,
     {SongColumn::SYear},
     {"1965", "1968", "1969", "1974", "1976"},
     -1,
     true},
    {"parameterBaseQuery",
     [] {
         return parameterBaseQuery(
             parameterConditions({parameterTerm(ParameterKind::Genre, "Rock", true)}));
     },
     nullptr,
     {},
     {"3", "4", "5"},
     -1,
     true},
    {"selectFastSearch",
     [] {
         return selectFastSearch({"ATER", "elp"});
     },
     nullptr,
     {},
     {"1", "3"},
     -1,
     true},
    // Letter case ignored; a keyword's forms are alternatives, keywords all or any.
    {"selectFastSearchFoldedAny",
     [] {
         return selectFastSearchFolded(
             {fastSearchKeywordGroup({"abba"}), fastSearchKeywordGroup({"xyz", "love"})}, false);
     },
     nullptr,
     {},
     {"1", "2", "5"},
     -1,
     true},
    {"selectFastSearchFoldedEvery",
     [] {
         return selectFastSearchFolded(
             {fastSearchKeywordGroup({"abba"}), fastSearchKeywordGroup({"water"})}, true);
     },
     nullptr,
     {},
     {"1"}},
    {"selectUserListFiles",
     [] {
         return selectUserListFiles(
             {"D:%\\Beatles - Help.mp3", "E:%\\Love Street.mp3", "C:%\\Abba - Waterloo.mp3"});
     },
     nullptr,
     {},
     {"3", "5"},
     -1,
     true},
    {"withOrder",
     [] { return withOrder(selectAll(), " order by title desc"); },
     nullptr,
     {},
     {"1", "5", "3", "2", "4"}},
    {"selectConvertedRemovable",
     [] { return selectConvertedRemovable(); },
     nullptr,
     {SongColumn::Title, SongColumn::Location},
     {"Two|CD@", "Three|NetR"}},

    // ---- Changes ----
    {"insertSong",
     [] { return insertSongOf(newRow); },
     "select * from tamboro where ID=6",
     {SongColumn::Artist, SongColumn::Title, SongColumn::Location, SongColumn::Comment,
      SongColumn::SYear, SongColumn::Played},
     {"Eagles|Hotel|Disk!|live|1977|0"},
     1},
    {"deleteBadFiles",
     [] { return deleteBadFiles(); },
     "select * from tamboro order by ID",
     {},
     {"1", "2", "3", "5"},
     1},
    {"updateTags",
     [] { return updateTagsOf("2", newRow); },
     "select * from tamboro where ID=1 or ID=2 order by ID",
     {SongColumn::Artist, SongColumn::Title, SongColumn::Genre, SongColumn::Filename,
      SongColumn::Album, SongColumn::Comment, SongColumn::SYear, SongColumn::Location},
     {"Abba|Waterloo|Pop|/music/Abba - Waterloo.mp3|Gold||1974|Disk!",
      "Eagles|Hotel|Rock|/music/Eagles - Hotel.mp3|Hotel|live|1977|Tides CD@"},
     1},
    {"updateRetag",
     [] {
         return updateRetag(
             "3", {retagAssignment("album", "Rubber Soul"), retagAssignment("syear", "1966")});
     },
     "select * from tamboro where ID=3",
     {SongColumn::Artist, SongColumn::Album, SongColumn::SYear},
     {"Beatles|Rubber Soul|1966"},
     1},
    {"updatePlayed",
     [] { return updatePlayed(7, "4"); },
     "select * from tamboro order by ID",
     {SongColumn::Played},
     {"5", "9", "9", "7", "1"},
     1},
    {"updatePlayedQuoted",
     [] { return updatePlayedQuoted(10, "1"); },
     "select * from tamboro order by ID",
     {SongColumn::Played},
     {"10", "9", "9", "0", "1"},
     1},
    {"deleteByFilename",
     [] { return deleteByFilename("/media/cd/Fernando.mp3"); },
     "select * from tamboro order by ID",
     {},
     {"1", "3", "4", "5"},
     1},
    {"updateMoved",
     [] { return updateMoved("2", "/m/new/Fernando.mp3", "Disk!"); },
     "select * from tamboro where ID=2",
     {SongColumn::Title, SongColumn::Filename, SongColumn::Location},
     {"Fernando|/m/new/Fernando.mp3|Disk!"},
     1},
    {"deleteById",
     [] { return deleteById("5"); },
     "select * from tamboro order by ID",
     {},
     {"1", "2", "3", "4"},
     1},
    {"insertIntoConverted",
     [] { return insertIntoConvertedOf(newRow, "4"); },
     "select * from converted order by ID",
     {SongColumn::Title, SongColumn::Location, SongColumn::Played},
     {"One|Disk!|0", "Two|CD@|0", "Three|NetR|0", "Hotel|Disk!|4"},
     1},
    {"insertIntoConvertedWithoutPlayCount",
     [] { return insertIntoConvertedOf(newRow, ""); },
     "select * from converted where title=\"Hotel\"",
     {SongColumn::Artist, SongColumn::Played},
     {"Eagles|0"},
     1},
    {"insertCopiedRow",
     [] { return insertCopiedRowOf(newRow, "3"); },
     "select * from tamboro where ID=6",
     {SongColumn::Artist, SongColumn::Filename, SongColumn::Genre, SongColumn::Played},
     {"Eagles|/music/Eagles - Hotel.mp3|Rock|3"},
     1},
};

void PrintTo(const RunCase& c, std::ostream* os)
{
    *os << c.name;
}

class StatementsRun : public SongTableFixture, public ::testing::WithParamInterface<RunCase>
{
protected:
    StatementsRun()
    {
        for (const Row& row : seedRows)
            run(insertSongOf(row));
        for (int id = 1; id <= 5; ++id)
            run(QStringLiteral("update tamboro set played=%1 where ID=%2")
                    .arg(seedPlayed[id - 1])
                    .arg(id));
        // The converted table of another installation: one song of each kind of medium.
        SongDatabase::createSongTable(home.file(QStringLiteral("converted.db")));
        run(QStringLiteral("insert into converted (artist, title, location) values "
                           "(\"Zed\", \"One\", \"Disk!\"), (\"Amy\", \"Two\", \"CD@\"), "
                           "(\"Bob\", \"Three\", \"NetR\")"));
    }

    int run(const QString& statement)
    {
        uq.setSql(statement);
        uq.execSQL();
        return uq.rowsAffected();
    }

    // Each row of `statement`, its `columns` joined by '|'.
    QStringList rows(const QString& statement, const RunCase& c)
    {
        rq.close();
        rq.setSql(statement);
        rq.open();
        QStringList result;
        for (rq.first(); !rq.eof(); rq.next()) {
            QStringList values;
            for (SongColumn column : c.columns)
                values << rq.field(column);
            QString line = values.join(u'|');
            result << (c.foldCase ? line.toLower() : line);
        }
        if (c.anyOrder)
            result.sort();
        return result;
    }
};

TEST_P(StatementsRun, PicksOrChangesTheRowsItMeans)
{
    RunCase c = GetParam();
    if (c.columns.empty())
        c.columns = {SongColumn::ID};
    const QString statement = c.statement();
    QStringList got;
    if (c.readBack) {
        EXPECT_EQ(run(statement), c.rowsChanged) << statement.toStdString();
        got = rows(QString::fromUtf8(c.readBack), c);
    } else {
        got = rows(statement, c);
    }
    QStringList expected = c.expected;
    if (c.anyOrder)
        expected.sort();
    EXPECT_EQ(got, expected) << statement.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Statements, StatementsRun, ::testing::ValuesIn(runCases), RowName());

} // namespace
