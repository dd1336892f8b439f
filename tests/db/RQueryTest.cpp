#include "SongTableFixture.h"

#include "platform/Errors.h"

namespace {

using namespace Statements;

class RQueryTest : public SongTableFixture
{
protected:
    RQueryTest()
    {
        addSong(QStringLiteral("Beatles"), QStringLiteral("Love Me Do"), QStringLiteral("Disk!"),
                QStringLiteral("Past Masters"));
        addSong(QStringLiteral("The Beat"), QStringLiteral("Mirror in the Bathroom"));
        addSong(QStringLiteral("beatnik"), QStringLiteral("Lovely"), QStringLiteral("Disk!"),
                QStringLiteral("xyz"));
        addSong(QStringLiteral("Ölvis"), QStringLiteral("It's \"Now\""));
        addSong(QStringLiteral("AC:DC"), QStringLiteral("T.N.T."));
    }

    QStringList filtered(const QString& expression)
    {
        rq.close();
        rq.setSql(selectAllByArtistTitle());
        rq.open();
        rq.setFilter(expression);
        QStringList artists;
        for (rq.first(); !rq.eof(); rq.next())
            artists << TextCodec::filter(rq.field(SongColumn::Artist));
        EXPECT_EQ(rq.recordCount(), artists.size());
        return artists;
    }
};

TEST_F(RQueryTest, NavigatesAndCounts)
{
    rq.setSql(selectAllByArtistTitle());
    rq.open();
    EXPECT_FALSE(rq.eof());
    EXPECT_EQ(TextCodec::filter(rq.field(SongColumn::Artist)), QStringLiteral("AC:DC"));
    EXPECT_EQ(rq.field(QStringLiteral("TRACK_LENGTH")), QStringLiteral("0:03:00"));
    EXPECT_EQ(rq.recordCount(), 5);
    rq.last();
    EXPECT_TRUE(rq.eof());
    EXPECT_EQ(rq.field(SongColumn::Artist), QStringLiteral("Ölvis"));
    rq.next(); // stays on the last row
    EXPECT_EQ(rq.field(SongColumn::Artist), QStringLiteral("Ölvis"));
    EXPECT_THROW(rq.field(QStringLiteral("NoSuchColumn")), EDatabaseError);

    rq.close();
    rq.setSql(selectById(QStringLiteral("999")));
    rq.open();
    EXPECT_TRUE(rq.isEmpty());
    EXPECT_TRUE(rq.eof());
    EXPECT_EQ(rq.recordCount(), 0);
    EXPECT_EQ(rq.field(SongColumn::Artist), QString());
}

struct FilterCase
{
    const char* expression;
    QStringList artists;
};

TEST_F(RQueryTest, FilterMatchesPrefixesWithoutRegardToCase)
{
    const FilterCase cases[] = {
        {"artist = 'beat*'", {"Beatles", "beatnik"}},
        {"artist = 'BEAT*' and title = 'love*'", {"Beatles", "beatnik"}},
        {"artist = 'beat*' and album = 'x*'", {"beatnik"}},
        {"title = 'lovely*'", {"beatnik"}},
        {"artist = 'öl*'", {"Ölvis"}},                           // beyond ASCII
        {"title = 'it's \"now\"*'", {"Ölvis"}},                  // quotes in the typed text
        {"title = 'it's \"now\"' and artist = 'Ö*'", {"Ölvis"}}, // no asterisk: whole value
        {"artist = 'ac:*'", {"AC:DC"}},                          // compared in stored form
        {"artist = 'beatles'", {"Beatles"}},
        {"artist = 'zzz*'", {}},
        {"", {"AC:DC", "Beatles", "beatnik", "The Beat", "Ölvis"}},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.expression);
        EXPECT_EQ(filtered(QString::fromUtf8(c.expression)), c.artists);
    }
}

// The typed text is encoded as the stored one is, a bar included.
TEST_F(RQueryTest, FilterFindsATextWithABar)
{
    addSong(QStringLiteral("Pipe|Band"), QStringLiteral("x"));
    EXPECT_EQ(filtered(QStringLiteral("artist = 'pipe|*'")), QStringList{"Pipe|Band"});
    EXPECT_EQ(filtered(QStringLiteral("artist = 'pipe|band'")), QStringList{"Pipe|Band"});
    EXPECT_EQ(filtered(QStringLiteral("artist = 'pipeI*'")), QStringList{});
}

TEST_F(RQueryTest, FilterSetBeforeOpeningAppliesAndClosingClearsIt)
{
    rq.setSql(selectAllByArtistTitle());
    rq.setFilter(QStringLiteral("artist = 'the*'"));
    rq.open();
    EXPECT_EQ(rq.recordCount(), 1);
    rq.close();
    EXPECT_EQ(rq.filter(), QString());
    rq.open();
    EXPECT_EQ(rq.recordCount(), 5);
}

TEST_F(RQueryTest, MalformedFilterIsAnErrorAndKeepsTheOldOne)
{
    rq.setSql(selectAllByArtistTitle());
    rq.open();
    rq.setFilter(QStringLiteral("artist = 'beat*'"));
    for (const char* bad : {"artist 'x*'", "artist = 'x*", "nosuch = 'x*'", "artist = 'a*' or"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(rq.setFilter(QString::fromLatin1(bad)), EDatabaseError);
    }
    EXPECT_EQ(rq.filter(), QStringLiteral("artist = 'beat*'"));
    EXPECT_EQ(rq.recordCount(), 2);
}

} // namespace
