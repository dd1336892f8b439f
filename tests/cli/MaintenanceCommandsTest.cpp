// check, top10, reindex and delete of the command-line program on a real song table.
#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "testsupport/CaseNames.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class MaintenanceCommandsTest : public ::testing::Test
{
protected:
    MaintenanceCommandsTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.file(QStringLiteral("data"))));
    }

    // Adds `count` songs in one transaction; song i is by "Artist <count - i>" (so that
    // artist order reverses the IDs), played i times, its file under the home's "songs".
    void addSongs(int count, const QString& prefix = QStringLiteral("Artist"))
    {
        SongDatabase db(home.path());
        Transaction transaction(db);
        UQuery uq(db);
        for (int i = 0; i < count; ++i) {
            Song song{.artist = QStringLiteral("%1 %2").arg(prefix).arg(count - i, 6, 10,
                                                                        QLatin1Char('0')),
                      .title = QStringLiteral("Title"),
                      .filename = TextCodec::reFilter(
                          home.file(QStringLiteral("songs/%1%2.mp3").arg(prefix).arg(i))),
                      .location = QStringLiteral("Disk!"),
                      .played = QString::number(i)};
            uq.setSql(Statements::insertCopiedRow(song));
            uq.execSQL();
        }
        transaction.commit();
    }

    QStringList columnById(SongColumn which)
    {
        SongDatabase db(home.path());
        RQuery rq(db);
        rq.setSql(Statements::selectAllById());
        rq.open();
        QStringList values;
        for (rq.first(); !rq.eof(); rq.next())
            values << rq.field(which);
        return values;
    }

    void deleteIds(const QStringList& ids)
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        for (const QString& id : ids) {
            uq.setSql(Statements::deleteById(id));
            uq.execSQL();
        }
    }

    CliRun run(const QStringList& args) { return runCli(home.path(), args); }

    TempHome home;
};

TEST_F(MaintenanceCommandsTest, CheckDeletesTheGoneFilesUnlessDryRun)
{
    addSongs(3);
    writeTestFile(home.file(QStringLiteral("songs/Artist1.mp3")));
    // A song on a stick that is not plugged in.
    {
        SongDatabase db(home.path());
        UQuery uq(db);
        uq.setSql(Statements::insertCopiedRow(
            {.artist = QStringLiteral("Stick"),
             .filename = QStringLiteral("/media/nobody/NO-SUCH-STICK/a.mp3"),
             .location = QStringLiteral("Stick!")}));
        uq.execSQL();
    }

    CliRun dry =
        run({QStringLiteral("check"), QStringLiteral("--json"), QStringLiteral("--dry-run")});
    ASSERT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    QJsonObject figures = records(dry.out).value(0);
    EXPECT_EQ(figures["checked"].toInt(), 4);
    EXPECT_EQ(figures["missing"].toInt(), 2);
    EXPECT_EQ(figures["skipped"].toInt(), 1);
    EXPECT_EQ(figures["deleted"].toInt(), 0);
    EXPECT_EQ(columnById(SongColumn::ID).size(), 4);

    CliRun real = run({QStringLiteral("check"), QStringLiteral("--json")});
    ASSERT_EQ(real.exitCode, 0) << real.err.toStdString();
    EXPECT_EQ(records(real.out).value(0)["deleted"].toInt(), 2);
    EXPECT_EQ(columnById(SongColumn::ID), (QStringList{QStringLiteral("2"), QStringLiteral("4")}));
}

struct TopTenCase
{
    const char* name;
    int songs;
    int exitCode;
    int records;
};

class Top10Command : public MaintenanceCommandsTest,
                     public ::testing::WithParamInterface<TopTenCase>
{};

TEST_P(Top10Command, ListsTheTenMostPlayed)
{
    addSongs(GetParam().songs);
    const CliRun result = run({QStringLiteral("top10"), QStringLiteral("--json")});
    EXPECT_EQ(result.exitCode, GetParam().exitCode);
    const QList<QJsonObject> rows = records(result.out);
    ASSERT_EQ(rows.size(), GetParam().records);
    if (rows.isEmpty()) {
        EXPECT_TRUE(result.err.contains("less than 10 songs"));
        return;
    }
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i]["played"].toInteger(), GetParam().songs - 1 - i);
}

INSTANTIATE_TEST_SUITE_P(Maintenance, Top10Command,
                         ::testing::Values(TopTenCase{"nine songs", 9, 1, 0},
                                           TopTenCase{"ten songs", 10, 0, 10},
                                           TopTenCase{"eleven songs", 11, 0, 10}),
                         RowName());

TEST_F(MaintenanceCommandsTest, ReindexClosesTheGapsKeepingPlays)
{
    addSongs(4);
    deleteIds({QStringLiteral("3")});
    const CliRun result = run({QStringLiteral("reindex"), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(records(result.out).value(0)["advice"].toString(),
              QStringLiteral("Your database needs re-indexing!"));
    EXPECT_EQ(records(result.out).value(0)["rows"].toInt(), 3);
    // Artist order reverses the old IDs 1, 2, 4, whose play counts were 0, 1, 3.
    EXPECT_EQ(columnById(SongColumn::ID),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(columnById(SongColumn::Played),
              (QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("0")}));
}

TEST_F(MaintenanceCommandsTest, DeleteFilesOnlyKeepsTheRows)
{
    addSongs(2);
    const QString file = writeTestFile(home.file(QStringLiteral("songs/Artist0.mp3")), "ID3");
    const CliRun result =
        run({QStringLiteral("delete"), QStringLiteral("--json"), QStringLiteral("--ids"),
             QStringLiteral("1,2"), QStringLiteral("--files-only")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(records(result.out).value(0)["records deleted"].toInt(), 0);
    EXPECT_EQ(records(result.out).value(0)["files deleted"].toInt(), 1);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(columnById(SongColumn::ID).size(), 2);

    const CliRun rows = run({QStringLiteral("delete"), QStringLiteral("--query"),
                             QStringLiteral("select * from tamboro where ID=\"2\"")});
    ASSERT_EQ(rows.exitCode, 0) << rows.err.toStdString();
    EXPECT_TRUE(rows.out.contains("records deleted: 1"));
    EXPECT_EQ(columnById(SongColumn::ID), QStringList{QStringLiteral("1")});
}

TEST_F(MaintenanceCommandsTest, DeleteRefusesAStatementThatIsNoSelect)
{
    addSongs(2);
    const CliRun result = run({QStringLiteral("delete"), QStringLiteral("--query"),
                               QStringLiteral("delete from tamboro")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(columnById(SongColumn::ID).size(), 2);
}

// ---- Killed half-way ----

// The engine's own verdict on a table file, and its rows' IDs and plays.
struct TableState
{
    QString integrity;
    QStringList ids;
    qint64 plays = 0;
};

TableState inspect(const QString& path)
{
    TableState state;
    const QString name = QStringLiteral("inspect");
    {
        // Opened for writing, as the program opens it: a run killed while it changed the
        // table's journal leaves a journal that the next opener plays back.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            state.integrity = QStringLiteral("cannot open");
        } else {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("PRAGMA integrity_check")))
                state.integrity = query.lastError().text();
            while (query.next())
                state.integrity += query.value(0).toString();
            query.exec(QStringLiteral("SELECT ID, Played FROM tamboro ORDER BY ID"));
            while (query.next()) {
                state.ids << query.value(0).toString();
                state.plays += query.value(1).toLongLong();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return state;
}

// However far a re-index has got when it is killed, the song table is complete: the old one
// with its gaps, or the new one numbered 1, 2, 3, ...
TEST_F(MaintenanceCommandsTest, KilledReindexLeavesTheOldTableOrTheNewOne)
{
    const int songs = 30000;
    addSongs(songs);
    QStringList doomed;
    for (int id = 2; id <= songs; id += 3)
        doomed << QString::number(id);
    {
        SongDatabase db(home.path());
        Transaction transaction(db);
        UQuery uq(db);
        for (const QString& id : doomed) {
            uq.setSql(Statements::deleteById(id));
            uq.execSQL();
        }
        transaction.commit();
    }
    const TableState before = inspect(home.file(QStringLiteral("tamboro.db")));
    ASSERT_EQ(before.integrity, QStringLiteral("ok"));
    const int rows = int(before.ids.size());
    QStringList renumbered;
    for (int i = 1; i <= rows; ++i)
        renumbered << QString::number(i);

    // How long a whole run takes here, so that the kills spread over all of it.
    const QString table = home.file(QStringLiteral("tamboro.db"));
    const QString copy = home.file(QStringLiteral("gapped.db"));
    ASSERT_TRUE(QFile::copy(table, copy));
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(run({QStringLiteral("reindex")}).exitCode, 0);
    const qint64 fullRun = std::max<qint64>(clock.elapsed(), 50);

    QRandomGenerator random(20261211);
    int killedMidway = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Each run starts from the gapped table, so that old and new can be told apart.
        for (const char* side : {"", "-wal", "-shm"})
            QFile::remove(table + QLatin1String(side));
        ASSERT_TRUE(QFile::copy(copy, table));
        QProcess process;
        process.start(QStringLiteral(T3_BINARY_DIR "/bin/tamboro3-cli"),
                      {QStringLiteral("--home"), home.path(), QStringLiteral("reindex")});
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(random.bounded(int(fullRun * 11 / 10)));
        process.kill();
        ASSERT_TRUE(process.waitForFinished(60000));
        if (process.exitStatus() == QProcess::CrashExit)
            ++killedMidway;

        const TableState after = inspect(table);
        SCOPED_TRACE(attempt);
        EXPECT_EQ(after.integrity, QStringLiteral("ok"));
        EXPECT_EQ(after.plays, before.plays);
        EXPECT_TRUE(after.ids == before.ids || after.ids == renumbered)
            << after.ids.size() << " rows, first " << after.ids.value(0).toStdString();
        // The program opens it as usual and can re-index it again.
        EXPECT_EQ(run({QStringLiteral("reindex")}).exitCode, 0);
        EXPECT_EQ(inspect(table).ids, renumbered);
    }
    EXPECT_GT(killedMidway, 0) << "every run ended before its kill";
}

} // namespace
