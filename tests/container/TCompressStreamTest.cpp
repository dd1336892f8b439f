#include "container/TCompressStream.h"
#include "SampleData.h"
#include "container/LZRW1KH.h"
#include "platform/Errors.h"
#include "testsupport/FailDevice.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

using LZRW1KH::BlockSize;

QByteArray le32(qint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

qint32 le32At(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}

QByteArray image(const QByteArray& body)
{
    return "PMCS10" + le32(qint32(body.size())) + body;
}

QByteArray chunk(const QByteArray& block)
{
    return le32(qint32(block.size())) + block;
}

// Splits an image into its blocks, checking that the chunks use up the total exactly.
QList<QByteArray> blocksOf(const QByteArray& img)
{
    QList<QByteArray> blocks;
    EXPECT_TRUE(img.startsWith("PMCS10"));
    EXPECT_EQ(le32At(img, 6), img.size() - 10);
    qsizetype at = 10;
    while (at + 4 <= img.size()) {
        const qint32 length = le32At(img, at);
        blocks.append(img.mid(at + 4, length));
        at += 4 + length;
    }
    EXPECT_EQ(at, img.size());
    return blocks;
}

struct RoundTrip
{
    const char* name;
    QByteArray file;
};

void PrintTo(const RoundTrip& c, std::ostream* os)
{
    *os << c.name;
}

class TCompressStreamRoundTrip : public ::testing::TestWithParam<RoundTrip>
{};

TEST_P(TCompressStreamRoundTrip, ImageHoldsConsecutiveBlocksAndDecodesToTheFile)
{
    const QByteArray& file = GetParam().file;
    const QByteArray img = TCompressStream::compress(file);

    const QList<QByteArray> blocks = blocksOf(img);
    ASSERT_EQ(blocks.size(), (file.size() + BlockSize - 1) / BlockSize);
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        ASSERT_EQ(LZRW1KH::decompressBlock(blocks[i]), file.mid(i * BlockSize, BlockSize))
            << "block " << i;
    }
    EXPECT_EQ(TCompressStream::decompress(img), file);
}

std::vector<RoundTrip> roundTrips()
{
    using namespace SampleData;
    return {
        {"empty", QByteArray()},
        {"one_byte", QByteArray("a")},
        {"text_block_minus_one", text(BlockSize - 1, 1)},
        {"text_one_block", text(BlockSize, 2)},
        {"text_block_plus_one", text(BlockSize + 1, 3)},
        {"random_two_blocks", randomBytes(2 * BlockSize, 4)},
        {"runs_two_blocks_plus_one", runs(2 * BlockSize + 1, 5)},
        {"mixed_one_megabyte", mixed(1 << 20, 6)},
        {"random_one_megabyte", randomBytes(1 << 20, 7)},
    };
}

INSTANTIATE_TEST_SUITE_P(Files, TCompressStreamRoundTrip, ::testing::ValuesIn(roundTrips()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TCompressStreamTest, EmptyFileIsAHeaderWithTotalZero)
{
    EXPECT_EQ(TCompressStream::compress(QByteArray()), QByteArray("PMCS10\0\0\0\0", 10));
}

// The image goes where the output stands, and the output is left at its end.
TEST(TCompressStreamTest, WritesAtTheCurrentPositionAndEndsThere)
{
    const QByteArray file = SampleData::mixed(50000, 11);
    QByteArray source = file;
    QBuffer in(&source);
    in.open(QIODevice::ReadOnly);
    QByteArray stored;
    QBuffer out(&stored);
    out.open(QIODevice::WriteOnly);
    out.write("head");
    TCompressStream::compress(in, out);
    out.write("tail");

    ASSERT_TRUE(stored.startsWith("headPMCS10"));
    ASSERT_TRUE(stored.endsWith("tail"));
    EXPECT_EQ(le32At(stored, 10), stored.size() - 18);
    EXPECT_EQ(TCompressStream::decompress(stored.mid(4)), file);
}

TEST(TCompressStreamTest, ReadsFromAPipeLikeDevice)
{
    const QByteArray file = SampleData::text(3 * BlockSize, 12);
    FailDevice in(TCompressStream::compress(file));
    in.setSequential(true);
    in.open(QIODevice::ReadOnly);
    QByteArray result;
    QBuffer out(&result);
    out.open(QIODevice::WriteOnly);
    TCompressStream::decompress(in, out);
    EXPECT_EQ(result, file);
}

TEST(TCompressStreamTest, OtherFileTypesAreRejected)
{
    const QByteArray cases[] = {
        QByteArray(),
        QByteArray("PMCS1"),
        QByteArray("PMCS11") + le32(0),
        QByteArray("pmcs10") + le32(0),
        le32(3) + "abc",
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toHex(' ').toStdString());
        try {
            TCompressStream::decompress(bytes);
            ADD_FAILURE() << "no error";
        } catch (const ECompressError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Wrong file type"));
        }
    }
}

TEST(TCompressStreamTest, MalformedImagesAreRejected)
{
    const QByteArray block = LZRW1KH::compressBlock(QByteArray(20, 'x'));
    const QByteArray goodBody = chunk(block);
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"total cut", QByteArray("PMCS10\x01\x00", 8), "header is truncated"},
        {"negative total", "PMCS10" + le32(-5) + goodBody, "negative total"},
        {"total beyond the data", "PMCS10" + le32(qint32(goodBody.size() + 1)) + goodBody,
         "beyond the end of the data"},
        {"total too small for a length", "PMCS10" + le32(2) + goodBody, "does not fit"},
        {"chunk beyond the total", "PMCS10" + le32(8) + goodBody, "beyond the total"},
        {"chunk length zero", image(le32(0)), "impossible chunk length 0"},
        {"chunk length negative", image(le32(-1) + block), "impossible chunk length -1"},
        {"chunk longer than any block", image(chunk("\x80" + QByteArray(BlockSize + 1, 'a'))),
         "impossible chunk length"},
        {"corrupt block", image(chunk("\x41" + block.mid(1))), "unknown flag"},
        {"block with a bad copy", image(chunk(QByteArray::fromHex("40 8000 0010"))),
         "before the start"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            TCompressStream::decompress(c.bytes);
            ADD_FAILURE() << "no error";
        } catch (const ECompressError& e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(c.message))) << e.what();
        }
    }
}

// On a pipe the total cannot be checked against the size up front; the end of the data
// inside a chunk must still be noticed.
TEST(TCompressStreamTest, TruncatedImageOnAPipeIsRejected)
{
    const QByteArray img = TCompressStream::compress(SampleData::text(2 * BlockSize, 13));
    for (const qsizetype keep : {qsizetype(12), qsizetype(100), img.size() - 1}) {
        SCOPED_TRACE(keep);
        FailDevice in(img.first(keep));
        in.setSequential(true);
        in.open(QIODevice::ReadOnly);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        EXPECT_THROW(TCompressStream::decompress(in, out), ECompressError);
    }
}

// Flipped bits and cut images end in output or an error, never in a bad access; the sanitizer
// build checks the latter.
TEST(TCompressStreamTest, DamagedImagesNeverCrash)
{
    const QByteArray valid = TCompressStream::compress(SampleData::mixed(3 * BlockSize, 14));
    QRandomGenerator rng(99);
    int errors = 0;
    for (int round = 0; round < 1500; ++round) {
        QByteArray damaged = valid;
        if (round % 3 == 0) {
            damaged.truncate(round < 60 ? round / 3 : rng.bounded(int(valid.size())));
        } else {
            // Half the time aim at the header and chunk lengths, where damage does most.
            for (int flips = rng.bounded(1, 4); flips > 0; --flips) {
                const int at = round % 2 ? rng.bounded(14) : rng.bounded(int(damaged.size()));
                damaged[at] ^= char(1 << rng.bounded(8));
            }
        }
        try {
            TCompressStream::decompress(damaged);
        } catch (const ECompressError&) {
            ++errors;
        }
    }
    EXPECT_GT(errors, 500);
}

// Every failure of a device must reach the caller, whatever byte it happens at.
TEST(TCompressStreamTest, DeviceFailuresAreReported)
{
    const QByteArray file = SampleData::mixed(2 * BlockSize + 100, 15);
    const QByteArray img = TCompressStream::compress(file);
    for (const qint64 limit : {qint64(0), qint64(5), qint64(6), qint64(9), qint64(10), qint64(4000),
                               qint64(BlockSize + 3), img.size() - 1}) {
        SCOPED_TRACE(limit);
        {
            FailDevice out;
            out.setWriteLimit(limit);
            out.open(QIODevice::WriteOnly);
            QByteArray source = file;
            QBuffer in(&source);
            in.open(QIODevice::ReadOnly);
            EXPECT_THROW(TCompressStream::compress(in, out), EInOutError) << "writing the image";
        }
        {
            FailDevice in(img);
            in.setReadLimit(limit);
            in.open(QIODevice::ReadOnly);
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            EXPECT_THROW(TCompressStream::decompress(in, out), EInOutError) << "reading the image";
        }
        if (limit < file.size()) {
            FailDevice in(file);
            in.setReadLimit(limit);
            in.open(QIODevice::ReadOnly);
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            EXPECT_THROW(TCompressStream::compress(in, out), EInOutError) << "reading the file";

            FailDevice fileOut;
            fileOut.setWriteLimit(limit);
            fileOut.open(QIODevice::WriteOnly);
            QByteArray source = img;
            QBuffer imgIn(&source);
            imgIn.open(QIODevice::ReadOnly);
            EXPECT_THROW(TCompressStream::decompress(imgIn, fileOut), EInOutError)
                << "writing the file";
        }
    }
}

TEST(TCompressStreamTest, RefusesAnOutputThatCannotGoBack)
{
    for (const bool sequential : {true, false}) {
        SCOPED_TRACE(sequential ? "sequential" : "append");
        FailDevice out;
        out.setSequential(sequential);
        out.open(sequential ? QIODevice::WriteOnly : QIODevice::WriteOnly | QIODevice::Append);
        QByteArray source = "abc";
        QBuffer in(&source);
        in.open(QIODevice::ReadOnly);
        EXPECT_THROW(TCompressStream::compress(in, out), EInOutError);
        EXPECT_EQ(out.data(), QByteArray());
    }
}

} // namespace
