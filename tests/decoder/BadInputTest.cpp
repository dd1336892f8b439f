// Inputs that are not playable MPEG audio: each is refused with "Input stream error" (3), leaves
// the player closed, prints nothing and never blocks.
#include "DecoderTestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct BadInput
{
    const char* name;
    // Makes the input in the test's folder and returns its path.
    std::string (*make)(const std::string& folder);
    // What LastErrorDetail() says of it.
    const char* detail;
};

void PrintTo(const BadInput& c, std::ostream* os)
{
    *os << c.name;
}

std::string fixture(const char* name)
{
    return mpegFixture(name);
}

std::string prefixOf(const std::string& folder, const char* source, size_t bytes)
{
    std::vector<char> data = readBytes(mpegFixture(source));
    data.resize(bytes);
    const std::string path = folder + "/prefix.mp3";
    writeBytes(path, data);
    return path;
}

// Random bytes with two frame headers planted one frame apart: enough for a decoder that checks
// only the next header, not for a chain of frames.
std::string randomWithFakeFrames(const std::string& folder)
{
    std::vector<char> data = readBytes(mpegFixture("random.mp3"));
    const char header[] = {'\xFF', '\xFB', '\x90', '\x64'}; // 417 bytes at 128 kbit/s, 44.1 kHz
    for (size_t at : {size_t(0), size_t(417)})
        std::copy(std::begin(header), std::end(header), data.begin() + static_cast<long>(at));
    const std::string path = folder + "/fake.mp3";
    writeBytes(path, data);
    return path;
}

// A Xing frame and nothing after it: a header without audio.
std::string headerFrameOnly(const std::string& folder)
{
    return prefixOf(folder, "vbr_xing.mp3", 417);
}

const char* const CannotOpen = "the file cannot be opened as a file";
const char* const NoFrame = "no MPEG audio frame found";

const BadInput Inputs[] = {
    {"Empty", [](const std::string&) { return fixture("empty.mp3"); }, "the file is empty"},
    {"RandomBytes", [](const std::string&) { return fixture("random.mp3"); }, NoFrame},
    {"RandomWithFakeFrames", randomWithFakeFrames, NoFrame},
    {"WmaNamedMp3", [](const std::string&) { return fixture("wma.mp3"); }, NoFrame},
    // Less than the first frame (the 417-byte Info frame): no whole frame at all.
    {"PartOfTheFirstFrame", [](const std::string& f) { return prefixOf(f, "cbr128.mp3", 300); },
     NoFrame},
    {"HeaderFrameOnly", headerFrameOnly, "no whole MPEG audio frame"},
    // The ID3v2 tag of a file and nothing after it.
    {"Id3v2TagOnly", [](const std::string& f) { return prefixOf(f, "vbr_xing_id3.mp3", 636); },
     NoFrame},
    {"MissingFile", [](const std::string& f) { return f + "/missing.mp3"; }, CannotOpen},
    {"Folder", [](const std::string& f) { return f; }, CannotOpen},
    // Opening a FIFO without a writer would block a plain open().
    {"Fifo",
     [](const std::string& f) {
         const std::string path = f + "/fifo.mp3";
         EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
         return path;
     },
     CannotOpen},
    {"EmptyName", [](const std::string&) { return std::string(); }, CannotOpen},
};

class BadInputs : public DecoderTest, public ::testing::WithParamInterface<BadInput>
{};

TEST_P(BadInputs, AreRefusedAsInputStreamError)
{
    const std::string path = GetParam().make(m_dir.path().toStdString());
    ::testing::internal::CaptureStderr();
    Open(path.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    const std::string detail = LastErrorDetail();
    const int error = LastError();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(error, MPEGDLL_ERR_INPUT);
    EXPECT_EQ(detail, GetParam().detail);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_CLOSED);
    EXPECT_EQ(GetLength(), 0);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
}

INSTANTIATE_TEST_SUITE_P(Files, BadInputs, ::testing::ValuesIn(Inputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DecoderTest, NullFileNameIsAnInputStreamError)
{
    Open(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_INPUT);
}

// Root reads any file, so the permission case only means something for other users.
TEST_F(DecoderTest, UnreadableFileIsAnInputStreamError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root can read a file without read permission";
    const std::string path = tempPath("locked.mp3");
    writeBytes(path, readBytes(mpegFixture("cbr128.mp3")));
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    Open(path.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_INPUT);
}

// A refused input closes the song that was open before, and the next good one opens normally.
TEST_F(DecoderTest, RefusedInputLeavesThePlayerUsable)
{
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("cbr128.mp3")));
    Open(mpegFixture("random.mp3").c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
         nullptr);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_INPUT);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_CLOSED);
    ASSERT_NO_FATAL_FAILURE(openFile(mpegFixture("vbr_xing.mp3")));
    EXPECT_EQ(GetLength(), 3000);
}

} // namespace
