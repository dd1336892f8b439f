#include "container/StartupFiles.h"
#include "container/EmbeddedFiles.h"
#include "container/TFileSource.h"
#include "platform/Clock.h"
#include "testsupport/TempHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The two containers as the main window holds them: their files written out to a temporary
// folder of their own, apart from the home.
class ValidatorTick : public ::testing::Test
{
protected:
    QString library() const { return home.file(QLatin1String(StartupFiles::LibraryFileName)); }
    QString songTable() const { return home.file(QLatin1String(StartupFiles::SongTableFileName)); }
    StartupFiles::TickResult tick()
    {
        return StartupFiles::validatorTick(home.path(), *dll, *database);
    }
    QStringList homeFiles() const
    {
        return QDir(home.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    TempHome home;
    QTemporaryDir temp;
    SystemClock clock;
    std::unique_ptr<TFileSource> dll =
        EmbeddedFiles::load(EmbeddedFiles::DllContainer, clock, temp.path());
    std::unique_ptr<TFileSource> database =
        EmbeddedFiles::load(EmbeddedFiles::DatabaseContainer, clock, temp.path());
};

TEST_F(ValidatorTick, FirstTickOnAnEmptyHomeWritesBothFiles)
{
    const StartupFiles::TickResult result = tick();
    EXPECT_TRUE(result.libraryInPlace);
    EXPECT_TRUE(result.songTableInPlace);
    EXPECT_TRUE(result.finished());
    EXPECT_EQ(homeFiles(), (QStringList{"mpegdll.so", "tamboro.db"})); // nothing else
    EXPECT_EQ(bytes(library()), bytes(dll->fileName()));
    EXPECT_EQ(bytes(songTable()), bytes(database->fileName()));
    EXPECT_FALSE(bytes(library()).isEmpty());
}

TEST_F(ValidatorTick, ExistingFilesAreNeverTouched)
{
    const QDateTime old = QDateTime::currentDateTime().addDays(-30);
    for (const QString& path : {library(), songTable()}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's own " + path.toUtf8());
        ASSERT_TRUE(file.flush());
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(tick().finished());
    for (const QString& path : {library(), songTable()}) {
        EXPECT_EQ(bytes(path), "the user's own " + path.toUtf8());
        EXPECT_EQ(QFileInfo(path).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    }
    EXPECT_EQ(homeFiles().size(), 2);
}

// A library copy that fails is tried again on the next tick even though the song table is in
// place: the timer only stops when both are there.
TEST_F(ValidatorTick, FailedLibraryCopyKeepsTheTicksGoing)
{
    const QString source = dll->fileName();
    ASSERT_TRUE(QFile::rename(source, source + QStringLiteral(".away")));
    StartupFiles::TickResult result = tick();
    EXPECT_FALSE(result.libraryInPlace);
    EXPECT_TRUE(result.songTableInPlace);
    EXPECT_FALSE(result.finished());
    EXPECT_EQ(homeFiles(), QStringList{"tamboro.db"}); // no partial library

    ASSERT_TRUE(QFile::rename(source + QStringLiteral(".away"), source));
    result = tick();
    EXPECT_TRUE(result.finished());
    EXPECT_EQ(bytes(library()), bytes(source));
}

} // namespace
