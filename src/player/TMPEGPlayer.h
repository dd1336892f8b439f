#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QLibrary;

// Plays one MPEG audio file at a time and reports its stream properties through the decoder
// library "mpegdll.so", loaded at run time from PathToDLL. Every library error is raised as a
// TMPEGError. One loaded copy of the library serves one player: two players need two copies
// at two paths; a second player loading the same copy fails with "Incorrect mode" and leaves
// the copy to the first (components share one QLibrary per path and count their holds).
//
// All calls come from the thread that owns the component. The library plays on a thread of
// its own and reports back through its mode, its position and the end flag byte, which the
// position timer polls.
//
// Destroying the component stops the timer and closes an open song, so that the library's
// play thread neither runs on nor writes into the destroyed component's end flag; it does not
// deinitialise or unload the library, which stays loaded for the rest of the process: owners
// unload explicitly with unloadLibrary().
class TMPEGPlayer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Seekable READ seekable WRITE setSeekable)
    Q_PROPERTY(bool FromStream READ fromStream WRITE setFromStream)
    Q_PROPERTY(TPlayPriority PlayerPriority READ playerPriority WRITE setPlayerPriority)
    Q_PROPERTY(bool UseTimer READ useTimer WRITE setUseTimer)
    Q_PROPERTY(int TimerFreq READ timerFreq WRITE setTimerFreq)
    Q_PROPERTY(bool AutoPlay READ autoPlay WRITE setAutoPlay)
    Q_PROPERTY(QString StreamName READ streamName WRITE setStreamName)
    Q_PROPERTY(TOutputDevice OutputDevice READ outputDevice WRITE setOutputDevice)
    Q_PROPERTY(QString OutFilename READ outFilename WRITE setOutFilename)
    Q_PROPERTY(QString PathToDLL READ pathToDLL WRITE setPathToDLL)
    Q_PROPERTY(int StartPos READ startPos WRITE setStartPos)
    Q_PROPERTY(int EndPos READ endPos WRITE setEndPos)
    Q_PROPERTY(int PlayedXTimes READ playedXTimes)

public:
    // Priority of the library's play thread; the library receives the numbers of
    // priorityNumber(): -15, -2, -1, 0, 1, 2, 15.
    enum TPlayPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
    Q_ENUM(TPlayPriority)

    // The library's device codes: the computer's sound output, or a PCM WAV file.
    enum TOutputDevice { wavemapper = 0, pcmfile = 2 };
    Q_ENUM(TOutputDevice)

    // Player modes reported by mode().
    enum Mode { ModeClosed = 0, ModeStopped = 1, ModeEnded = 2, ModePlaying = 3, ModePaused = 4 };

    // The library's file name on this platform.
    static constexpr const char* LibraryFileName = "mpegdll.so";

    // Stream mode (FromStream): the song is read through these events instead of from
    // StreamName. They may be called on the library's play thread and must not throw; an
    // exception counts as a failure. A missing event means: open succeeds, close does
    // nothing, restart seeks to 0, read fails, seek fails (the stream cannot seek), size is
    // unknown.
    using OpenStreamEvent = std::function<bool()>;
    using CloseStreamEvent = std::function<void()>;
    using RestartStreamEvent = std::function<bool()>;
    using GetStreamSizeEvent = std::function<qint64()>;           // -1: unknown
    using SeekStreamEvent = std::function<qint64(qint64 offset)>; // new offset, -1: failure
    // Bytes read, 0 at the end, -1 on failure.
    using ReadStreamEvent = std::function<qint64(char* buffer, qint64 size)>;

    explicit TMPEGPlayer(QObject* parent = nullptr);
    ~TMPEGPlayer() override;
    TMPEGPlayer(const TMPEGPlayer&) = delete;
    TMPEGPlayer& operator=(const TMPEGPlayer&) = delete;

    bool seekable() const { return m_seekable; }
    void setSeekable(bool seekable) { m_seekable = seekable; }

    bool fromStream() const { return m_fromStream; }
    void setFromStream(bool fromStream) { m_fromStream = fromStream; }

    // Reads the stored number back through the table; any other number reads as Normal.
    TPlayPriority playerPriority() const;
    void setPlayerPriority(TPlayPriority priority);
    // The number handed to the library. setThreadPriority stores any number as it is.
    int threadPriority() const { return m_priority; }
    void setThreadPriority(int number) { m_priority = number; }
    static int priorityNumber(TPlayPriority priority);

    bool useTimer() const { return m_useTimer; }
    void setUseTimer(bool useTimer);

    // Milliseconds; 0 also clears UseTimer.
    int timerFreq() const { return m_timerFreq; }
    void setTimerFreq(int milliseconds);

    bool autoPlay() const { return m_autoPlay; }
    void setAutoPlay(bool autoPlay) { m_autoPlay = autoPlay; }

    QString streamName() const { return m_streamName; }
    // Closes an open song (which may raise the library's error) after storing the name.
    void setStreamName(const QString& name);

    TOutputDevice outputDevice() const { return m_outputDevice; }
    // pcmfile while OutFilename is empty stores wavemapper.
    void setOutputDevice(TOutputDevice device);

    QString outFilename() const { return m_outFilename; }
    void setOutFilename(const QString& fileName) { m_outFilename = fileName; }

    // Folder of the library; empty means the system's library search.
    QString pathToDLL() const { return m_pathToDLL; }
    void setPathToDLL(const QString& path) { m_pathToDLL = path; }

    int startPos() const { return m_startPos; }
    void setStartPos(int milliseconds) { m_startPos = milliseconds; }
    int endPos() const { return m_endPos; }
    void setEndPos(int milliseconds) { m_endPos = milliseconds; }

    // 1 after opening, raised by every start of playing, 0 after closing.
    int playedXTimes() const { return m_playedXTimes; }

    void setOnOpenStream(OpenStreamEvent handler) { m_onOpenStream = std::move(handler); }
    void setOnCloseStream(CloseStreamEvent handler) { m_onCloseStream = std::move(handler); }
    void setOnRestartStream(RestartStreamEvent handler) { m_onRestartStream = std::move(handler); }
    void setOnGetStreamSize(GetStreamSizeEvent handler) { m_onGetStreamSize = std::move(handler); }
    void setOnSeekStream(SeekStreamEvent handler) { m_onSeekStream = std::move(handler); }
    void setOnReadStream(ReadStreamEvent handler) { m_onReadStream = std::move(handler); }

    // The library file loadLibrary() loads for a PathToDLL.
    static QString libraryPath(const QString& pathToDLL);

    // Loads, binds and initialises the library. Raises "Can't load MPEG library" when the
    // file cannot be loaded, error 0 when an entry point is missing, and init's error
    // ("Incorrect mode" when this copy of the library already serves another player). On an
    // already loaded component it raises "Incorrect mode" and stays loaded.
    void loadLibrary();
    // Closes an open song, deinitialises and unloads the library.
    void unloadLibrary();
    bool loaded() const { return m_library != nullptr; }

    // Each of these raises error 0 when the library is not loaded, and the library's error.
    void open();
    void play();
    void pause(bool on);
    void stop();
    void close();
    void seek(int milliseconds);
    int mode();
    int position();
    int length();
    int frequency();
    int bitrate();

    // The length read when the song was opened, in milliseconds.
    int storedLength() const { return m_length; }
    // The code of the last library call, as read from the library.
    int lastError() const { return m_lastError; }

    bool opened() const { return m_opened; }
    bool playing() const { return m_playing; }
    bool paused() const { return m_paused; }
    // The song played to its end and the end has not been handled yet.
    bool ended() const;

signals:
    // Raised by the position timer while playing.
    void OnPosUpdate(int position, int length);
    // Raised by the position timer when the song has played to its end.
    void OnPlayEnd();

private:
    struct Entries;

    void requireLoaded() const;
    void checkError();
    int queryValue(int (*Entries::*entry)());
    void updateTimerInterval();
    void timerTick();
    void positionTick();
    void closeForDestruction() noexcept;

    // Stream mode: the library's callbacks, with this component as their context.
    static int streamOpen(void* context);
    static void streamClose(void* context);
    static int streamRestart(void* context);
    static long long streamRead(void* context, void* buffer, long long size);
    static long long streamSeek(void* context, long long offset);
    static long long streamGetSize(void* context);

    bool m_seekable = false;
    bool m_fromStream = false;
    int m_priority = 0;
    bool m_useTimer = false;
    int m_timerFreq = 0;
    bool m_autoPlay = false;
    QString m_streamName;
    TOutputDevice m_outputDevice = wavemapper;
    QString m_outFilename;
    QString m_pathToDLL;
    int m_startPos = 0;
    int m_endPos = 0;
    int m_playedXTimes = 0;

    OpenStreamEvent m_onOpenStream;
    CloseStreamEvent m_onCloseStream;
    RestartStreamEvent m_onRestartStream;
    GetStreamSizeEvent m_onGetStreamSize;
    SeekStreamEvent m_onSeekStream;
    ReadStreamEvent m_onReadStream;

    // Loaded: the library (held in a process-wide table) and its bound entry points; null
    // when not loaded.
    QLibrary* m_library = nullptr;
    QString m_libraryPath;
    std::unique_ptr<Entries> m_entries;

    bool m_opened = false;
    bool m_playing = false;
    bool m_paused = false;
    // Written by the library's play thread at the end of the song.
    unsigned char m_endFlag = 0;
    int m_length = 0;
    int m_lastError = 0;
    QTimer m_timer;
};
