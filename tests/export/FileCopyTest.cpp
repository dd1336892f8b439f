#include "export/FileCopy.h"

#include "platform/Errors.h"
#include "testsupport/CaseNames.h"
#include "testsupport/TempHome.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using FileCopy::Existing;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Half-written copies are hidden files of the folder: none may stay behind.
QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".tamboro-copy-*")},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

class FileCopyTest : public ::testing::Test
{
protected:
    QString source(const QString& relative, const QByteArray& bytes)
    {
        return writeTestFile(dir.filePath(QStringLiteral("src/") + relative), bytes);
    }
    QString target(const QString& name) const { return QDir(dest).filePath(name); }

    QTemporaryDir dir;
    QString dest = [this] {
        QDir(dir.path()).mkpath(QStringLiteral("dest"));
        return dir.filePath(QStringLiteral("dest"));
    }();
};

} // namespace

struct NamesRow
{
    const char* name;
    QStringList sources;
    QStringList expected;
};

class TargetNamesTest : public ::testing::TestWithParam<NamesRow>
{};

TEST_P(TargetNamesTest, laterSourcesOfTakenNamesAreNumbered)
{
    EXPECT_EQ(FileCopy::targetNames(GetParam().sources), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TargetNamesTest,
    ::testing::Values(
        NamesRow{"three folders one name",
                 {"/a/Song.mp3", "/b/Song.mp3", "/c/Song.mp3"},
                 {"Song.mp3", "Song (2).mp3", "Song (3).mp3"}},
        NamesRow{"different names untouched", {"/a/One.mp3", "/b/Two.mp3"}, {"One.mp3", "Two.mp3"}},
        NamesRow{"letter case counts as the same name",
                 {"/a/song.MP3", "/b/Song.mp3"},
                 {"song.MP3", "Song (2).mp3"}},
        NamesRow{"number goes before the last dot only",
                 {"/a/A.B.mp3", "/b/A.B.mp3"},
                 {"A.B.mp3", "A.B (2).mp3"}},
        NamesRow{"no extension", {"/a/Song", "/b/Song"}, {"Song", "Song (2)"}},
        NamesRow{"a numbered name taken by a source",
                 {"/a/Song (2).mp3", "/b/Song.mp3", "/c/Song.mp3"},
                 {"Song (2).mp3", "Song.mp3", "Song (3).mp3"}}),
    RowName());

TEST_F(FileCopyTest, twoSourcesOfOneNameBothArrive)
{
    const QStringList sources = {source(QStringLiteral("a/Song.mp3"), "first"),
                                 source(QStringLiteral("b/Song.mp3"), "second")};
    QStringList reported;
    FileCopy::Callbacks callbacks;
    callbacks.progress = [&](int index, int count, const QString& file) {
        reported << QStringLiteral("%1/%2 %3").arg(index).arg(count).arg(file);
    };
    callbacks.askExisting = [](const QString&) {
        ADD_FAILURE() << "a name the command took itself is no existing file";
        return Existing::Cancel;
    };
    const FileCopy::Result result = FileCopy::copyFiles(sources, dest, callbacks);

    EXPECT_EQ(contents(target(QStringLiteral("Song.mp3"))), "first");
    EXPECT_EQ(contents(target(QStringLiteral("Song (2).mp3"))), "second");
    EXPECT_EQ(result.copied, QStringList({target(QStringLiteral("Song.mp3")),
                                          target(QStringLiteral("Song (2).mp3"))}));
    EXPECT_EQ(result.bytes, 11);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(reported, QStringList({QStringLiteral("0/2 ") + sources[0],
                                     QStringLiteral("1/2 ") + sources[1]}));
    EXPECT_TRUE(leftovers(dest).isEmpty());
}

TEST_F(FileCopyTest, aFolderThatIsNoneIsAnError)
{
    EXPECT_THROW(FileCopy::copyFiles({source(QStringLiteral("a.mp3"), "x")},
                                     dir.filePath(QStringLiteral("nowhere")), {}),
                 EInOutError);
}

// The folder holds One.mp3 and Two.mp3 before the command; the sources are One, Two and
// Three, with new contents. Each row answers the questions in order.
struct ExistingRow
{
    const char* name;
    std::deque<Existing> answers;
    QByteArray one, two, three; // what the folder holds afterwards
    int asked;
    bool cancelled;
};

class ExistingFileTest : public FileCopyTest, public ::testing::WithParamInterface<ExistingRow>
{};

TEST_P(ExistingFileTest, replacedOnlyWhenTheUserAgrees)
{
    const ExistingRow& row = GetParam();
    writeTestFile(target(QStringLiteral("One.mp3")), "old one");
    writeTestFile(target(QStringLiteral("Two.mp3")), "old two");
    const QStringList sources = {source(QStringLiteral("One.mp3"), "new one"),
                                 source(QStringLiteral("Two.mp3"), "new two"),
                                 source(QStringLiteral("Three.mp3"), "new three")};
    std::deque<Existing> answers = row.answers;
    QStringList asked;
    FileCopy::Callbacks callbacks;
    callbacks.askExisting = [&](const QString& path) {
        asked << path;
        if (answers.empty()) {
            ADD_FAILURE() << "asked once too often, about " << path.toStdString();
            return Existing::Cancel;
        }
        const Existing answer = answers.front();
        answers.pop_front();
        return answer;
    };
    const FileCopy::Result result = FileCopy::copyFiles(sources, dest, callbacks);

    EXPECT_EQ(contents(target(QStringLiteral("One.mp3"))), row.one);
    EXPECT_EQ(contents(target(QStringLiteral("Two.mp3"))), row.two);
    EXPECT_EQ(contents(target(QStringLiteral("Three.mp3"))), row.three);
    EXPECT_EQ(asked.size(), row.asked);
    if (!asked.isEmpty()) {
        EXPECT_EQ(asked.front(), target(QStringLiteral("One.mp3")));
    }
    EXPECT_EQ(result.cancelled, row.cancelled);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_TRUE(leftovers(dest).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, ExistingFileTest,
                         ::testing::Values(ExistingRow{"replace then skip",
                                                       {Existing::Replace, Existing::Skip},
                                                       "new one",
                                                       "old two",
                                                       "new three",
                                                       2,
                                                       false},
                                           ExistingRow{"skip then replace",
                                                       {Existing::Skip, Existing::Replace},
                                                       "old one",
                                                       "new two",
                                                       "new three",
                                                       2,
                                                       false},
                                           ExistingRow{"replace all asks once",
                                                       {Existing::ReplaceAll},
                                                       "new one",
                                                       "new two",
                                                       "new three",
                                                       1,
                                                       false},
                                           ExistingRow{"cancel at the first leaves everything",
                                                       {Existing::Cancel},
                                                       "old one",
                                                       "old two",
                                                       "<missing>",
                                                       1,
                                                       true},
                                           ExistingRow{"cancel at the second keeps what was copied",
                                                       {Existing::Replace, Existing::Cancel},
                                                       "new one",
                                                       "old two",
                                                       "<missing>",
                                                       2,
                                                       true}),
                         RowName());

TEST_F(FileCopyTest, withoutAQuestionExistingFilesAreSkipped)
{
    writeTestFile(target(QStringLiteral("One.mp3")), "old");
    const QString one = source(QStringLiteral("One.mp3"), "new");
    const FileCopy::Result result = FileCopy::copyFiles({one}, dest, {});
    EXPECT_EQ(contents(target(QStringLiteral("One.mp3"))), "old");
    EXPECT_EQ(result.skipped, QStringList{one});
}

TEST_F(FileCopyTest, aVanishedSourceIsListedAndTheRestArrive)
{
    const QStringList sources = {source(QStringLiteral("One.mp3"), "1"),
                                 dir.filePath(QStringLiteral("src/Gone.mp3")),
                                 source(QStringLiteral("Three.mp3"), "3")};
    QStringList reported;
    FileCopy::Callbacks callbacks;
    callbacks.finished = [&](int index, FileCopy::Outcome outcome, const QString& path,
                             const QString& reason) {
        reported << QStringLiteral("%1 %2 %3 %4")
                        .arg(index)
                        .arg(int(outcome))
                        .arg(QFileInfo(path).fileName(), reason);
    };
    const FileCopy::Result result = FileCopy::copyFiles(sources, dest, callbacks);

    EXPECT_EQ(reported, QStringList({QStringLiteral("0 0 One.mp3 "),
                                     QStringLiteral("1 2 Gone.mp3 The file no longer exists."),
                                     QStringLiteral("2 0 Three.mp3 ")}));
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].source, sources[1]);
    EXPECT_EQ(result.failures[0].reason, QStringLiteral("The file no longer exists."));
    EXPECT_EQ(result.copied.size(), 2);
    EXPECT_EQ(QDir(dest).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("One.mp3"), QStringLiteral("Three.mp3")}));
}

// A folder nobody may write to: its permissions for an ordinary user; for root, whom
// permissions do not stop, a read-only mount.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& path)
        : m_path(QFile::encodeName(path))
    {
        if (::geteuid() != 0)
            m_ready = ::chmod(m_path.constData(), 0555) == 0;
        else
            m_ready = m_mounted =
                ::mount("tmpfs", m_path.constData(), "tmpfs", MS_RDONLY, "size=64k") == 0;
    }
    ~ReadOnlyFolder()
    {
        if (m_mounted)
            ::umount2(m_path.constData(), MNT_DETACH);
        else
            ::chmod(m_path.constData(), 0755);
    }
    bool ready() const { return m_ready; }

private:
    QByteArray m_path;
    bool m_ready = false;
    bool m_mounted = false;
};

TEST_F(FileCopyTest, aReadOnlyFolderListsEveryFile)
{
    const QStringList sources = {source(QStringLiteral("One.mp3"), "1"),
                                 source(QStringLiteral("Two.mp3"), "2")};
    const ReadOnlyFolder readOnly(dest);
    if (!readOnly.ready())
        GTEST_SKIP() << "the folder could not be made read-only (root needs CAP_SYS_ADMIN)";
    const FileCopy::Result result = FileCopy::copyFiles(sources, dest, {});

    ASSERT_EQ(result.failures.size(), 2u);
    for (const FileCopy::Failure& failure : result.failures)
        EXPECT_TRUE(failure.reason == QStringLiteral("Access was denied.") ||
                    failure.reason == QStringLiteral("The destination cannot be written to."))
            << failure.reason.toStdString();
    EXPECT_TRUE(result.copied.isEmpty());
    EXPECT_TRUE(QDir(dest).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(FileCopyTest, cancelBeforeAFileRemovesItsStartedCopy)
{
    const QStringList sources = {source(QStringLiteral("One.mp3"), "1"),
                                 source(QStringLiteral("Two.mp3"), "2"),
                                 source(QStringLiteral("Three.mp3"), "3")};
    std::atomic<bool> cancel = false;
    FileCopy::Callbacks callbacks;
    callbacks.cancel = &cancel;
    callbacks.progress = [&](int index, int, const QString&) {
        if (index == 1)
            cancel = true;
    };
    const FileCopy::Result result = FileCopy::copyFiles(sources, dest, callbacks);

    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.copied, QStringList{target(QStringLiteral("One.mp3"))});
    EXPECT_EQ(QDir(dest).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("One.mp3")});
}

TEST_F(FileCopyTest, cancelInTheMiddleOfALargeFileLeavesNoPartial)
{
    // A large sparse file: a copy long enough to be cancelled while it is written.
    const QString big = source(QStringLiteral("Big.mp3"), QByteArray());
    ASSERT_EQ(::truncate(QFile::encodeName(big).constData(), 512LL * 1024 * 1024), 0);
    std::atomic<bool> cancel = false;
    std::atomic<bool> done = false;
    QThread* watcher = QThread::create([&] {
        const QDeadlineTimer deadline(10000);
        while (!done && !deadline.hasExpired() && leftovers(dest).isEmpty())
            QThread::usleep(200);
        cancel = true;
    });
    watcher->start();
    FileCopy::Callbacks callbacks;
    callbacks.cancel = &cancel;
    const FileCopy::Result result = FileCopy::copyFiles({big}, dest, callbacks);
    done = true;
    watcher->wait();
    delete watcher;

    EXPECT_TRUE(leftovers(dest).isEmpty());
    // Whether the cancel came in time depends on the machine; either way the folder holds the
    // whole file or nothing.
    if (result.cancelled) {
        EXPECT_FALSE(QFile::exists(target(QStringLiteral("Big.mp3"))));
    } else {
        EXPECT_EQ(QFileInfo(target(QStringLiteral("Big.mp3"))).size(), 512LL * 1024 * 1024);
    }
}

TEST_F(FileCopyTest, aFullDiskListsTheFailureAndLeavesNoPartial)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system for a full disk needs root";
    const QByteArray mountPoint = QFile::encodeName(dest);
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no tmpfs could be mounted (CAP_SYS_ADMIN missing)";
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{mountPoint};

    const QStringList sources = {source(QStringLiteral("One.mp3"), QByteArray(300 * 1024, '1')),
                                 source(QStringLiteral("Two.mp3"), QByteArray(900 * 1024, '2')),
                                 source(QStringLiteral("Three.mp3"), QByteArray(200 * 1024, '3'))};
    const FileCopy::Result result = FileCopy::copyFiles(sources, dest, {});

    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].source, sources[1]);
    EXPECT_EQ(result.failures[0].reason,
              QStringLiteral("There is not enough room in the destination."));
    EXPECT_EQ(QDir(dest).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("One.mp3"), QStringLiteral("Three.mp3")}));
    EXPECT_EQ(contents(target(QStringLiteral("Three.mp3"))), QByteArray(200 * 1024, '3'));
}
