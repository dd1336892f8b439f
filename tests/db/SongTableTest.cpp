#include "SongTableFixture.h"

#include "db/Transaction.h"
#include "platform/Errors.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

using namespace Statements;

TEST_F(SongTableFixture, EveryStatementOfTheCatalogueRunsOnTheTable)
{
    addSong(QStringLiteral("Abba"), QStringLiteral("Waterloo"));
    addSong(QStringLiteral("Queen"), QStringLiteral("Bicycle"), QStringLiteral("CD Rock@"));
    // A song catalogued on Windows, and the row a failed read leaves behind.
    for (const char* filename : {"D:\\Music\\a.mp3", "BADFILE"}) {
        Song song;
        song.filename = QString::fromLatin1(filename);
        uq.setSql(insertSong(song));
        uq.execSQL();
    }
    // Closing writes the log of recent commits into the file, so the copy holds every row.
    db.closeConnection();
    QFile::copy(home.file(QStringLiteral("tamboro.db")), home.file(QStringLiteral("converted.db")));

    const Song row{QStringLiteral("A"),       QStringLiteral("T"),    QStringLiteral("/f.mp3"),
                   QStringLiteral("0:01:00"), QStringLiteral("CD@"),  QStringLiteral("Pop"),
                   QStringLiteral("Al"),      QStringLiteral("128"),  QStringLiteral("44100"),
                   QStringLiteral("Co"),      QStringLiteral("2001"), QString(),
                   QStringLiteral("5")};
    const QString reads[] = {
        selectAllByArtistTitle(),
        selectAll(),
        selectAllById(),
        selectTopPlayed(),
        selectByIds({QStringLiteral("1"), QStringLiteral("2")}),
        selectHardDiskSongs(),
        selectDuplicate(QStringLiteral("Abba"), QStringLiteral("Waterloo"),
                        QStringLiteral("0:03:00"), QStringLiteral("Disk!")),
        selectArtistLike(QStringLiteral("_bba")),
        selectArtistEquals(QStringLiteral("Abba")),
        selectById(QStringLiteral("1")),
        selectArtistsOrdered(),
        selectByParameters(parameterConditions(
            {parameterTerm(ParameterKind::Artist, QStringLiteral("Abba"), true) +
                 parameterTerm(ParameterKind::Artist, QStringLiteral("Queen"), false),
             parameterTerm(ParameterKind::Medium, QStringLiteral("CD"), true) +
                 parameterTerm(ParameterKind::Medium, QStringLiteral("Disk"), false)})),
        selectFastSearch({QStringLiteral("bb"), QStringLiteral("BB")}),
        selectUserListFiles({QStringLiteral("D:%\\a.mp3")}),
        selectIdsAndFilenames(),
        withOrder(selectAll(), QStringLiteral(" order by artist desc, title desc")),
        selectConvertedRemovable(),
    };
    for (const QString& statement : reads) {
        SCOPED_TRACE(statement.toStdString());
        rq.close();
        rq.setSql(statement);
        EXPECT_NO_THROW(rq.open());
        EXPECT_FALSE(rq.isEmpty());
    }

    const QString changes[] = {
        insertSong(row),
        deleteBadFiles(),
        updateTags(QStringLiteral("1"), row),
        updateRetag(QStringLiteral("2"),
                    {retagAssignment(QStringLiteral("genre"), QStringLiteral("Rock"))}),
        updatePlayed(3, QStringLiteral("1")),
        updatePlayedQuoted(4, QStringLiteral("2")),
        insertIntoConverted(row),
        insertCopiedRow(row),
        deleteByFilename(QStringLiteral("/f.mp3")),
        deleteById(QStringLiteral("2")),
    };
    for (const QString& statement : changes) {
        SCOPED_TRACE(statement.toStdString());
        uq.setSql(statement);
        EXPECT_NO_THROW(uq.execSQL());
        EXPECT_GE(uq.rowsAffected(), 1);
    }
}

TEST_F(SongTableFixture, EncodedTitleIsStoredFoundAndShownAgain)
{
    addSong(QStringLiteral("Someone"), QStringLiteral("He said \"Hi\""));
    addSong(QStringLiteral("Other"), QStringLiteral("a|b"));

    EXPECT_EQ(column(selectAll(), SongColumn::Title),
              (QStringList{QStringLiteral("He said |2Hi|2"), QStringLiteral("a|7b")}));

    rq.close();
    rq.setSql(QStringLiteral("select * from tamboro where title=\"") +
              TextCodec::reFilter(QStringLiteral("He said \"Hi\"")) + QStringLiteral("\""));
    rq.open();
    ASSERT_EQ(rq.recordCount(), 1);
    EXPECT_EQ(TextCodec::filter(rq.field(SongColumn::Title)), QStringLiteral("He said \"Hi\""));
    EXPECT_EQ(TextCodec::filter(QStringLiteral("a|7b")), QStringLiteral("a|b"));
    EXPECT_EQ(TextCodec::filter(QStringLiteral("a|b")), QStringLiteral("aIb"));
}

// The insert names its columns in another order than the table has them, and the row reader
// goes by the table's: every field must still come back in its own place, in stored form.
TEST_F(SongTableFixture, SongComesBackFromItsRowFieldForField)
{
    const Song plain{.artist = QStringLiteral("O'Connor"),
                     .title = QStringLiteral("He said \"Hi\""),
                     .filename = QStringLiteral("/music/it's #1: *live*.mp3"),
                     .trackLength = QStringLiteral("0:03:45"),
                     .location = QStringLiteral("CD Rock@"),
                     .genre = QStringLiteral("Pop"),
                     .album = QStringLiteral("Live `91"),
                     .bitrate = QStringLiteral("192"),
                     .frequency = QStringLiteral("48000"),
                     .comment = QStringLiteral("a|b"),
                     .year = QStringLiteral("1991")};
    uq.setSql(insertSong(plain.storedForm()));
    uq.execSQL();
    uq.setSql(updatePlayed(4, QStringLiteral("1")));
    uq.execSQL();

    Song expected = plain.storedForm();
    expected.id = QStringLiteral("1");
    expected.played = QStringLiteral("4");
    rq.setSql(selectAllById());
    rq.open();
    const Song read = songFromRecord(rq);
    EXPECT_EQ(read, expected);
    EXPECT_EQ(TextCodec::filter(read.artist), plain.artist);
    EXPECT_EQ(TextCodec::filter(read.filename), plain.filename);

    // A copy of the row read is the same song under the next ID, its play count included.
    uq.setSql(insertCopiedRow(read));
    uq.execSQL();
    rq.open();
    rq.next();
    ASSERT_FALSE(rq.eof());
    expected.id = QStringLiteral("2");
    EXPECT_EQ(songFromRecord(rq), expected);
}

TEST_F(SongTableFixture, DoubleQuotedTextIsAStringNotAColumn)
{
    addSong(QStringLiteral("title"), QStringLiteral("one"));
    addSong(QStringLiteral("Same"), QStringLiteral("Same")); // artist equals its own title
    EXPECT_EQ(column(selectArtistEquals(QStringLiteral("title")), SongColumn::Title),
              QStringList{QStringLiteral("one")});
}

TEST_F(SongTableFixture, QuotedAndUnquotedIdSelectTheSameRow)
{
    for (int i = 1; i <= 17; ++i)
        addSong(QStringLiteral("Artist %1").arg(i), QStringLiteral("Song"));
    const QStringList quoted = column(selectByIds({QStringLiteral("17")}));
    EXPECT_EQ(quoted, QStringList{QStringLiteral("Artist 17")});
    EXPECT_EQ(column(selectById(QStringLiteral("17"))), quoted);

    uq.setSql(updatePlayedQuoted(2, QStringLiteral("17")));
    uq.execSQL();
    EXPECT_EQ(uq.rowsAffected(), 1);
    EXPECT_EQ(column(selectById(QStringLiteral("17")), SongColumn::Played),
              QStringList{QStringLiteral("2")});
}

TEST_F(SongTableFixture, IdsOfDeletedRowsAreNotGivenAgain)
{
    for (int i = 1; i <= 5; ++i)
        addSong(QStringLiteral("A%1").arg(i), QStringLiteral("T"));
    EXPECT_EQ(column(selectAllById(), SongColumn::ID), (QStringList{"1", "2", "3", "4", "5"}));
    for (const char* id : {"2", "3"}) {
        uq.setSql(deleteById(QString::fromLatin1(id)));
        uq.execSQL();
    }
    addSong(QStringLiteral("A6"), QStringLiteral("T"));
    EXPECT_EQ(column(selectAllById(), SongColumn::ID), (QStringList{"1", "4", "5", "6"}));
}

TEST_F(SongTableFixture, InsertIntoConvertedLandsInItsOwnFile)
{
    addSong(QStringLiteral("Main"), QStringLiteral("Song"));
    SongDatabase::createSongTable(home.file(QStringLiteral("converted.db")));
    const Song row{.artist = QStringLiteral("Copied"),
                   .title = QStringLiteral("T"),
                   .filename = QStringLiteral("/f.mp3"),
                   .trackLength = QStringLiteral("0:01:00"),
                   .location = QStringLiteral("CD@"),
                   .played = QStringLiteral("9")};
    uq.setSql(insertIntoConverted(row));
    uq.execSQL();

    EXPECT_EQ(column(selectAll()), QStringList{QStringLiteral("Main")});
    EXPECT_EQ(column(selectConvertedRemovable()), QStringList{QStringLiteral("Copied")});
    db.closeConnection();

    // Read the file on its own: the row is there, with the first ID of its table.
    {
        QSqlDatabase other =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        other.setDatabaseName(home.file(QStringLiteral("converted.db")));
        ASSERT_TRUE(other.open());
        QSqlQuery q(QStringLiteral("select ID, Artist, Played from tamboro"), other);
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 1);
        EXPECT_EQ(q.value(1).toString(), QStringLiteral("Copied"));
        EXPECT_EQ(q.value(2).toInt(), 9);
        EXPECT_FALSE(q.next());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

TEST_F(SongTableFixture, MissingTableFileIsAnErrorAndNotCreated)
{
    UQuery query(db);
    query.setSql(insertIntoConverted(Song{}));
    EXPECT_THROW(query.execSQL(), EDatabaseError);
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("converted.db"))));

    TempHome empty;
    SongDatabase nothing(empty.path());
    RQuery read(nothing);
    read.setSql(selectAll());
    try {
        read.open();
        FAIL() << "opened a song table that does not exist";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("does not exist"))) << e.what();
    }
    EXPECT_FALSE(QFile::exists(empty.file(QStringLiteral("tamboro.db"))));
}

TEST_F(SongTableFixture, UnencodedDoubleQuoteGivesAnErrorAndChangesNothing)
{
    addSong(QStringLiteral("Keep"), QStringLiteral("Me"));
    // A medium name typed with a double quote, put into a statement by hand.
    const QString texts[] = {
        QStringLiteral("select * from tamboro where location = \"CD \"Best\"@\""),
        QStringLiteral("delete from tamboro where location = \"x\" or \"1\"=\"1\"\"\""),
        QStringLiteral("update tamboro set Played=1 where ID=\"1\"\"\""),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        uq.setSql(text);
        EXPECT_THROW(uq.execSQL(), EDatabaseError);
        EXPECT_EQ(db.monitor().text(), text);
    }
    EXPECT_THROW(deleteByFilename(QStringLiteral("x\" or \"1\"=\"1")), EDatabaseError);
    EXPECT_EQ(column(selectAll(), SongColumn::Played), QStringList{QStringLiteral("0")});
}

TEST_F(SongTableFixture, EngineErrorCarriesTheEnginesTextAndTheMonitorTheStatement)
{
    rq.setSql(QStringLiteral("select * from tamboro where nosuchcolumn=1"));
    try {
        rq.open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("nosuchcolumn"))) << e.what();
    }
    EXPECT_EQ(db.monitor().text(), QStringLiteral("select * from tamboro where nosuchcolumn=1"));
    EXPECT_FALSE(rq.isOpen());
}

TEST_F(SongTableFixture, MarkerMatchKeepsChangeableMediaOutOfHardDiskQueries)
{
    addSong(QStringLiteral("Disk song"), QStringLiteral("T"), QStringLiteral("Music!"));
    addSong(QStringLiteral("CD song"), QStringLiteral("T"), QStringLiteral("CD Rock@"));
    addSong(QStringLiteral("Net song"), QStringLiteral("T"), QStringLiteral("Share R"));
    EXPECT_EQ(column(selectHardDiskSongs()), QStringList{QStringLiteral("Disk song")});
}

TEST_F(SongTableFixture, OrderIgnoresLetterCase)
{
    for (const char* artist : {"beta", "Alpha", "alpha2", "Zulu", "ABBA"})
        addSong(QString::fromLatin1(artist), QStringLiteral("T"));
    EXPECT_EQ(column(selectAllByArtistTitle()),
              (QStringList{"ABBA", "Alpha", "alpha2", "beta", "Zulu"}));
}

TEST_F(SongTableFixture, ChangesWhileAReadIsUnderWay)
{
    for (int i = 0; i < 50; ++i)
        addSong(QStringLiteral("A%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("T"));
    rq.setSql(selectAllByArtistTitle());
    rq.open();
    ASSERT_FALSE(rq.isEmpty());
    uq.setSql(updatePlayed(7, rq.field(SongColumn::ID)));
    EXPECT_NO_THROW(uq.execSQL());
    EXPECT_EQ(rq.recordCount(), 50);
}

TEST_F(SongTableFixture, ClosedConnectionReleasesTheTableFile)
{
    addSong(QStringLiteral("Old"), QStringLiteral("T"));
    EXPECT_EQ(column(selectAll()), QStringList{QStringLiteral("Old")});
    db.closeConnection();
    EXPECT_FALSE(rq.isOpen());

    ASSERT_TRUE(QFile::remove(home.file(QStringLiteral("tamboro.db"))));
    SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
    EXPECT_EQ(column(selectAll()), QStringList());
}

// ---- Transactions ----

TEST_F(SongTableFixture, TransactionKeepsAllOrNothing)
{
    {
        Transaction transaction(db);
        addSong(QStringLiteral("Kept 1"), QStringLiteral("T"));
        addSong(QStringLiteral("Kept 2"), QStringLiteral("T"));
        transaction.commit();
    }
    try {
        Transaction transaction(db);
        addSong(QStringLiteral("Lost"), QStringLiteral("T"));
        uq.setSql(QStringLiteral("insert into tamboro (nosuchcolumn)values\n(\"x\")"));
        uq.execSQL();
        transaction.commit();
    } catch (const EDatabaseError&) {
    }
    EXPECT_EQ(column(selectAllByArtistTitle()), (QStringList{"Kept 1", "Kept 2"}));
}

TEST_F(SongTableFixture, InnerTransactionLeftWithoutCommitFailsTheOuter)
{
    Transaction outer(db);
    addSong(QStringLiteral("Lost"), QStringLiteral("T"));
    {
        Transaction inner(db);
    }
    EXPECT_THROW(outer.commit(), EDatabaseError);
    EXPECT_EQ(column(selectAll()), QStringList());
}

} // namespace
