#include "TagTestFiles.h"

#include "intake/Id3v1Block.h"
#include "platform/Errors.h"
#include "testsupport/FailDevice.h"

#include <gtest/gtest.h>

namespace {

const QString name = QStringLiteral("/music/song.mp3");

QByteArray audio()
{
    return QByteArray(300, '\x55');
}

QByteArray taggedBytes()
{
    return audio() + makeTagBlock("Old", "Band", "", "1990", "", 1);
}

// Runs `action` and returns the EInOutError text; fails the test when nothing is thrown.
template <typename F> QString ioErrorOf(F action)
{
    try {
        action();
    } catch (const EInOutError& e) {
        return e.message();
    }
    ADD_FAILURE() << "no EInOutError";
    return QString();
}

TEST(Id3v1Block, ReadsTheLastBlock)
{
    FailDevice device(taggedBytes());
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    EXPECT_EQ(Id3v1Block::readTagBlock(device, name), taggedBytes().right(128));
}

TEST(Id3v1Block, ReadFailuresThrowNamingTheFile)
{
    struct Case
    {
        const char* what;
        QByteArray data;
        qint64 readLimit;
        bool sequential;
        const char* reason;
    };
    const Case cases[] = {
        {"fails at once", taggedBytes(), 0, false, "simulated read failure"},
        {"fails inside the tag", taggedBytes(), 100, false, "simulated read failure"},
        {"shorter than a tag", QByteArray(127, 'T'), FailDevice::NoLimit, false, "127 bytes"},
        {"empty", QByteArray(), FailDevice::NoLimit, false, "0 bytes"},
        {"cannot seek", taggedBytes(), FailDevice::NoLimit, true, "cannot be sought"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FailDevice device(c.data);
        device.setReadLimit(c.readLimit);
        device.setSequential(c.sequential);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        const QString text = ioErrorOf([&] { Id3v1Block::readTagBlock(device, name); });
        EXPECT_TRUE(text.contains(name)) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(c.reason))) << text.toStdString();
    }
}

TEST(Id3v1Block, WriteReplacesOnlyTheTag)
{
    FailDevice device(taggedBytes());
    ASSERT_TRUE(device.open(QIODevice::ReadWrite));
    const QByteArray block = makeTagBlock("New", "Other", "Album", "2024", "Note", 9);
    EXPECT_TRUE(Id3v1Block::writeTagBlock(device, block, name));
    EXPECT_EQ(device.data(), audio() + block);
}

TEST(Id3v1Block, WriteRefusesWhenTheFileNoLongerEndsInATag)
{
    const QByteArray untagged = audio() + QByteArray(128, '\x55');
    FailDevice device(untagged);
    ASSERT_TRUE(device.open(QIODevice::ReadWrite));
    EXPECT_FALSE(Id3v1Block::writeTagBlock(device, makeTagBlock("X", "", "", "", "", 0), name));
    EXPECT_EQ(device.data(), untagged);
    EXPECT_EQ(device.bytesWritten(), 0);
}

TEST(Id3v1Block, WriteFailuresThrowAndNeverTouchTheAudio)
{
    struct Case
    {
        const char* what;
        qint64 readLimit;
        qint64 writeLimit;
    };
    const Case cases[] = {
        {"check read fails", 10, FailDevice::NoLimit},
        {"write fails at once", FailDevice::NoLimit, 0},
        {"write fails halfway", FailDevice::NoLimit, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FailDevice device(taggedBytes());
        device.setReadLimit(c.readLimit);
        device.setWriteLimit(c.writeLimit);
        ASSERT_TRUE(device.open(QIODevice::ReadWrite));
        const QString text = ioErrorOf([&] {
            Id3v1Block::writeTagBlock(device, makeTagBlock("New", "", "", "", "", 0), name);
        });
        EXPECT_TRUE(text.contains(name)) << text.toStdString();
        EXPECT_EQ(device.data().size(), taggedBytes().size());
        EXPECT_EQ(device.data().left(audio().size()), audio());
    }
}

TEST(Id3v1Block, BuildPadsWithSpacesAndWritesLatin1)
{
    Id3v1Block::Fields fields;
    fields.title = QString::fromUtf8("Motörhead \u0416\U0001F3B8");
    fields.artist = QString(35, 'a');
    fields.year = "19999";
    fields.genreID = 255;
    EXPECT_EQ(Id3v1Block::build(fields),
              makeTagBlock("Mot\xf6rhead ??", QByteArray(30, 'a'), "", "1999", "", 255, ' '));
}

} // namespace
