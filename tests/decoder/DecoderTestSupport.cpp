#include "DecoderTestSupport.h"

#include "testsupport/TempHome.h"

#include <QDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

std::string mpegFixture(const std::string& name)
{
    return testDataPath(QStringLiteral("mpeg/") + QString::fromStdString(name)).toStdString();
}

std::vector<char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

long long samplesToMs(long long samples, int rate)
{
    return (samples * 1000 + rate / 2) / rate;
}

namespace {

unsigned le32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned>(p[3]) << 24);
}

unsigned le16(const unsigned char* p)
{
    return p[0] | (p[1] << 8);
}

} // namespace

WavInfo readWav(const std::string& path)
{
    WavInfo info;
    const std::vector<char> bytes = readBytes(path);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return info;
    size_t at = 12;
    bool haveFormat = false;
    while (at + 8 <= bytes.size()) {
        const unsigned size = le32(p + at + 4);
        if (std::memcmp(p + at, "fmt ", 4) == 0 && at + 8 + 16 <= bytes.size()) {
            info.channels = static_cast<int>(le16(p + at + 10));
            info.rate = static_cast<int>(le32(p + at + 12));
            info.bits = static_cast<int>(le16(p + at + 22));
            haveFormat = le16(p + at + 8) == 1; // PCM
        } else if (std::memcmp(p + at, "data", 4) == 0) {
            info.dataBytes = size;
            // The header must tell the truth about the data that follows it.
            info.valid = haveFormat && at + 8 + size == bytes.size();
            return info;
        }
        at += 8 + size + (size & 1);
    }
    return info;
}

void DecoderTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_NE(init(), 0);
    ASSERT_EQ(LastError(), MPEGDLL_OK);
}

void DecoderTest::TearDown()
{
    deinit();
    LastError();
}

std::string DecoderTest::tempPath(const std::string& name) const
{
    return QDir(m_dir.path()).filePath(QString::fromStdString(name)).toStdString();
}

void DecoderTest::openFile(const std::string& path)
{
    Open(path.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(LastError(), MPEGDLL_OK) << path;
    ASSERT_EQ(GetPlayerMode(), MPEGDLL_MODE_STOPPED);
}

WavInfo DecoderTest::decodeToWav(int startMs, int endMs)
{
    const std::string wav = tempPath("out.wav");
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, wav.c_str());
    unsigned char ended = 0;
    EXPECT_EQ(Play(startMs, endMs, &ended), 0);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_TRUE(waitForEnd());
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_ENDED);
    EXPECT_EQ(endFlag(ended), 1);
    return readWav(wav);
}

int endFlag(unsigned char& flag)
{
    return std::atomic_ref<unsigned char>(flag).load();
}

bool waitForEnd()
{
    using namespace std::chrono;
    const auto cap = steady_clock::now() + seconds(60);
    for (;;) {
        const int mode = GetPlayerMode();
        if (mode != MPEGDLL_MODE_PLAYING && mode != MPEGDLL_MODE_PAUSED)
            return true;
        if (steady_clock::now() > cap)
            return false;
        std::this_thread::sleep_for(milliseconds(2));
    }
}

MemoryStream::MemoryStream(std::vector<char> data, bool seekable)
    : m_data(std::move(data))
    , m_seekable(seekable)
{}

void MemoryStream::open()
{
    Open(nullptr, 1, &MemoryStream::onOpen, &MemoryStream::onClose, &MemoryStream::onRestart,
         &MemoryStream::onRead, m_seekable ? &MemoryStream::onSeek : nullptr,
         &MemoryStream::onGetSize, this);
}

int MemoryStream::onOpen(void* context)
{
    auto* self = static_cast<MemoryStream*>(context);
    ++self->m_opened;
    self->m_position = 0;
    return 1;
}

void MemoryStream::onClose(void* context)
{
    ++static_cast<MemoryStream*>(context)->m_closed;
}

int MemoryStream::onRestart(void* context)
{
    static_cast<MemoryStream*>(context)->m_position = 0;
    return 1;
}

long long MemoryStream::onRead(void* context, void* buffer, long long size)
{
    auto* self = static_cast<MemoryStream*>(context);
    const long long left = static_cast<long long>(self->m_data.size()) - self->m_position;
    const long long n = std::max(0LL, std::min({size, left, 4096LL}));
    std::memcpy(buffer, self->m_data.data() + self->m_position, static_cast<size_t>(n));
    self->m_position += n;
    return n;
}

long long MemoryStream::onSeek(void* context, long long offset)
{
    auto* self = static_cast<MemoryStream*>(context);
    if (offset < 0 || offset > static_cast<long long>(self->m_data.size()))
        return -1;
    self->m_position = offset;
    return offset;
}

long long MemoryStream::onGetSize(void* context)
{
    return static_cast<long long>(static_cast<MemoryStream*>(context)->m_data.size());
}

HeldOutput::HeldOutput(const std::string& path)
    : m_path(path)
{
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_GE(m_fd, 0);
}

HeldOutput::~HeldOutput()
{
    m_finishing = true;
    if (m_reader.joinable())
        m_reader.join();
    if (m_fd >= 0)
        ::close(m_fd);
}

void HeldOutput::drain(int delayMs)
{
    m_reader = std::thread([this, delayMs] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        std::vector<char> buffer(1 << 16);
        bool writerSeen = false;
        // A cap for a writer that never comes, so that a broken test fails instead of hanging.
        const auto cap = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (writerSeen || m_finishing || std::chrono::steady_clock::now() < cap) {
            pollfd p = {m_fd, POLLIN, 0};
            ::poll(&p, 1, 100);
            const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
            if (n > 0) {
                m_bytes += n;
                writerSeen = true;
            } else if (n == 0 && (writerSeen || m_finishing)) {
                break; // the writer has closed its end, or never wrote before closing
            } else if (n == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1)); // no writer yet
            }
        }
    });
}

long long HeldOutput::drained()
{
    m_finishing = true;
    if (m_reader.joinable())
        m_reader.join();
    return m_bytes;
}
