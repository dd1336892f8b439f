#include "container/TFileSource.h"
#include "SampleData.h"
#include "container/TCompressStream.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "testsupport/FailDevice.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <memory>

namespace {

class FixedClock : public Clock
{
public:
    QDateTime now() const override { return time; }
    QDateTime time{QDate(2024, 3, 9), QTime(14, 25, 7)};
};

QByteArray plainImage(const QByteArray& file)
{
    QByteArray length(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(qint32(file.size()), length.data());
    return length + file;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class TFileSourceTest : public ::testing::Test
{
protected:
    std::unique_ptr<TFileSource> container(const QString& name, const QString& extension)
    {
        auto source = std::make_unique<TFileSource>(clock, tmp.path());
        source->setObjectName(name);
        source->setExtension(extension);
        source->setStore(true);
        return source;
    }
    QString tempFile(const QString& name) const { return tmp.filePath(name); }
    QStringList filesInTemp() const
    {
        return QDir(tmp.path()).entryList(QDir::Files | QDir::System | QDir::Hidden);
    }

    FixedClock clock;
    QTemporaryDir tmp;
};

TEST_F(TFileSourceTest, TwoContainersInTheSameSecondGetCounterZeroAndOne)
{
    auto dll = container("DllContainer", ".dll");
    auto other = container("Other", ".dll");
    dll->loadFileData(plainImage("first"));
    other->loadFileData(plainImage("second"));

    EXPECT_EQ(dll->fileName(), tempFile("~fs70.dll"));
    EXPECT_EQ(other->fileName(), tempFile("~fs71.dll"));
    EXPECT_TRUE(dll->owned());
    EXPECT_EQ(readFile(dll->fileName()), "first");
    EXPECT_EQ(readFile(other->fileName()), "second");
}

// Whatever already sits under a name, a file or a link, is left alone and the next name is used.
TEST_F(TFileSourceTest, PlantedNamesAreSkippedNeverFollowed)
{
    writeFile(tempFile("~fs70.DB"), "planted");
    const QString target = tempFile("target");
    ASSERT_TRUE(QFile::link(target, tempFile("~fs71.DB")));

    auto db = container("DatabaseContainer", ".DB");
    db->loadFileData(plainImage("table"));

    EXPECT_EQ(db->fileName(), tempFile("~fs72.DB"));
    EXPECT_EQ(readFile(tempFile("~fs70.DB")), "planted");
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(readFile(db->fileName()), "table");
}

TEST_F(TFileSourceTest, CompressTurnsStoreOn)
{
    TFileSource source(clock, tmp.path());
    EXPECT_FALSE(source.store());
    source.setCompress(true);
    EXPECT_TRUE(source.store());
    source.setCompress(false);
    EXPECT_TRUE(source.store());
    EXPECT_FALSE(source.compress());
}

TEST_F(TFileSourceTest, TempFileLivesUntilDestructionAndFileNameFollowsIt)
{
    auto db = container("DatabaseContainer", ".DB");
    db->loadFileData(plainImage("x"));
    const QString path = db->fileName();
    ASSERT_TRUE(QFile::exists(path));

    db.reset();
    EXPECT_FALSE(QFile::exists(path));

    auto dll = container("DllContainer", ".dll");
    dll->loadFileData(plainImage("y"));
    ASSERT_FALSE(dll->fileName().isEmpty());
    QFile::remove(dll->fileName());
    EXPECT_EQ(dll->fileName(), QString());
}

TEST_F(TFileSourceTest, SettingFileNameReleasesTheTempFile)
{
    auto source = container("DLAni", ".avi");
    source->loadFileData(plainImage("clip"));
    const QString temp = source->fileName();
    const QString own = tempFile("design.time.gif");
    writeFile(own, "mine");

    source->setFileName(own);
    EXPECT_FALSE(QFile::exists(temp));
    EXPECT_FALSE(source->owned());
    EXPECT_EQ(source->fileName(), own);
    EXPECT_EQ(source->extension(), ".gif");

    source.reset();
    EXPECT_TRUE(QFile::exists(own)) << "a file the container did not write must stay";
}

TEST_F(TFileSourceTest, NamingTheTempFileAgainKeepsIt)
{
    auto source = container("DllContainer", ".dll");
    source->loadFileData(plainImage("lib"));
    const QString temp = source->fileName();
    source->setFileName(temp);
    EXPECT_EQ(source->fileName(), temp);
    EXPECT_TRUE(source->owned());
    source.reset();
    EXPECT_FALSE(QFile::exists(temp));
}

TEST_F(TFileSourceTest, ExtensionComesFromTheFileNameOnly)
{
    TFileSource source(clock, tmp.path());
    const std::pair<const char*, const char*> cases[] = {
        {"/a/b/mpeg.dll", ".dll"},   {"/a/b.c/plain", ""},    {"/a/b/archive.tar.gz", ".gz"},
        {"/a/b/.hidden", ".hidden"}, {"/a/b/trailing.", "."}, {"", ""},
    };
    for (const auto& [path, extension] : cases) {
        SCOPED_TRACE(path);
        source.setExtension("before");
        source.setFileName(path);
        EXPECT_EQ(source.extension(), QString::fromLatin1(extension));
    }
}

TEST_F(TFileSourceTest, StoredFormsRoundTrip)
{
    const QByteArray content = SampleData::mixed(100000, 21);
    const QString original = tempFile("original.bin");
    writeFile(original, content);

    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed);
        auto writer = container("Writer", "");
        writer->setFileName(original);
        writer->setCompress(compressed);
        const QByteArray data = writer->fileData();
        if (compressed)
            EXPECT_EQ(TCompressStream::decompress(data), content);
        else
            EXPECT_EQ(data, plainImage(content));

        auto reader = container("Reader", ".bin");
        reader->setCompress(compressed);
        reader->loadFileData(data);
        EXPECT_EQ(readFile(reader->fileName()), content);
    }
}

TEST_F(TFileSourceTest, StoringAMissingFileNamesContainerAndPath)
{
    auto db = container("DatabaseContainer", ".DB");
    const QString path = tempFile("gone.DB");
    db->setFileName(path);
    try {
        db->fileData();
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(),
                  "DatabaseContainer cannot store file: " + path + " (file is missing)");
    }
}

// A stored image that cannot be written out completely leaves no file behind.
TEST_F(TFileSourceTest, BadImagesLeaveNoTempFile)
{
    const QByteArray compressed = TCompressStream::compress(SampleData::text(50000, 22));
    QByteArray negative(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(-1, negative.data());
    const struct
    {
        const char* name;
        bool compress;
        QByteArray data;
        const char* message;
    } cases[] = {
        {"empty", false, QByteArray(), "length is truncated"},
        {"negative length", false, negative + "abc", "negative length"},
        {"length beyond the data", false, plainImage("abcdef").chopped(1), "beyond the end"},
        {"wrong file type", true, plainImage("abcdef"), "Wrong file type"},
        {"truncated image", true, compressed.chopped(10), "beyond the end"},
        {"damaged block", true, compressed.first(14) + "\x41" + compressed.sliced(15),
         "unknown flag"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = container("DllContainer", ".dll");
        source->setCompress(c.compress);
        try {
            source->loadFileData(c.data);
            ADD_FAILURE() << "no error";
        } catch (const ECompressError& e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(c.message))) << e.what();
        }
        EXPECT_EQ(source->fileName(), QString());
        EXPECT_FALSE(source->owned());
        EXPECT_EQ(filesInTemp(), QStringList());
    }
}

TEST_F(TFileSourceTest, DeviceFailuresAreReportedAndLeaveNoTempFile)
{
    const QByteArray content = SampleData::mixed(3 * 32783, 23);
    const QString original = tempFile("original.bin");
    writeFile(original, content);

    for (const bool compressed : {false, true}) {
        auto writer = container("Writer", "");
        writer->setFileName(original);
        writer->setCompress(compressed);
        const QByteArray data = writer->fileData();
        for (const qint64 limit :
             {qint64(0), qint64(3), qint64(10), data.size() / 2, data.size() - 1}) {
            SCOPED_TRACE(testing::Message() << "compressed " << compressed << " limit " << limit);
            FailDevice out;
            out.setWriteLimit(limit);
            out.open(QIODevice::WriteOnly);
            EXPECT_THROW(writer->storeFileData(out), EInOutError);

            FailDevice in(data);
            in.setReadLimit(limit);
            in.open(QIODevice::ReadOnly);
            auto reader = container("Reader", ".bin");
            reader->setCompress(compressed);
            EXPECT_THROW(reader->loadFileData(in), EInOutError);
            EXPECT_EQ(reader->fileName(), QString());
            EXPECT_EQ(filesInTemp(), QStringList{"original.bin"});
        }
    }
}

TEST_F(TFileSourceTest, UnusableTempLocationsAreErrors)
{
    auto missingDir = std::make_unique<TFileSource>(clock, tempFile("no/such/dir"));
    missingDir->setObjectName("DllContainer");
    EXPECT_THROW(missingDir->loadFileData(plainImage("x")), EInOutError);

    auto escaping = container("DllContainer", "/../../escape");
    EXPECT_THROW(escaping->loadFileData(plainImage("x")), EInOutError);
    EXPECT_EQ(filesInTemp(), QStringList());
}

TEST_F(TFileSourceTest, LoadingAgainReplacesTheOwnedFile)
{
    auto source = container("DllContainer", ".dll");
    source->loadFileData(plainImage("one"));
    const QString first = source->fileName();
    clock.time = clock.time.addSecs(1);
    source->loadFileData(plainImage("two"));

    EXPECT_EQ(source->fileName(), tempFile("~fs80.dll"));
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_EQ(readFile(source->fileName()), "two");
    EXPECT_EQ(source->extension(), ".dll");
}

} // namespace
