#include "SampleData.h"
#include "testsupport/CaseNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct ToolRun
{
    int exitCode;
    QString error;
};

class FsrcToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The build makes the tool before this test: a missing one is a fault, not a skip.
        ASSERT_TRUE(QFile::exists(tool)) << "fsrc is not built: " << tool.toStdString();
    }

    ToolRun fsrc(const QStringList& args)
    {
        QProcess process;
        process.start(tool, args);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString& name)
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    const QString tool = QStringLiteral(T3_FSRC_PATH);
    QTemporaryDir dir;
};

TEST_F(FsrcToolTest, PacksAndUnpacksBothForms)
{
    const QByteArray content = SampleData::mixed(100000, 31);
    write("in.bin", content);

    ASSERT_EQ(fsrc({"pack", path("in.bin"), path("plain.img")}).exitCode, 0);
    QByteArray length(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(qint32(content.size()), length.data());
    EXPECT_EQ(read("plain.img"), length + content);

    ASSERT_EQ(fsrc({"pack", "--compress", path("in.bin"), path("packed.img")}).exitCode, 0);
    EXPECT_TRUE(read("packed.img").startsWith("PMCS10"));
    EXPECT_LT(read("packed.img").size(), content.size());

    for (const char* image : {"plain.img", "packed.img"}) {
        SCOPED_TRACE(image);
        ASSERT_EQ(fsrc({"unpack", path(image), path("out.bin")}).exitCode, 0);
        EXPECT_EQ(read("out.bin"), content);
    }
}

// A file of /proc says it is empty and still has content: it is read to its end.
TEST_F(FsrcToolTest, PacksAFileThatReportsNoSize)
{
    ASSERT_EQ(QFileInfo(QStringLiteral("/proc/self/status")).size(), 0);
    for (const QStringList& options : {QStringList{}, QStringList{"--compress"}}) {
        SCOPED_TRACE(options.join(' ').toStdString());
        const QStringList args =
            QStringList{"pack"} + options + QStringList{"/proc/self/status", path("proc.img")};
        ASSERT_EQ(fsrc(args).exitCode, 0);
        ASSERT_EQ(fsrc({"unpack", path("proc.img"), path("proc.txt")}).exitCode, 0);
        EXPECT_TRUE(read("proc.txt").startsWith("Name:\tfsrc\n"))
            << read("proc.txt").left(80).toStdString();
    }
}

TEST_F(FsrcToolTest, FailuresExitWithOneAndLeaveTheOutputAlone)
{
    write("out.bin", "earlier");
    write("junk.img", "neither form");

    ToolRun run = fsrc({"unpack", path("junk.img"), path("out.bin")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.error.contains("is not a stored file image")) << run.error.toStdString();

    run = fsrc({"pack", path("missing.bin"), path("out.bin")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.error.contains("fsrc cannot store file: " + path("missing.bin") + " (file is missing)"))
        << run.error.toStdString();

    write("bad.img", "PMCS10" + QByteArray::fromHex("05000000 01000000 41"));
    EXPECT_EQ(fsrc({"unpack", path("bad.img"), path("out.bin")}).exitCode, 1);
    EXPECT_EQ(read("out.bin"), "earlier");
}

TEST_F(FsrcToolTest, WrongUsageExitsWithTwo)
{
    const QStringList cases[] = {
        {},
        {"pack", "a"},
        {"pack", "--compress", "a"},
        {"pack", "a", "b", "c"},
        {"unpack", "--compress", "a", "b"},
        {"unpack", "a"},
        {"squeeze", "a", "b"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(fsrc(args).exitCode, 2);
    }
}

// Whatever is not a regular file keeps its name: the output is only ever a regular file or a
// new name.
struct OutputCase
{
    const char* name;
    const char* command;
    bool folder; // else a FIFO
};

void PrintTo(const OutputCase& c, std::ostream* os)
{
    *os << c.name;
}

class FsrcOutput : public FsrcToolTest, public ::testing::WithParamInterface<OutputCase>
{};

TEST_P(FsrcOutput, ThatIsNotARegularFileIsRefused)
{
    const OutputCase& c = GetParam();
    write("in.bin", "content");
    ASSERT_EQ(fsrc({"pack", path("in.bin"), path("in.img")}).exitCode, 0);
    const QString out = path("out");
    if (c.folder)
        ASSERT_TRUE(QDir().mkdir(out));
    else
        ASSERT_EQ(::mkfifo(QFile::encodeName(out).constData(), 0600), 0);

    const QString in = QString::fromLatin1(c.command) == "pack" ? path("in.bin") : path("in.img");
    const ToolRun run = fsrc({QString::fromLatin1(c.command), in, out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.error.contains(out + " exists and is not a regular file"))
        << run.error.toStdString();
    const QFileInfo after(out);
    EXPECT_FALSE(after.isFile());
    EXPECT_EQ(after.isDir(), c.folder);
}

INSTANTIATE_TEST_SUITE_P(Table, FsrcOutput,
                         ::testing::Values(OutputCase{"pack onto a FIFO", "pack", false},
                                           OutputCase{"unpack onto a FIFO", "unpack", false},
                                           OutputCase{"pack onto a folder", "pack", true},
                                           OutputCase{"unpack onto a folder", "unpack", true}),
                         RowName());

} // namespace
