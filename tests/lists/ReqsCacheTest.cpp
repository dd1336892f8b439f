#include "lists/ReqsCache.h"
#include "db/SongTableFixture.h"
#include "platform/Errors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Statements::ParameterKind;

// A cache entry as the parameter dialog makes it: caption, "|", base query.
QByteArray entry(const QString& caption, ParameterKind kind, const QString& value)
{
    const QString query = Statements::parameterBaseQuery(
        Statements::parameterConditions({Statements::parameterTerm(kind, value, true)}));
    return (caption + u'|' + query).toUtf8();
}

class ReqsCacheTest : public SongTableFixture
{
protected:
    ReqsCacheTest()
    {
        addSong(QStringLiteral("Abba"), QStringLiteral("Waterloo"), QStringLiteral("Disk!"),
                QStringLiteral("Gold"));
        addSong(QStringLiteral("Queen"), QStringLiteral("Innuendo"), QStringLiteral("CD1@"));
    }

    QString path() const { return home.file(QLatin1String(ReqsCache::FileName)); }
    void write(const QByteArray& content)
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray content() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    ReqsCache::PruneReport prune() { return ReqsCache::prune(db, path(), recordProgress); }
    int songCount() { return column(Statements::selectAll()).size(); }

    std::vector<std::pair<int, int>> progress;
    ReqsCache::Progress recordProgress = [this](int handled, int total) {
        progress.emplace_back(handled, total);
    };

    const QByteArray abba =
        entry(QStringLiteral(" (artists: Abba)"), ParameterKind::Artist, QStringLiteral("Abba"));
    const QByteArray queenCd =
        entry(QStringLiteral(" (mediums: CD1)"), ParameterKind::Medium, QStringLiteral("CD1"));
    const QByteArray gold =
        entry(QStringLiteral(" (albums: Gold)"), ParameterKind::Album, QStringLiteral("Gold"));
    const QByteArray nobody = entry(QStringLiteral(" (artists: Nobody)"), ParameterKind::Artist,
                                    QStringLiteral("Nobody"));
};

TEST_F(ReqsCacheTest, FileWhoseQueriesAllFindSongsStaysByteForByte)
{
    const QByteArray original = abba + "\r\n" + queenCd + "\r\n" + gold + "\r\n";
    write(original);
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }

    const ReqsCache::PruneReport report = prune();
    EXPECT_EQ(report.lines, 3);
    EXPECT_EQ(report.kept, 3);
    EXPECT_FALSE(report.rewritten);
    EXPECT_TRUE(report.noRows.isEmpty());
    EXPECT_TRUE(report.rejected.isEmpty());
    EXPECT_EQ(content(), original);
    EXPECT_EQ(QFileInfo(path()).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(ReqsCache::captions(path()),
              (QStringList{" (artists: Abba)", " (mediums: CD1)", " (albums: Gold)"}));
}

TEST_F(ReqsCacheTest, EntryWithoutSongsIsDroppedAndTheRestKeepTheirOrderAndEnding)
{
    write(abba + "\r\n" + nobody + "\r\n" + gold + "\r\n");
    const ReqsCache::PruneReport report = prune();
    EXPECT_EQ(report.kept, 2);
    EXPECT_TRUE(report.rewritten);
    EXPECT_EQ(report.noRows, QStringList{" (artists: Nobody)"});
    EXPECT_TRUE(report.rejected.isEmpty());
    EXPECT_EQ(content(), abba + "\r\n" + gold + "\r\n");
    EXPECT_EQ(ReqsCache::captions(path()), (QStringList{" (artists: Abba)", " (albums: Gold)"}));
    // No temporary left beside the cache and the song table (with its open log).
    const QStringList left = QFileInfo(path()).dir().entryList(QDir::Files);
    EXPECT_EQ(left.filter(QRegularExpression(QStringLiteral("^tamboro\\.db-(wal|shm)$"))).size() +
                  2,
              left.size())
        << left.join(QLatin1Char(' ')).toStdString();

    // A file of LF lines (no final one) keeps LF.
    write(nobody + "\n" + queenCd);
    EXPECT_TRUE(prune().rewritten);
    EXPECT_EQ(content(), queenCd + "\n");
}

TEST_F(ReqsCacheTest, LinesThatHoldNoUsableQueryAreDroppedWithAReasonAndNeverRun)
{
    const QByteArray refused = " (bad)|select * from tamboro where nosuchcolumn=\"x\"";
    const QByteArray noBar = "just a caption";
    const QByteArray change = " (evil)|delete from tamboro";
    const QByteArray selectLike = " (odd)|selection from tamboro";
    write(abba + "\r\n" + refused + "\r\n\r\n" + noBar + "\r\n" + change + "\r\n" + selectLike +
          "\r\n" + gold + "\r\n");

    const ReqsCache::PruneReport report = prune();
    EXPECT_EQ(report.lines, 6); // the blank line is no entry
    EXPECT_EQ(report.kept, 2);
    ASSERT_EQ(report.rejected.size(), 4);
    EXPECT_TRUE(report.rejected.at(0).contains(QStringLiteral("nosuchcolumn")));
    EXPECT_TRUE(report.rejected.at(0).startsWith(QStringLiteral("Line 2 ")));
    EXPECT_TRUE(report.rejected.at(1).contains(QStringLiteral("no query")));
    EXPECT_TRUE(report.rejected.at(2).contains(QStringLiteral("not a read query")));
    EXPECT_TRUE(report.rejected.at(3).contains(QStringLiteral("not a read query")));
    EXPECT_EQ(content(), abba + "\r\n" + gold + "\r\n");
    EXPECT_EQ(songCount(), 2); // the delete never ran
}

TEST_F(ReqsCacheTest, EntriesOfAnOlderLatin1FileAreReadAsLatin1)
{
    addSong(QStringLiteral("Björk"), QStringLiteral("Jóga"));
    const QByteArray latin1 =
        QString::fromUtf8(entry(QStringLiteral(" (artists: Björk)"), ParameterKind::Artist,
                                QStringLiteral("Björk")))
            .toLatin1();
    write(latin1 + "\r\n" + nobody + "\r\n");
    EXPECT_EQ(prune().kept, 1);
    EXPECT_EQ(content(), latin1 + "\r\n");
    EXPECT_EQ(ReqsCache::captions(path()), QStringList{" (artists: Björk)"});
}

TEST_F(ReqsCacheTest, MissingFileStaysMissing)
{
    const ReqsCache::PruneReport report = prune();
    EXPECT_EQ(report.lines, 0);
    EXPECT_FALSE(report.rewritten);
    EXPECT_FALSE(QFileInfo::exists(path()));
    EXPECT_TRUE(progress.empty());
    EXPECT_TRUE(ReqsCache::captions(path()).isEmpty());
}

TEST_F(ReqsCacheTest, EveryEntryGoneLeavesAnEmptyFile)
{
    write(nobody + "\r\n");
    EXPECT_TRUE(prune().rewritten);
    EXPECT_TRUE(QFileInfo::exists(path()));
    EXPECT_EQ(content(), QByteArray());
    EXPECT_TRUE(ReqsCache::captions(path()).isEmpty());
}

TEST_F(ReqsCacheTest, AddAppendsANewLineOnceAndKeepsTheOthersByteForByte)
{
    EXPECT_TRUE(ReqsCache::add(path(), QString::fromUtf8(abba)));
    EXPECT_EQ(content(), abba + "\r\n");
    EXPECT_FALSE(ReqsCache::add(path(), QString::fromUtf8(abba)));
    EXPECT_EQ(content(), abba + "\r\n");

    // A file written elsewhere keeps its line ending and its Latin-1 line.
    const QByteArray latin1 = " (artists: Mot\xf6r)|select * from tamboro where (artist=\"x\")";
    write(latin1 + "\n" + gold + "\n");
    EXPECT_FALSE(ReqsCache::add(path(), QString::fromLatin1(latin1)));
    EXPECT_TRUE(ReqsCache::add(path(), QString::fromUtf8(queenCd)));
    EXPECT_EQ(content(), latin1 + "\n" + gold + "\n" + queenCd + "\n");
    EXPECT_EQ(ReqsCache::captions(path()),
              (QStringList{" (artists: Mot\u00F6r)", " (albums: Gold)", " (mediums: CD1)"}));
}

TEST_F(ReqsCacheTest, TheFirstBarEndsTheCaption)
{
    const auto entry =
        ReqsCache::parse(" (albums: A)|select * from tamboro where (album=\"A|7B\")");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->caption, QStringLiteral(" (albums: A)"));
    EXPECT_EQ(entry->query, QStringLiteral("select * from tamboro where (album=\"A|7B\")"));
    EXPECT_FALSE(ReqsCache::parse(" (albums: A)").has_value());
    EXPECT_TRUE(ReqsCache::isReadQuery(entry->query));
    EXPECT_FALSE(ReqsCache::isReadQuery("delete from tamboro"));
    EXPECT_FALSE(ReqsCache::isReadQuery("selection"));
}

// When the song table cannot answer at all, the entries are not at fault: none is dropped.
TEST(ReqsCacheWithoutTable, UnreadableSongTableKeepsEveryEntry)
{
    TempHome home;
    const QString path = home.file(QLatin1String(ReqsCache::FileName));
    const QByteArray original =
        " (artists: Abba)|select * from tamboro where (artist=\"Abba\")\r\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    {
        SongDatabase db(home.path()); // no song table yet: nothing to check against
        const ReqsCache::PruneReport report = ReqsCache::prune(db, path);
        EXPECT_FALSE(report.rewritten);
    }
    {
        QFile table(home.file(QStringLiteral("tamboro.db")));
        ASSERT_TRUE(table.open(QIODevice::WriteOnly));
        table.write(QByteArray(4096, 'x'));
    }
    SongDatabase db(home.path());
    EXPECT_THROW(ReqsCache::prune(db, path), EDatabaseError);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
}

} // namespace
