// The exported C entry points: each hands over to the one player of this copy of the library.
#include "mpegdll.h"

#include "Player.h"

namespace {

// Function-local so that it exists before the first call, whatever the load order.
mpegdll::Player& player()
{
    static mpegdll::Player instance;
    return instance;
}

} // namespace

extern "C" {

MPEGDLL_API int init(void)
{
    return player().init() ? 1 : 0;
}

MPEGDLL_API void deinit(void)
{
    player().deinit();
}

MPEGDLL_API void Open(const char* fileName, int streamMode, MpegStreamOpen openStream,
                      MpegStreamClose closeStream, MpegStreamRestart restartStream,
                      MpegStreamRead readStream, MpegStreamSeek seekStream,
                      MpegStreamGetSize getStreamSize, void* context)
{
    const mpegdll::CallbackByteSource::Callbacks stream{
        openStream, closeStream, restartStream, readStream, seekStream, getStreamSize, context};
    player().open(fileName, streamMode, stream);
}

MPEGDLL_API void Pause(unsigned char resume)
{
    player().pause(resume != 0);
}

MPEGDLL_API void Restart(void)
{
    player().restart();
}

MPEGDLL_API void Stop(void)
{
    player().stop();
}

MPEGDLL_API void SetPriority(int priority)
{
    player().setPriority(priority);
}

MPEGDLL_API void SetOutputDevice(int device, const char* fileName)
{
    player().setOutputDevice(device, fileName);
}

MPEGDLL_API int Play(int startMs, int endMs, unsigned char* endFlag)
{
    return player().play(startMs, endMs, endFlag);
}

MPEGDLL_API void Close(void)
{
    player().close();
}

MPEGDLL_API int GetFrequency(void)
{
    return player().frequency();
}

MPEGDLL_API int GetBitrate(void)
{
    return player().bitrate();
}

MPEGDLL_API int GetLayer(void)
{
    return player().layer();
}

MPEGDLL_API int GetPlayerMode(void)
{
    return player().mode();
}

MPEGDLL_API int GetCurrentPos(void)
{
    return player().currentPosition();
}

MPEGDLL_API int GetLength(void)
{
    return player().length();
}

MPEGDLL_API void ResetPlayerMode(void)
{
    player().resetMode();
}

MPEGDLL_API void Seek(int positionMs)
{
    player().seek(positionMs);
}

MPEGDLL_API int LastError(void)
{
    return player().takeLastError();
}

MPEGDLL_API const char* LastErrorDetail(void)
{
    return player().lastErrorDetail();
}

MPEGDLL_API int Seekable(void)
{
    return player().seekable();
}

MPEGDLL_API void UseScaleFactor(double factor)
{
    player().setScaleFactor(factor);
}

} // extern "C"
