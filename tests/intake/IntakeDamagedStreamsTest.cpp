// Songs as they come from other people's disks: cut downloads, padding, junk between frames,
// tags of other programs behind the audio, Xing headers of other encoders. Each goes in with its
// tag and with the length, bitrate and frequency of the frames it really holds. The lengths are
// those the decoder tests check to the sample; here they are as the song table keeps them.
#include "IntakeRunFixture.h"

#include "testsupport/DamagedStreams.h"

namespace {

using namespace DamagedStreams;

Bytes mpegFixture(const char* name)
{
    const QByteArray bytes =
        readFileBytes(testDataPath(QStringLiteral("mpeg/") + QLatin1String(name)));
    return Bytes(bytes.begin(), bytes.end());
}

// The tag every case carries behind its audio: what it says must reach the song table.
const QByteArray tag = makeTagBlock("Cut Song", "Wild Files", "Downloads", "2003", "", 17);

QByteArray withTag(const Bytes& audio)
{
    return QByteArray(audio.data(), qsizetype(audio.size())) + tag;
}

struct DamagedCase
{
    const char* name;
    std::function<QByteArray()> bytes;
    const char* trackLength;
    const char* bitrate;
};

void PrintTo(const DamagedCase& c, std::ostream* os)
{
    *os << c.name;
}

const DamagedCase Cases[] = {
    // 2,979 ms: the 115 whole audio frames less the encoder delay.
    {"VbrXingCutInTheLastFrame",
     [] { return withTag(cutInLastFrame(mpegFixture("vbr_xing.mp3"), 60)); }, "0:00:02", "56"},
    {"VbrXingCutWhereTheLastFrameBegins",
     [] { return withTag(cutInLastFrame(mpegFixture("vbr_xing.mp3"), 0)); }, "0:00:02", "56"},
    {"CbrInfoCutInTheLastFrame",
     [] { return withTag(cutInLastFrame(mpegFixture("cbr128.mp3"), 100)); }, "0:00:02", "128"},
    // 1,228 ms of 3,000: a third of the file.
    {"VbrXingCutToAThird", [] { return withTag(mpegFixture("truncated.mp3")); }, "0:00:00", "44"},
    {"CbrZerosAppended", [] { return withTag(withZerosAfter(mpegFixture("cbr128.mp3"), 20000)); },
     "0:00:02", "128"},
    {"CbrGarbageBetweenFrames",
     [] { return withTag(withGarbageBetweenFrames(mpegFixture("cbr128.mp3"), 3000)); }, "0:00:02",
     "128"},
    {"ApeAndLyrics3Tags",
     [] {
         const Bytes audio = withApeAndLyrics3Tags(mpegFixture("vbr_xing.mp3"), std::string());
         return withTag(audio);
     },
     "0:00:02", "56"},
    // 3,030 ms decode; the header's count would say 3,056.
    {"XingCountingItsOwnFrame",
     [] { return withTag(withForeignXingCount(mpegFixture("vbr_xing.mp3"), 1)); }, "0:00:02", "56"},
};

class IntakeDamagedStreamsTest : public IntakeRunFixture,
                                 public ::testing::WithParamInterface<DamagedCase>
{};

TEST_P(IntakeDamagedStreamsTest, GoInWithTheirTagAndTheFramesTheyHold)
{
    const DamagedCase& c = GetParam();
    const QString path = file(QStringLiteral("song.mp3"), c.bytes());

    const IntakeResult result = add({path});

    EXPECT_EQ(result.rows, QList<ReportRow>());
    EXPECT_EQ(result.figures, (IntakeFigures{1, 0, 0, 1, 0, 0}));
    const QList<QStringList> stored = rows();
    ASSERT_EQ(stored.size(), 1);
    const QStringList& row = stored.first();
    EXPECT_EQ(row.at(int(SongColumn::Artist) - 1), "Wild Files");
    EXPECT_EQ(row.at(int(SongColumn::Title) - 1), "Cut Song");
    EXPECT_EQ(row.at(int(SongColumn::Album) - 1), "Downloads");
    EXPECT_EQ(row.at(int(SongColumn::SYear) - 1), "2003");
    EXPECT_EQ(row.at(int(SongColumn::Genre) - 1), "Rock");
    EXPECT_EQ(row.at(int(SongColumn::Track_Length) - 1), c.trackLength);
    EXPECT_EQ(row.at(int(SongColumn::Bitrate) - 1), c.bitrate);
    EXPECT_EQ(row.at(int(SongColumn::Frequency) - 1), "44100");
}

INSTANTIATE_TEST_SUITE_P(Files, IntakeDamagedStreamsTest, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
