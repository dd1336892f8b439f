#include "container/EmbeddedFiles.h"
#include "container/TFileSource.h"
#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "platform/Clock.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <gtest/gtest.h>

namespace {

TEST(EmbeddedFiles, CarriedTemplateBecomesAnEmptySongTable)
{
    TempHome home;
    SystemClock clock;
    const auto container =
        EmbeddedFiles::load(EmbeddedFiles::DatabaseContainer, clock, home.path());
    ASSERT_FALSE(container->fileName().isEmpty());
    EXPECT_TRUE(container->fileName().endsWith(QStringLiteral(".DB")));

    const QString table = home.file(QStringLiteral("tamboro.db"));
    ASSERT_TRUE(EmbeddedFiles::copyIfMissing(*container, table));

    SongDatabase db(home.path());
    RQuery rq(db);
    rq.setSql(Statements::selectAll());
    rq.open();
    EXPECT_TRUE(rq.isEmpty());

    UQuery uq(db);
    Song song;
    song.artist = QStringLiteral("First");
    uq.setSql(Statements::insertSong(song));
    uq.execSQL();
    rq.close();
    rq.setSql(Statements::selectAll());
    rq.open();
    EXPECT_EQ(rq.field(SongColumn::ID), QStringLiteral("1"));
}

TEST(EmbeddedFiles, CarriedAnimationIsTheDrawnClipAndPlays)
{
    TempHome home;
    SystemClock clock;
    const auto container = EmbeddedFiles::load(EmbeddedFiles::DLAni, clock, home.path());
    ASSERT_TRUE(container->fileName().endsWith(QStringLiteral(".gif")));
    QFile written(container->fileName());
    QFile drawn(QStringLiteral(T3_SOURCE_DIR "/src/container/embedded/DLAni.gif"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    ASSERT_TRUE(drawn.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), drawn.readAll());
    QImageReader reader(container->fileName());
    EXPECT_TRUE(reader.supportsAnimation());
    EXPECT_GT(reader.imageCount(), 1);
    EXPECT_EQ(reader.size(), QSize(16, 16));
}

TEST(EmbeddedFiles, CopyNeverReplacesAnExistingFile)
{
    TempHome home;
    SystemClock clock;
    const auto container =
        EmbeddedFiles::load(EmbeddedFiles::DatabaseContainer, clock, home.path());
    const QString table = home.file(QStringLiteral("tamboro.db"));
    {
        QFile existing(table);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("the user's songs");
    }
    EXPECT_TRUE(EmbeddedFiles::copyIfMissing(*container, table));
    QFile kept(table);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("the user's songs"));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no leftovers
}

TEST(EmbeddedFiles, CopyFromAVanishedTemporaryFileFailsAndCanBeRetried)
{
    TempHome home;
    SystemClock clock;
    const auto container =
        EmbeddedFiles::load(EmbeddedFiles::DatabaseContainer, clock, home.path());
    const QString temporary = container->fileName();
    ASSERT_TRUE(QFile::rename(temporary, temporary + QStringLiteral(".away")));
    const QString table = home.file(QStringLiteral("tamboro.db"));
    EXPECT_FALSE(EmbeddedFiles::copyIfMissing(*container, table));
    EXPECT_FALSE(QFileInfo::exists(table));

    ASSERT_TRUE(QFile::rename(temporary + QStringLiteral(".away"), temporary));
    EXPECT_TRUE(EmbeddedFiles::copyIfMissing(*container, table));
    EXPECT_TRUE(QFileInfo::exists(table));
}

} // namespace
