#include "db/Statements.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace Statements;

Song sampleSong()
{
    return Song{QStringLiteral("Ar"),      QStringLiteral("Ti"),    QStringLiteral("/m/f.mp3"),
                QStringLiteral("0:03:45"), QStringLiteral("Disk!"), QStringLiteral("Rock"),
                QStringLiteral("Al"),      QStringLiteral("128"),   QStringLiteral("44100"),
                QStringLiteral("Co"),      QStringLiteral("1999")};
}

// The sample song as a row read back: numbered and played.
Song playedSong(const QString& played)
{
    Song song = sampleSong();
    song.id = QStringLiteral("3");
    song.played = played;
    return song;
}

struct CatalogueCase
{
    const char* name;
    std::function<QString()> build;
    const char* expected; // as the catalogue writes it
};

void PrintTo(const CatalogueCase& c, std::ostream* os)
{
    *os << c.name;
}

// Each statement as the catalogue defines it, with sample values put in.
const CatalogueCase catalogueCases[] = {
    {"whole database", [] { return selectAllByArtistTitle(); },
     "select * from tamboro order by artist, title"},
    {"base query", [] { return selectAll(); }, "select * from tamboro"},
    {"by ID", [] { return selectAllById(); }, "select * from tamboro order by ID"},
    {"top played", [] { return selectTopPlayed(); },
     "select * from tamboro order by played desc, artist asc, title asc"},
    {"ID list",
     [] {
         return selectByIds({QStringLiteral("3"), QStringLiteral("17")});
     },
     "select * from tamboro where  ID=\"3\" or  ID=\"17\""},
    {"hard disk", [] { return selectHardDiskSongs(); },
     "select * from tamboro where location like \"%!\""},
    {"duplicate",
     [] {
         return selectDuplicate(QStringLiteral("A"), QStringLiteral("T"),
                                QStringLiteral("0:03:45"));
     },
     "select * from tamboro where artist=\"A\" and title=\"T\" and track_length=\"0:03:45\""},
    {"duplicate on medium",
     [] {
         return selectDuplicate(QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("0:03:45"),
                                QStringLiteral("CD Rock@"));
     },
     "select * from tamboro where artist=\"A\" and title=\"T\" and track_length=\"0:03:45\" and "
     "location = \"CD Rock@\""},
    {"artist like", [] { return selectArtistLike(QStringLiteral("_ez _uvevo")); },
     "select * from tamboro where artist like \"_ez _uvevo\""},
    {"artist equals", [] { return selectArtistEquals(QStringLiteral("Rez Vuvevo")); },
     "select * from tamboro where artist=\"Rez Vuvevo\""},
    {"one ID", [] { return selectById(QStringLiteral("17")); },
     "select * from tamboro where ID=17"},
    {"parameters",
     [] {
         const QString artists = parameterTerm(ParameterKind::Artist, QStringLiteral("A"), true) +
                                 parameterTerm(ParameterKind::Artist, QStringLiteral("B"), false);
         const QString mediums = parameterTerm(ParameterKind::Medium, QStringLiteral("CD"), true) +
                                 parameterTerm(ParameterKind::Medium, QStringLiteral("HD"), false);
         const QString genres = parameterTerm(ParameterKind::Genre, QStringLiteral("Pop"), true) +
                                parameterTerm(ParameterKind::Genre, QStringLiteral("Rap"), false);
         const QString albums = parameterTerm(ParameterKind::Album, QStringLiteral("X"), true) +
                                parameterTerm(ParameterKind::Album, QStringLiteral("Y"), false);
         const QString years = parameterTerm(ParameterKind::Year, QStringLiteral("1999"), true) +
                               parameterTerm(ParameterKind::Year, QStringLiteral("2000"), false);
         return selectByParameters(parameterConditions({artists, genres, mediums, albums, years}));
     },
     "select * from tamboro where (artist=\"A\" or artist=\"B\") and (genre=\"Pop\" or "
     "genre=\"Rap\") and (location like \"CD%\" or location like\"HD%\") and (album=\"X\" or "
     "album=\"Y\") and (syear=\"1999\" or syear=\"2000\") order by artist, title"},
    {"parameters, one kind",
     [] {
         return selectByParameters(parameterConditions(
             {QString(), parameterTerm(ParameterKind::Genre, QStringLiteral("Pop"), true)}));
     },
     "select * from tamboro where (genre=\"Pop\") order by artist, title"},
    {"parameters, mediums with wildcards",
     [] {
         return parameterBaseQuery(parameterConditions(
             {QString(), QString(),
              parameterTerm(ParameterKind::Medium, QStringLiteral("MY_CD"), true) +
                  parameterTerm(ParameterKind::Medium, QStringLiteral("100%\\x"), false)}));
     },
     "select * from tamboro where (location like \"MY\\_CD%\" escape \"\\\" or location "
     "like\"100\\%\\\\x%\" escape \"\\\")"},
    {"parameters, a backslash alone needs no escape",
     [] { return parameterTerm(ParameterKind::Medium, QStringLiteral("A\\B"), true); },
     "location like \"A\\B%\""},
    {"value lists", [] { return selectArtistsOrdered(); }, "select * from tamboro order by artist"},
    {"distinct artists", [] { return selectDistinctValues(ParameterKind::Artist); },
     "select distinct artist from tamboro"},
    {"distinct genres", [] { return selectDistinctValues(ParameterKind::Genre); },
     "select distinct genre from tamboro"},
    {"distinct mediums", [] { return selectDistinctValues(ParameterKind::Medium); },
     "select distinct location from tamboro"},
    {"distinct albums", [] { return selectDistinctValues(ParameterKind::Album); },
     "select distinct album from tamboro"},
    {"distinct years", [] { return selectDistinctValues(ParameterKind::Year); },
     "select distinct syear from tamboro"},
    {"fast search",
     [] {
         return selectFastSearch({QStringLiteral("abba"), QStringLiteral("ABBA")});
     },
     "select * from tamboro where(Artist like \"%abba%\" or title like \"%abba%\") or (Artist "
     "like \"%ABBA%\" or title like \"%ABBA%\")"},
    {"fast search, any keyword",
     [] {
         return selectFastSearchFolded(
             {fastSearchKeywordGroup({QStringLiteral("abba")}),
              fastSearchKeywordGroup({QStringLiteral("straße"), QStringLiteral("strasse")})},
             false);
     },
     "select * from tamboro where(foldcontains(\"abba\", Artist, title)) or "
     "(foldcontains(\"straße\", Artist, title) or foldcontains(\"strasse\", Artist, title))"},
    {"fast search, every keyword",
     [] {
         return selectFastSearchFolded({fastSearchKeywordGroup({QStringLiteral("abba")}),
                                        fastSearchKeywordGroup({QStringLiteral("don|1t")})},
                                       true);
     },
     "select * from tamboro where(foldcontains(\"abba\", Artist, title)) and "
     "(foldcontains(\"don|1t\", Artist, title))"},
    {"user list file",
     [] {
         return selectUserListFiles({QStringLiteral("D:%\\a.mp3"), QStringLiteral("E:%\\b.mp3")});
     },
     "select * from tamboro where  filename like \"D:%\\a.mp3\" or  filename like "
     "\"E:%\\b.mp3\""},
    {"ids and file names", [] { return selectIdsAndFilenames(); },
     "select ID, filename from tamboro"},
    {"re-query",
     [] { return withOrder(selectAll(), QStringLiteral(" order by artist asc, title asc")); },
     "select * from tamboro order by artist asc, title asc"},
    {"import read", [] { return selectConvertedRemovable(); },
     "select * from converted where location like \"%@\" or location like \"%R\" order by "
     "artist, title"},
    {"insert", [] { return insertSong(sampleSong()); },
     "insert into Tamboro (artist, title, filename, track_length, location, genre, album, "
     "bitrate, frequency, comment, syear, played)values\n(\"Ar\", \"Ti\", \"/m/f.mp3\", "
     "\"0:03:45\", \"Disk!\", \"Rock\", \"Al\", \"128\", \"44100\", \"Co\", \"1999\", 0)"},
    {"insert of a row read back", [] { return insertSong(playedSong(QStringLiteral("7"))); },
     "insert into Tamboro (artist, title, filename, track_length, location, genre, album, "
     "bitrate, frequency, comment, syear, played)values\n(\"Ar\", \"Ti\", \"/m/f.mp3\", "
     "\"0:03:45\", \"Disk!\", \"Rock\", \"Al\", \"128\", \"44100\", \"Co\", \"1999\", 0)"},
    {"bad files", [] { return deleteBadFiles(); },
     "delete from tamboro where filename=\"BADFILE\""},
    {"tag editor",
     [] {
         Song song = sampleSong();
         song.filename = QStringLiteral("/f.mp3");
         return updateTags(QStringLiteral("5"), song);
     },
     "update tamboro\nset artist=\"Ar\",\ntitle=\"Ti\",\ngenre=\"Rock\",\nfilename=\"/f.mp3\",\n"
     "album=\"Al\",\ncomment=\"Co\",\nsyear=\"1999\"\nwhere ID=5"},
    {"mass re-tagger",
     [] {
         return updateRetag(QStringLiteral("5"),
                            {retagAssignment(QStringLiteral("artist"), QStringLiteral("Ar")),
                             retagAssignment(QStringLiteral("syear"), QStringLiteral("1999"))});
     },
     "update tamboro\nset \nartist=\"Ar\"\n, \nsyear=\"1999\"\nwhere ID=5"},
    {"play count", [] { return updatePlayed(4, QStringLiteral("17")); },
     "update tamboro set Played=4 where ID=17"},
    {"play count, whole list", [] { return updatePlayedQuoted(4, QStringLiteral("17")); },
     "update tamboro set Played=4 where ID=\"17\""},
    {"existence check", [] { return deleteByFilename(QStringLiteral("/m/f.mp3")); },
     "delete from tamboro where filename = \"/m/f.mp3\""},
    {"delete entry", [] { return deleteById(QStringLiteral("17")); },
     "delete from tamboro where ID=17"},
    {"song found moved",
     [] {
         return updateMoved(QStringLiteral("17"), QStringLiteral("/m/new/f.mp3"),
                            QStringLiteral("Disk!"));
     },
     "update tamboro set filename=\"/m/new/f.mp3\", location=\"Disk!\" where ID=17"},
    {"re-index copy", [] { return insertIntoConverted(playedSong(QStringLiteral("7"))); },
     "insert into converted (artist, title, filename, track_length, location, genre, album, "
     "bitrate, frequency, comment, syear, played)values\n(\"Ar\", \"Ti\", \"/m/f.mp3\", "
     "\"0:03:45\", \"Disk!\", \"Rock\", \"Al\", \"128\", \"44100\", \"Co\", \"1999\", 7)"},
    {"import copy of a row never played", [] { return insertCopiedRow(playedSong(QString())); },
     "insert into tamboro (artist, title, filename, track_length, location, genre, album, "
     "bitrate, frequency, comment, syear, played)values\n(\"Ar\", \"Ti\", \"/m/f.mp3\", "
     "\"0:03:45\", \"Disk!\", \"Rock\", \"Al\", \"128\", \"44100\", \"Co\", \"1999\", 0)"},
    {"import copy", [] { return insertCopiedRow(playedSong(QStringLiteral("7"))); },
     "insert into tamboro (artist, title, filename, track_length, location, genre, album, "
     "bitrate, frequency, comment, syear, played)values\n(\"Ar\", \"Ti\", \"/m/f.mp3\", "
     "\"0:03:45\", \"Disk!\", \"Rock\", \"Al\", \"128\", \"44100\", \"Co\", \"1999\", 7)"},
    {"re-index copy of the whole table", [] { return copyAllIntoConverted(); },
     "insert into converted (artist, title, filename, track_length, location, genre, album, "
     "bitrate, frequency, comment, syear, played) select artist, title, filename, track_length, "
     "location, genre, album, bitrate, frequency, comment, syear, played from tamboro order by "
     "artist, title, ID"},
    {"re-index order of the old IDs", [] { return selectIdsInCopyOrder(); },
     "select ID from tamboro order by artist, title, ID"},
    {"re-index count", [] { return countConverted(); }, "select count(*) from converted"},
    {"existence check read", [] { return selectHardDiskIdsAndFilenames(); },
     "select ID, filename from tamboro where location like \"%!\""},
    {"share search",
     [] { return selectShareSearch(QStringLiteral("abba"), QStringLiteral("don|1t")); },
     "select * from tamboro where location like \"%!\" and foldcontains(\"abba\", Artist) and "
     "foldcontains(\"don|1t\", Title) order by artist, title, ID"},
    {"share search, any title", [] { return selectShareSearch(QStringLiteral("abba"), QString()); },
     "select * from tamboro where location like \"%!\" and foldcontains(\"abba\", Artist) order "
     "by artist, title, ID"},
    {"share search, everything", [] { return selectShareSearch(QString(), QString()); },
     "select * from tamboro where location like \"%!\" order by artist, title, ID"},
    {"one file name", [] { return selectByFilename(QStringLiteral("/m/f.mp3")); },
     "select * from tamboro where filename = \"/m/f.mp3\""},
};

class CatalogueTable : public ::testing::TestWithParam<CatalogueCase>
{};

TEST_P(CatalogueTable, TextIsExact)
{
    EXPECT_EQ(GetParam().build().toStdString(), std::string(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Statements, CatalogueTable, ::testing::ValuesIn(catalogueCases),
                         [](const auto& info) {
                             std::string name;
                             for (char c : std::string(info.param.name))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(Statements, ValuesThatWouldBreakOutOfTheirLiteralAreRefused)
{
    const QString quote = QStringLiteral("CD \"Best\"");
    const QString injection = QStringLiteral("x\" or \"1\"=\"1");
    const std::function<QString()> builders[] = {
        [&] {
            return selectDuplicate(QStringLiteral("A"), QStringLiteral("T"),
                                   QStringLiteral("0:01:00"), quote);
        },
        [&] { return selectArtistEquals(injection); },
        [&] { return parameterTerm(ParameterKind::Medium, quote, true); },
        [&] { return fastSearchGroup(injection); },
        [&] {
            return fastSearchKeywordGroup({QStringLiteral("abba"), injection});
        },
        [&] {
            Song song = sampleSong();
            song.location = quote + QLatin1Char('!');
            return insertSong(song);
        },
        [&] { return deleteByFilename(injection); },
        [&] { return selectShareSearch(QStringLiteral("a"), injection); },
        [&] { return selectByFilename(injection); },
        [&] { return selectById(QStringLiteral("1 or 1=1")); },
        [&] { return deleteById(QStringLiteral("")); },
        [&] { return selectByIds({QStringLiteral("1\"")}); },
    };
    for (const auto& build : builders)
        EXPECT_THROW(build(), EDatabaseError);
}

} // namespace
