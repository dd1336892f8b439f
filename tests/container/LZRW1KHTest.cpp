#include "container/LZRW1KH.h"
#include "SampleData.h"
#include "platform/Errors.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text));
}

std::string show(const QByteArray& bytes)
{
    return bytes.toHex(' ').toStdString();
}

// The compressor's hash of three bytes, written out independently to build collisions.
quint32 hashOf(char b0, char b1, char b2)
{
    const quint32 key = (((quint32(quint8(b0)) << 4) ^ quint8(b1)) << 4) ^ quint8(b2);
    return ((key * 40543u) >> 4) & 0x0FFF;
}

struct Encoding
{
    const char* name;
    QByteArray input;
    QByteArray expected;
};

// Hand-worked encodings: each pins one rule of the format.
std::vector<Encoding> encodings()
{
    const QByteArray alphabet = "abcdefghijklmnop";
    return {
        // A run of 20: one run code (length - 16 = 4), the control word's top bit set.
        {"run of twenty", QByteArray(20, 'X'), hex("40 8000 00 0004 58")},
        {"run of sixteen", QByteArray(16, 'A'), hex("40 8000 00 0000 41")},
        // Fifteen equal bytes are no run: a literal, then a copy of distance 1, length 14.
        {"fifteen equal bytes", QByteArray(15, 'A'), hex("40 4000 41 001b")},
        // Runs stop at 4095; the rest (905) is a second run.
        {"run longer than 4095", QByteArray(5000, 'A'), hex("40 c000 00 0fef 41 00 0379 41")},
        // Three literals and a copy of distance 3 that ends at the block end (length 9).
        {"copy to block end", QByteArray("abcabcabcabc"), hex("40 1000 616263 0036")},
        // A copy stops at 18 bytes; the next copy uses the newer table entry (distance 18).
        {"longest copy", QByteArray("abc").repeated(8), hex("40 1800 616263 003f 0120")},
        // Sixteen literals fill a control word; the second group's word is shifted left.
        {"full group then copy", alphabet + alphabet, hex("40 0000") + alphabet + hex("8000 010d")},
        {"partial last group", alphabet + "Z" + alphabet,
         hex("40 0000") + alphabet + hex("4000 5a 011d")},
        // Runs leave the hash table alone, so "XYZ" is found 4095 bytes back ...
        {"distance 4095", "XYZ" + QByteArray(4092, 'a') + "XYZ",
         hex("40 1800 58595a 00 0fec 61 fff0")},
        // ... but not 4096 bytes back; the last two bytes are literals without a lookup.
        {"distance 4096", "XYZ" + QByteArray(4093, 'a') + "XYZ",
         hex("40 1000 58595a 00 0fed 61 58595a")},
    };
}

TEST(LZRW1KHTest, ExactEncodings)
{
    for (const Encoding& e : encodings()) {
        SCOPED_TRACE(e.name);
        const QByteArray coded = LZRW1KH::compressBlock(e.input);
        EXPECT_EQ(show(coded), show(e.expected));
        EXPECT_EQ(LZRW1KH::decompressBlock(coded), e.input);
    }
}

// A second triple with the same hash takes over the table entry, so a later repeat of the first
// triple finds the wrong position and stays literal.
TEST(LZRW1KHTest, HashEntryIsAlwaysReplaced)
{
    const QByteArray first = "abc";
    const quint32 target = hashOf('a', 'b', 'c');
    QByteArray second;
    for (int c0 = 'd'; c0 <= 'z' && second.isEmpty(); ++c0) {
        for (int c1 = 'a'; c1 <= 'z' && second.isEmpty(); ++c1) {
            for (int c2 = 'a'; c2 <= 'z' && second.isEmpty(); ++c2) {
                // The triples starting inside the colliding one must not hit the entry too.
                if (hashOf(char(c0), char(c1), char(c2)) == target &&
                    hashOf(char(c1), char(c2), 'a') != target &&
                    hashOf(char(c2), 'a', 'b') != target)
                    second = QByteArray() + char(c0) + char(c1) + char(c2);
            }
        }
    }
    ASSERT_FALSE(second.isEmpty());
    const QByteArray input = first + second + first + QByteArray(40, 'q');

    const QByteArray expected = hex("40 0040") + first + second + first + hex("00 0018 71");
    EXPECT_EQ(show(LZRW1KH::compressBlock(input)), show(expected));
}

TEST(LZRW1KHTest, IncompressibleBlocksAreStoredUnchanged)
{
    QByteArray ascending(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        ascending[i] = char(i);
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"one byte", QByteArray("x")},
        {"three bytes", QByteArray("xyz")},
        {"no repeats", ascending},
        {"random", SampleData::randomBytes(LZRW1KH::BlockSize, 7)},
    };
    for (const auto& [name, input] : cases) {
        SCOPED_TRACE(name);
        const QByteArray coded = LZRW1KH::compressBlock(input);
        EXPECT_EQ(coded, QByteArray(1, LZRW1KH::FlagStored) + input);
        EXPECT_EQ(LZRW1KH::decompressBlock(coded), input);
    }
}

TEST(LZRW1KHTest, RoundTripsAndNeverGrowsBeyondOneByte)
{
    using SampleData::mixed;
    using SampleData::randomBytes;
    using SampleData::runs;
    using SampleData::text;
    const qsizetype full = LZRW1KH::BlockSize;
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"two bytes", QByteArray("ab")},
        {"short text", text(40, 1)},
        {"full text", text(full, 2)},
        {"full runs", runs(full, 3)},
        {"full mixed", mixed(full, 4)},
        {"nearly random", randomBytes(full - 4, 5) + "aaaa"},
        {"one value", QByteArray(full, '\0')},
        {"two values", QByteArray("\x01\x02").repeated(full / 2)},
    };
    for (const auto& [name, input] : cases) {
        SCOPED_TRACE(name);
        const QByteArray coded = LZRW1KH::compressBlock(input);
        EXPECT_LE(coded.size(), input.size() + 1);
        EXPECT_EQ(LZRW1KH::decompressBlock(coded), input);
    }
}

TEST(LZRW1KHTest, RejectsBlocksLargerThanTheBuffer)
{
    EXPECT_THROW(LZRW1KH::compressBlock(QByteArray(LZRW1KH::BlockSize + 1, 'a')), ECompressError);
}

TEST(LZRW1KHTest, LargestOutputIsAccepted)
{
    // Seven runs of 4111 (the largest a run code can say) and one of 4006: exactly 32783 bytes.
    const QByteArray block = hex("40 ff00") + hex("00 0fff 61").repeated(7) + hex("00 0f96 62");
    const QByteArray plain = LZRW1KH::decompressBlock(block);
    EXPECT_EQ(plain, QByteArray(7 * 4111, 'a') + QByteArray(4006, 'b'));
}

TEST(LZRW1KHTest, MalformedBlocksAreRejected)
{
    const QByteArray fullOutput = hex("00 0fff 61").repeated(7) + hex("00 0f96 62");
    const struct
    {
        const char* name;
        QByteArray block;
        const char* message;
    } cases[] = {
        {"empty", QByteArray(), "empty"},
        {"unknown flag", hex("41 8000 00 0004 58"), "unknown flag byte 0x41"},
        {"flag only", hex("40"), "truncated control word"},
        {"half a control word", hex("40 80"), "truncated control word"},
        {"half a copy code", hex("40 8000 00"), "truncated copy code"},
        {"three quarters of a run code", hex("40 8000 00 0004"), "truncated run code"},
        {"second control word cut", hex("40 0000") + QByteArray(16, 'a') + "\x80",
         "truncated control word"},
        {"copy from before the start", hex("40 8000 0010"), "before the start"},
        {"copy one byte too far back", hex("40 4000 41 0020"), "before the start"},
        {"run past the block size", hex("40 ff80") + fullOutput + hex("00 0000 63"),
         "beyond the block size"},
        {"literal past the block size", hex("40 ff00") + fullOutput + "c", "beyond the block size"},
        {"copy past the block size", hex("40 ff80") + fullOutput + hex("0010"),
         "beyond the block size"},
        {"stored block too long", "\x80" + QByteArray(LZRW1KH::BlockSize + 1, 'a'),
         "longer than a block"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            LZRW1KH::decompressBlock(c.block);
            ADD_FAILURE() << "no error";
        } catch (const ECompressError& e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(c.message))) << e.what();
        }
    }
}

// Arbitrary bytes after the flag must end in output or an error, never in a bad access (the
// sanitizer build checks the latter).
TEST(LZRW1KHTest, ArbitraryBlocksNeverCrash)
{
    QRandomGenerator rng(1234);
    const QByteArray valid = LZRW1KH::compressBlock(SampleData::mixed(LZRW1KH::BlockSize, 9));
    ASSERT_EQ(valid.at(0), LZRW1KH::FlagCompressed);
    int errors = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray block;
        if (round % 2) {
            block = SampleData::randomBytes(rng.bounded(1, 600), rng.generate());
            block[0] = LZRW1KH::FlagCompressed;
        } else {
            block = valid.first(rng.bounded(1, int(valid.size()) + 1));
            for (int flips = rng.bounded(1, 4); flips > 0; --flips)
                block[rng.bounded(1, int(block.size()))] ^= char(1 << rng.bounded(8));
        }
        try {
            EXPECT_LE(LZRW1KH::decompressBlock(block).size(), LZRW1KH::BlockSize);
        } catch (const ECompressError&) {
            ++errors;
        }
    }
    EXPECT_GT(errors, 0);
}

} // namespace
