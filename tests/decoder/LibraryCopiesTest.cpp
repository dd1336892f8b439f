// Two copies of the library at two paths are two players with nothing in common, also beside
// the copy this test program is linked with.
#include "DecoderTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace {

// One copy of the library, loaded from its own path.
class LoadedCopy
{
public:
    explicit LoadedCopy(const std::string& path)
        : m_handle(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
    {}
    ~LoadedCopy()
    {
        if (m_handle != nullptr)
            ::dlclose(m_handle);
    }
    LoadedCopy(const LoadedCopy&) = delete;
    LoadedCopy& operator=(const LoadedCopy&) = delete;

    bool loaded() const { return m_handle != nullptr; }
    template <typename F> F* get(const char* name) const
    {
        return reinterpret_cast<F*>(::dlsym(m_handle, name));
    }

private:
    void* m_handle;
};

TEST_F(DecoderTest, TwoCopiesAtTwoPathsAreTwoPlayers)
{
    const QString built = QStringLiteral(T3_BINARY_DIR "/lib/mpegdll.so");
    const std::string first = tempPath("one/mpegdll.so");
    const std::string second = tempPath("two/mpegdll.so");
    for (const std::string& copy : {first, second}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(QString::fromStdString(copy)).path()));
        ASSERT_TRUE(QFile::copy(built, QString::fromStdString(copy)));
    }
    LoadedCopy a(first);
    LoadedCopy b(second);
    ASSERT_TRUE(a.loaded() && b.loaded()) << ::dlerror();

    using InitFn = int();
    using ErrorFn = int();
    using ModeFn = int();
    using LengthFn = int();
    using OpenFn = void(const char*, int, MpegStreamOpen, MpegStreamClose, MpegStreamRestart,
                        MpegStreamRead, MpegStreamSeek, MpegStreamGetSize, void*);
    EXPECT_EQ(a.get<InitFn>("init")(), 1);
    EXPECT_EQ(b.get<InitFn>("init")(), 1);
    EXPECT_EQ(a.get<InitFn>("init")(), 0);
    EXPECT_EQ(a.get<ErrorFn>("LastError")(), MPEGDLL_ERR_MODE);
    EXPECT_EQ(b.get<ErrorFn>("LastError")(), MPEGDLL_OK);

    a.get<OpenFn>("Open")(mpegFixture("vbr_xing.mp3").c_str(), 0, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(a.get<ErrorFn>("LastError")(), MPEGDLL_OK);
    EXPECT_EQ(a.get<LengthFn>("GetLength")(), 3000);
    EXPECT_EQ(a.get<ModeFn>("GetPlayerMode")(), MPEGDLL_MODE_STOPPED);
    EXPECT_EQ(b.get<ModeFn>("GetPlayerMode")(), MPEGDLL_MODE_CLOSED);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_CLOSED); // the linked copy

    using DeinitFn = void();
    a.get<DeinitFn>("deinit")();
    b.get<DeinitFn>("deinit")();
}

} // namespace
