#include "intake/AddQueue.h"
#include "SystemNames.h"
#include "testsupport/TempHome.h"

#include "testsupport/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// A folder tree of empty files for the listing and scan rules (their content does not matter
// to the queue).
class FolderTree : public ::testing::Test
{
protected:
    QString path(const QString& relative) const { return m_dir.filePath(relative); }
    QString makeFile(const QString& relative) const { return writeTestFile(path(relative)); }
    QString makeFolder(const QString& relative) const
    {
        QDir().mkpath(path(relative));
        return path(relative);
    }

    QTemporaryDir m_dir;
};

using AddQueueListingTest = FolderTree;

TEST_F(AddQueueListingTest, OffersMp3AndWmaFilesInAnyLetterCaseByName)
{
    for (const char* name : {"b.mp3", "A.MP3", "c.Wma", "d.wav", "e.mp3.txt", "mp3", ".hidden.mp3"})
        makeFile(QString::fromLatin1(name));
    makeFolder(QStringLiteral("folder.mp3"));

    EXPECT_EQ(
        AddQueue::filesIn(m_dir.path()),
        QStringList({QStringLiteral("A.MP3"), QStringLiteral("b.mp3"), QStringLiteral("c.Wma")}));
}

// A name that is not UTF-8 (Latin-1 from old media) is offered in its place, decoded, so that
// the add can say why it cannot take it.
TEST_F(AddQueueListingTest, NamesThatAreNotUtf8AreOfferedInTheirPlace)
{
    makeFile(QStringLiteral("a.mp3"));
    makeFile(QStringLiteral("z.wma"));
    const RawNamedFile latin1(m_dir.path(), "caf\xe9.MP3");
    const RawNamedFile notASong(m_dir.path(), "\xff.txt");
    const RawNamedFile hidden(m_dir.path(), ".\xe9.mp3");

    EXPECT_EQ(AddQueue::filesIn(m_dir.path()),
              (QStringList{"a.mp3", QStringLiteral(u"caf\uFFFD.MP3"), "z.wma"}));
    EXPECT_TRUE(AddQueue::isUndecodableName(latin1.decodedPath()));
    EXPECT_FALSE(AddQueue::isUndecodableName(path(QStringLiteral("a.mp3"))));
}

// A folder too deep for the system to open is listed in its files' place; the folder above it
// is scanned as any other.
TEST_F(AddQueueListingTest, FolderTooDeepToOpenIsListedInItsFilesPlace)
{
    const DeepTree tree(m_dir.path(), "song.mp3", "");

    const QStringList files = AddQueue::scanFiles(m_dir.path());

    EXPECT_EQ(files.mid(files.size() - 2), (QStringList{tree.song(), tree.tooDeepFolder()}));
    EXPECT_TRUE(AddQueue::isTooLongForTheSystem(tree.tooDeepFolder()));
    EXPECT_FALSE(AddQueue::isTooLongForTheSystem(tree.song()));
}

TEST_F(AddQueueListingTest, MissingFolderOffersNothing)
{
    EXPECT_TRUE(AddQueue::filesIn(path(QStringLiteral("gone"))).isEmpty());
    EXPECT_TRUE(AddQueue::scanFiles(path(QStringLiteral("gone"))).isEmpty());
}

struct QueuedCase
{
    const char* label;
    QStringList queue;
    const char* name;
    bool queued;
};

void PrintTo(const QueuedCase& c, std::ostream* os)
{
    *os << c.label;
}

class AddQueueNameTest : public ::testing::TestWithParam<QueuedCase>
{};

TEST_P(AddQueueNameTest, NameOccursAfterASlashAnywhereInTheQueue)
{
    const QueuedCase& c = GetParam();
    EXPECT_EQ(AddQueue::isQueued(c.queue, QString::fromUtf8(c.name)), c.queued);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddQueueNameTest,
    ::testing::Values(
        QueuedCase{"EmptyQueue", {}, "a.mp3", false},
        QueuedCase{"SameNameOtherFolder", {QStringLiteral("/x/a.mp3")}, "a.mp3", true},
        QueuedCase{
            "LaterLine", {QStringLiteral("/x/b.mp3"), QStringLiteral("/y/a.mp3")}, "a.mp3", true},
        // "/b.mp3" is not in "/x/ab.mp3": the slash keeps a name's tail from matching.
        QueuedCase{"TailOfLongerName", {QStringLiteral("/x/ab.mp3")}, "b.mp3", false},
        // A name that is the start of a queued folder name: the text test matches it.
        QueuedCase{"StartOfFolderName", {QStringLiteral("/x/a.mp3 live/b.mp3")}, "a.mp3", true},
        QueuedCase{"LetterCaseCounts", {QStringLiteral("/x/A.mp3")}, "a.mp3", false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(AddQueueTest, EnqueueSkipsANameQueuedFromAnotherFolder)
{
    QStringList queue;
    EXPECT_EQ(AddQueue::enqueue(queue, QStringLiteral("/one"),
                                {QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}),
              2);
    EXPECT_EQ(AddQueue::enqueue(queue, QStringLiteral("/two/"),
                                {QStringLiteral("a.mp3"), QStringLiteral("c.mp3")}),
              1);
    EXPECT_EQ(queue, QStringList({QStringLiteral("/one/a.mp3"), QStringLiteral("/one/b.mp3"),
                                  QStringLiteral("/two/c.mp3")}));
}

TEST(AddQueueTest, FullNameOfAFileInTheRootHasOneSlash)
{
    EXPECT_EQ(AddQueue::fullName(QStringLiteral("/"), QStringLiteral("a.mp3")), "/a.mp3");
    EXPECT_EQ(AddQueue::fullName(QStringLiteral("/m"), QStringLiteral("a.mp3")), "/m/a.mp3");
}

using AddQueueScanTest = FolderTree;

TEST_F(AddQueueScanTest, ListsFoldersBreadthFirstAndFilesFolderByFolder)
{
    makeFile(QStringLiteral("start/z.mp3"));
    makeFile(QStringLiteral("start/b/deep/x.mp3"));
    makeFile(QStringLiteral("start/b/2.wma"));
    makeFile(QStringLiteral("start/a/deeper/y.MP3"));
    makeFile(QStringLiteral("start/a/1.mp3"));
    makeFile(QStringLiteral("start/a/notes.txt"));
    makeFolder(QStringLiteral("start/c"));
    makeFolder(QStringLiteral("start/.cache"));
    makeFile(QStringLiteral("start/.cache/hidden.mp3"));
    const QString start = path(QStringLiteral("start"));

    int steps = 0;
    const QStringList folders = AddQueue::scanFolders(start, [&steps] { ++steps; });
    EXPECT_EQ(folders, QStringList({start, start + "/a", start + "/b", start + "/c",
                                    start + "/a/deeper", start + "/b/deep"}));
    EXPECT_EQ(steps, folders.size());

    EXPECT_EQ(AddQueue::scanFiles(start),
              QStringList({start + "/z.mp3", start + "/a/1.mp3", start + "/b/2.wma",
                           start + "/a/deeper/y.MP3", start + "/b/deep/x.mp3"}));
}

TEST_F(AddQueueScanTest, FolderReachedAgainThroughALinkIsScannedOnce)
{
    makeFile(QStringLiteral("start/a/1.mp3"));
    const QString start = path(QStringLiteral("start"));
    // A link back up the tree would otherwise make the scan endless.
    ASSERT_TRUE(QFile::link(start, path(QStringLiteral("start/a/up"))));
    // A link to a folder outside the tree is followed like a folder.
    makeFile(QStringLiteral("elsewhere/2.mp3"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("elsewhere")), path(QStringLiteral("start/b"))));

    EXPECT_EQ(AddQueue::scanFiles(start), QStringList({start + "/a/1.mp3", start + "/b/2.mp3"}));
}

} // namespace
