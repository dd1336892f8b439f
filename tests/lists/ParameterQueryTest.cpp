#include "lists/ParameterQuery.h"
#include "db/SongTableFixture.h"
#include "lists/ValueFiles.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"

#include <gtest/gtest.h>

namespace {

using ParameterQuery::Kind;
using ParameterQuery::Ticked;

Ticked ticked(const QStringList& artists, const QStringList& genres = {},
              const QStringList& mediums = {}, const QStringList& albums = {},
              const QStringList& years = {})
{
    return {artists, genres, mediums, albums, years};
}

// ---- The texts of a request, character by character ----

struct TextCase
{
    const char* name;
    Ticked ticked;
    const char* baseQuery;
    const char* captionText;
    const char* cacheLine;
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << c.name;
}

const TextCase textCases[] = {
    {"artists A and B and the genre Pop", ticked({"A", "B"}, {"Pop"}),
     "select * from tamboro where (artist=\"A\" or artist=\"B\") and (genre=\"Pop\")",
     " (artists: A, B) (genres: Pop)",
     " (artists: A, B) (genres: Pop)|select * from tamboro where (artist=\"A\" or artist=\"B\") "
     "and (genre=\"Pop\")"},
    {"only a year", ticked({}, {}, {}, {}, {"1999"}),
     "select * from tamboro where (syear=\"1999\")", " (years: 1999)",
     " (years: 1999)|select * from tamboro where (syear=\"1999\")"},
    // The further medium term has no blank before its quote.
    {"two mediums", ticked({}, {}, {"CD1", "Disk"}),
     "select * from tamboro where (location like \"CD1%\" or location like\"Disk%\")",
     " (mediums: CD1, Disk)",
     " (mediums: CD1, Disk)|select * from tamboro where (location like \"CD1%\" or location "
     "like\"Disk%\")"},
    {"every kind", ticked({"A"}, {"Pop"}, {"CD1"}, {"Gold"}, {"1974", "1975"}),
     "select * from tamboro where (artist=\"A\") and (genre=\"Pop\") and (location like "
     "\"CD1%\") and (album=\"Gold\") and (syear=\"1974\" or syear=\"1975\")",
     " (artists: A) (genres: Pop) (mediums: CD1) (albums: Gold) (years: 1974, 1975)",
     " (artists: A) (genres: Pop) (mediums: CD1) (albums: Gold) (years: 1974, 1975)|select * "
     "from tamboro where (artist=\"A\") and (genre=\"Pop\") and (location like \"CD1%\") and "
     "(album=\"Gold\") and (syear=\"1974\" or syear=\"1975\")"},
    // Artists and albums are compared encoded, the captions show them as they are; a "|" of
    // a caption is a broken bar in the cache, whose first "|" ends the caption.
    {"special characters", ticked({"It's \"#*:`|"}, {}, {}, {"A|B"}),
     "select * from tamboro where (artist=\"It|1s |2|3|4|5|6|7\") and (album=\"A|7B\")",
     " (artists: It's \"#*:`|) (albums: A|B)",
     " (artists: It's \"#*:`\u00A6) (albums: A\u00A6B)|select * from tamboro where "
     "(artist=\"It|1s |2|3|4|5|6|7\") and (album=\"A|7B\")"},
    // Genres, years and mediums are stored as they are and compared so.
    {"unencoded kinds", ticked({}, {"R'n'B"}, {"Disc #2"}, {}, {"19:99"}),
     "select * from tamboro where (genre=\"R'n'B\") and (location like \"Disc #2%\") and "
     "(syear=\"19:99\")",
     " (genres: R'n'B) (mediums: Disc #2) (years: 19:99)",
     " (genres: R'n'B) (mediums: Disc #2) (years: 19:99)|select * from tamboro where "
     "(genre=\"R'n'B\") and (location like \"Disc #2%\") and (syear=\"19:99\")"},
};

class RequestTexts : public ::testing::TestWithParam<TextCase>
{};

TEST_P(RequestTexts, BaseQueryCaptionAndCacheLine)
{
    const TextCase& c = GetParam();
    const ParameterQuery::Request request = ParameterQuery::request(c.ticked);
    EXPECT_FALSE(request.isEmpty());
    EXPECT_EQ(request.baseQuery(), QString::fromUtf8(c.baseQuery));
    EXPECT_EQ(request.selectStatement(),
              QString::fromUtf8(c.baseQuery) + " order by artist, title");
    EXPECT_EQ(request.captionText(), QString::fromUtf8(c.captionText));
    EXPECT_EQ(request.cacheLine(), QString::fromUtf8(c.cacheLine));
}

INSTANTIATE_TEST_SUITE_P(ParameterQuery, RequestTexts, ::testing::ValuesIn(textCases), RowName());

TEST(ParameterQuery, NoTickIsAnEmptyRequest)
{
    const ParameterQuery::Request request = ParameterQuery::request({});
    EXPECT_TRUE(request.isEmpty());
    EXPECT_EQ(request.captionText(), QString());
}

TEST(ParameterQuery, WindowCaptionHasTwoBlanksAfterTheColon)
{
    EXPECT_EQ(ParameterQuery::windowCaption(1, " (artists: A, B) (genres: Pop)"),
              QStringLiteral("List by parameter(1):  (artists: A, B) (genres: Pop)"));
}

TEST(ParameterQuery, CacheLineHasNoLineBreak)
{
    const ParameterQuery::Request request = ParameterQuery::request(ticked({"Line\r\nbreak"}));
    EXPECT_EQ(request.cacheLine(),
              QStringLiteral(" (artists: Line break)|select * from tamboro where "
                             "(artist=\"Linebreak\")"));
}

// ---- Ticked values find their songs, and only theirs ----

// The song that carries the value, and a decoy whose texts differ from it only where a
// special character would be misread.
struct FindCase
{
    const char* name;
    Kind kind;
    QString value;  // the caption the dialog shows
    QString stored; // what the song table holds
    QString decoy;  // the same column of a song that must not be found
};

void PrintTo(const FindCase& c, std::ostream* os)
{
    *os << c.name;
}

const QString specials = QStringLiteral("'#*:`|");

const FindCase findCases[] = {
    {"artist with every special character", Kind::Artist, "A" + specials + "\"", "A|1|3|4|5|6|7|2",
     "A"},
    {"album with every special character", Kind::Album, "B\"" + specials, "B|2|1|3|4|5|6|7", "B"},
    // Genre and year go in as the tag has them, save a double quote (its stand-in).
    {"genre with the special characters", Kind::Genre, "G" + specials + "\u201D",
     "G" + specials + "\u201D", "G"},
    {"year with the special characters", Kind::Year, "1'9#9:9|", "1'9#9:9|", "1999"},
    {"medium with the special characters", Kind::Medium, "M" + specials, "M" + specials + "@",
     "M@"},
    {"medium with a wildcard", Kind::Medium, "MY_CD", "MY_CD!", "MYXCD!"},
    {"medium with a percent sign", Kind::Medium, "100%", "100%R", "1000R"},
    {"medium with a backslash and a wildcard", Kind::Medium, "A\\_", "A\\_!", "A\\x!"},
    {"genre that reads as a statement", Kind::Genre, "x') or ('1'='1", "x') or ('1'='1", "x"},
};

class TickedValues : public SongTableFixture, public ::testing::WithParamInterface<FindCase>
{
protected:
    void addRow(const QString& title, Kind kind, const QString& stored)
    {
        Song song;
        song.artist = QStringLiteral("Someone");
        song.title = title;
        song.filename = QStringLiteral("/music/") + title + QStringLiteral(".mp3");
        song.trackLength = QStringLiteral("0:03:00");
        song.location = QStringLiteral("Disk!");
        switch (kind) {
        case Kind::Artist:
            song.artist = stored;
            break;
        case Kind::Genre:
            song.genre = stored;
            break;
        case Kind::Medium:
            song.location = stored;
            break;
        case Kind::Album:
            song.album = stored;
            break;
        case Kind::Year:
            song.year = stored;
            break;
        }
        uq.setSql(Statements::insertSong(song)); // stored texts, as they are
        uq.execSQL();
    }
};

TEST_P(TickedValues, FindTheirSongOnly)
{
    const FindCase& c = GetParam();
    addRow(QStringLiteral("Wanted"), c.kind, c.stored);
    addRow(QStringLiteral("Decoy"), c.kind, c.decoy);

    // The dialog offers the value with the caption the case names, from the table and again
    // from the files.
    const ValueFiles::Lists built = ValueFiles::build(db);
    QStringList captions;
    for (const QString& value : built.of(c.kind))
        captions << ValueFiles::caption(c.kind, value);
    ASSERT_TRUE(captions.contains(c.value)) << captions.join(" / ").toStdString();
    ValueFiles::write(home.path(), built);
    EXPECT_EQ(ValueFiles::read(home.path()), built);

    Ticked ticks;
    ticks[std::size_t(ValueFiles::index(c.kind))] = QStringList{c.value};
    const ParameterQuery::Request request = ParameterQuery::request(ticks);
    EXPECT_EQ(column(request.selectStatement(), SongColumn::Title), QStringList{"Wanted"})
        << request.baseQuery().toStdString();
}

INSTANTIATE_TEST_SUITE_P(ParameterQuery, TickedValues, ::testing::ValuesIn(findCases), RowName());

TEST(ParameterQuery, AValueNoStatementCanCarryIsAnError)
{
    // A genre the table could not hold: the dialog never offers one, a caller might.
    EXPECT_THROW(ParameterQuery::request(ticked({}, {"a\"b"})), EDatabaseError);
}

} // namespace
