/* mpegdll: an MPEG audio decoder and player (MPEG-1, 2 and 2.5, Layers I-III) behind a plain C
 * interface. One loaded copy of the library is one player: it holds at most one open song and
 * decodes it on a play thread of its own, to the computer's sound output or to a PCM WAV file.
 * To have two players, load two copies of the library from two paths.
 *
 * A call that fails records its error code; LastError() returns the code of the last failure
 * since it was last read (0 when there was none) and clears it. Nothing is ever printed.
 * Times are milliseconds, integers 32-bit. All calls are made from one thread; the play thread
 * reports back only through the player mode, the position and the end flag, and a failure of
 * its own (the output refusing a write, the input failing to decode) shows as the error of the
 * caller's next call.
 */
#ifndef MPEGDLL_H
#define MPEGDLL_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(MPEGDLL_BUILD)
#define MPEGDLL_API __attribute__((visibility("default")))
#else
#define MPEGDLL_API
#endif

/* Error codes of LastError(). */
enum {
    MPEGDLL_OK = 0,
    MPEGDLL_ERR_DECODER = 1,      /* internal decoder error */
    MPEGDLL_ERR_MODE = 2,         /* the call does not fit the player's mode */
    MPEGDLL_ERR_INPUT = 3,        /* the input is missing, unreadable or not MPEG audio */
    MPEGDLL_ERR_NOT_SEEKABLE = 4, /* the input cannot seek */
    MPEGDLL_ERR_OUTPUT = 5        /* the output device or file cannot be opened or written */
};

/* Player modes of GetPlayerMode(). */
enum {
    MPEGDLL_MODE_CLOSED = 0,  /* no song */
    MPEGDLL_MODE_STOPPED = 1, /* a song is open */
    MPEGDLL_MODE_ENDED = 2,   /* played to the end (or to the end position) */
    MPEGDLL_MODE_PLAYING = 3,
    MPEGDLL_MODE_PAUSED = 4
};

/* Output devices of SetOutputDevice(). */
enum {
    MPEGDLL_DEVICE_SOUND = 0,  /* the computer's sound output */
    MPEGDLL_DEVICE_PCMFILE = 2 /* a PCM WAV file */
};

/* Stream mode: the song is read through these callbacks instead of from a file.
 * open: prepares the stream, nonzero on success (may be null). close: releases it (may be
 * null). restart: goes back to the beginning, nonzero on success (used when there is no seek).
 * read: fills up to size bytes, returns the count, 0 at the end, -1 on failure (required).
 * seek: moves to an absolute byte offset, returns it, or -1 when the stream cannot seek; null
 * for a stream that cannot seek at all. getsize: the total size in bytes, or -1 when unknown.
 * The callbacks are called during Open() and Close() on the caller's thread and while playing
 * on the play thread, never at the same time; the context must stay valid until the song is
 * closed (Close(), the next Open() or deinit()). A read must return: Stop() and Close() wait
 * for one in progress. Without a size or a seek callback the length is libmpg123's estimate unless
 * a Xing/Info header gives it. */
typedef int (*MpegStreamOpen)(void* context);
typedef void (*MpegStreamClose)(void* context);
typedef int (*MpegStreamRestart)(void* context);
typedef long long (*MpegStreamRead)(void* context, void* buffer, long long size);
typedef long long (*MpegStreamSeek)(void* context, long long offset);
typedef long long (*MpegStreamGetSize)(void* context);

/* Prepares the player. Returns nonzero on success; zero with error 2 when this copy of the
 * library is already initialised. */
MPEGDLL_API int init(void);
/* Closes any song and releases the player; init() may be called again afterwards. */
MPEGDLL_API void deinit(void);

/* Opens a song (closing one that is open): a file name (UTF-8) with streamMode 0 and no
 * callbacks, or streamMode 1 with the callbacks and their context. The song's length,
 * bitrate and frequency are known afterwards. Error 3 (and mode 0) when it is not readable
 * MPEG audio: the name is not that of a readable regular file; the file is empty; no chain of
 * MPEG audio frames starts within the first 64 KiB after any ID3v2 tag; no whole audio frame
 * is there; or its bytes are far more than frames of that kind can hold (noise that happens to
 * contain frame headers). LastErrorDetail() says which. A file cut short opens with the frames
 * that are whole, whatever its Xing/Info or VBRI header promises; it plays to the last of them.
 * A stream that cannot seek is refused when its header promises more than it holds.
 * Error 2 before init(). */
MPEGDLL_API void Open(const char* fileName, int streamMode, MpegStreamOpen openStream,
                      MpegStreamClose closeStream, MpegStreamRestart restartStream,
                      MpegStreamRead readStream, MpegStreamSeek seekStream,
                      MpegStreamGetSize getStreamSize, void* context);
/* 0 pauses, 1 resumes; the mode changes before it returns. Error 2 unless playing (to pause)
 * or paused (to resume). */
MPEGDLL_API void Pause(unsigned char resume);
/* Plays the open song again, with the start and end positions and the end flag of the last
 * Play() (from the start to the end when there was none). Error 2 without a song. */
MPEGDLL_API void Restart(void);
/* Stops playing; the song stays open (mode 1) at the position reached. Error 2 without a
 * song; on a song that is not playing it does nothing. */
MPEGDLL_API void Stop(void);
/* Priority of the play thread: -15 idle, -2, -1, 0 normal, 1, 2, 15 time-critical (any other
 * number is normal). Applied at once when playing and to every later play thread; a priority
 * above normal needs privileges and is otherwise silently not granted. */
MPEGDLL_API void SetPriority(int priority);
/* Where the next Play() goes: device 0 or 2; fileName (UTF-8) is the WAV file for device 2,
 * created or overwritten by Play() ("-" is a file of that name, not the standard output).
 * Error 5 for any other device. */
MPEGDLL_API void SetOutputDevice(int device, const char* fileName);
/* Starts playing from startMs up to endMs (0: to the end), both clamped to the song, stopping
 * any playing first. The output is opened before it returns: a sound output or WAV file that
 * cannot be opened fails at once with error 5 and mode 1. endFlag, when not null, is cleared
 * and, when playing reaches the end, set to 1 by the play thread once the output has been
 * closed (a WAV file is then complete), just before the mode becomes 2. Returns 0 on success, the
 * error code otherwise (2 without a song). */
MPEGDLL_API int Play(int startMs, int endMs, unsigned char* endFlag);
/* Stops playing and closes the song (mode 0). */
MPEGDLL_API void Close(void);

MPEGDLL_API int GetFrequency(void); /* Hz */
/* Average bitrate in kbit/s, rounded: the bytes of the audio frames (without tags, a Xing/Info
 * frame, and anything between or after the frames) over the duration of all frames. */
MPEGDLL_API int GetBitrate(void);
MPEGDLL_API int GetLayer(void);      /* 1, 2 or 3 */
MPEGDLL_API int GetPlayerMode(void); /* MPEGDLL_MODE_... */
MPEGDLL_API int GetCurrentPos(void); /* ms, of what has been decoded */
/* Samples of the whole stream (gapless, as libmpg123 counts them after a full scan) in ms,
 * rounded to the nearest. */
MPEGDLL_API int GetLength(void);
/* Turns mode 2 (ended) back into 1 (stopped) and clears the end flag. Error 2 without a song. */
MPEGDLL_API void ResetPlayerMode(void);
/* Moves to positionMs, clamped to the song, whether stopped, playing or paused. Error 2
 * without a song, 4 when the input cannot seek. */
MPEGDLL_API void Seek(int positionMs);
/* The code of the last failure, 0 for none; reading it clears it. */
MPEGDLL_API int LastError(void);
/* What the last failure found, in English words ("the file is empty", "no MPEG audio frame
 * found"); "" when it has no more to say than its code. Reading the code does not clear it; the
 * text stays valid until the next call. */
MPEGDLL_API const char* LastErrorDetail(void);
/* Nonzero when the open song can seek. */
MPEGDLL_API int Seekable(void);
/* Scales the output volume (1.0 leaves it unchanged), for this and later songs. Error 1 for a
 * negative or non-finite factor. */
MPEGDLL_API void UseScaleFactor(double factor);

#ifdef __cplusplus
}
#endif

#endif
