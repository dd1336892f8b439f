#pragma once

#include "ByteSource.h"
#include "mpegdll.h"

#include <memory>

namespace mpegdll {

// The caller's stream callbacks as a byte source. The stream is opened on construction and
// closed on destruction. Without a seek callback the stream can only go back to its beginning,
// through the restart callback.
class CallbackByteSource : public ByteSource
{
public:
    struct Callbacks
    {
        MpegStreamOpen open = nullptr;
        MpegStreamClose close = nullptr;
        MpegStreamRestart restart = nullptr;
        MpegStreamRead read = nullptr;
        MpegStreamSeek seek = nullptr;
        MpegStreamGetSize getSize = nullptr;
        void* context = nullptr;
    };

    // Null when there is no read callback or the open callback refuses.
    static std::unique_ptr<CallbackByteSource> open(const Callbacks& callbacks);
    ~CallbackByteSource() override;
    CallbackByteSource(const CallbackByteSource&) = delete;
    CallbackByteSource& operator=(const CallbackByteSource&) = delete;

    long long read(void* buffer, long long size) override;
    bool seek(long long offset) override;
    long long size() const override { return m_size; }
    bool seekable() const override { return m_callbacks.seek != nullptr; }

private:
    explicit CallbackByteSource(const Callbacks& callbacks);

    Callbacks m_callbacks;
    long long m_size = -1;
    long long m_position = 0;
};

} // namespace mpegdll
