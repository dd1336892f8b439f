// Placeholder until the decoder lands: every call fails with an internal decoder error.
#include "mpegdll.h"

namespace {
int lastError = 0;
}

extern "C" {
MPEGDLL_API int init(void) { lastError = MPEGDLL_ERR_DECODER; return 0; }
MPEGDLL_API void deinit(void) {}
MPEGDLL_API void Open(const char*, int, MpegStreamOpen, MpegStreamClose, MpegStreamRestart,
                      MpegStreamRead, MpegStreamSeek, MpegStreamGetSize, void*)
{
    lastError = MPEGDLL_ERR_DECODER;
}
MPEGDLL_API void Pause(unsigned char) { lastError = MPEGDLL_ERR_DECODER; }
MPEGDLL_API void Restart(void) { lastError = MPEGDLL_ERR_DECODER; }
MPEGDLL_API void Stop(void) { lastError = MPEGDLL_ERR_DECODER; }
MPEGDLL_API void SetPriority(int) {}
MPEGDLL_API void SetOutputDevice(int, const char*) {}
MPEGDLL_API int Play(int, int, unsigned char*) { lastError = MPEGDLL_ERR_DECODER; return 1; }
MPEGDLL_API void Close(void) {}
MPEGDLL_API int GetFrequency(void) { return 0; }
MPEGDLL_API int GetBitrate(void) { return 0; }
MPEGDLL_API int GetLayer(void) { return 0; }
MPEGDLL_API int GetPlayerMode(void) { return MPEGDLL_MODE_CLOSED; }
MPEGDLL_API int GetCurrentPos(void) { return 0; }
MPEGDLL_API int GetLength(void) { return 0; }
MPEGDLL_API void ResetPlayerMode(void) {}
MPEGDLL_API void Seek(int) {}
MPEGDLL_API int LastError(void) { const int e = lastError; lastError = 0; return e; }
MPEGDLL_API int Seekable(void) { return 0; }
MPEGDLL_API void UseScaleFactor(double) {}
}
