#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class Clock;
class TMPEGPlayer;

// The built-in player's transport: play, pause, stop and seeking over the main player, the
// loaded song's title, and the time display that two timers keep current. The player bar and
// the desktop's media controls both drive it; neither holds any state of its own.
//
// Every call that reaches the player may throw TMPEGError with the player's message; the
// caller shows it. A failed call leaves the transport usable: the next ">" tries again.
class PlayerTransport : public QObject
{
    Q_OBJECT
public:
    struct Song
    {
        QString artist;
        QString title;
        QString filename;
        QString album{};
        bool operator==(const Song&) const = default;
    };
    // What ">" plays: the song the tag editor shows. Nothing while no list window is open or
    // the editor's file name is empty, and then ">" does nothing.
    using SongSource = std::function<std::optional<Song>()>;

    PlayerTransport(TMPEGPlayer& player, const Clock& clock, QObject* parent = nullptr);
    ~PlayerTransport() override;

    void setSongSource(SongSource source) { m_source = std::move(source); }

    // ">": a closed player loads the current song and plays it, a paused one resumes. After a
    // song has played to its end, ">" loads the current song again and plays it from the
    // start (the same song, unless the editor now shows another). A song opened by loadSong()
    // alone plays as loaded. When playing fails (no sound output), the song is closed again
    // and the error raised.
    void play();
    // "||": only while playing.
    void pause();
    // "<>": only while playing, paused or at the end of a song. Closes the song and empties
    // the displays.
    void stop();
    // The position bar moved: only while playing or paused; a position outside the song is
    // taken as its nearest end.
    void seek(int milliseconds);
    // Closes an open song and opens `song`, loading the library first when needed. A file that
    // does not exist raises the player's error with the file named.
    void loadSong(const Song& song);

    // The player's mode (0 closed, 1 stopped, 2 ended, 3 playing, 4 paused); 0 while the
    // library is not loaded.
    int mode();

    // `DisPlaynel`: position "/" length.
    const QString& display() const { return m_display; }
    // `Panel4`: artist " - " title of the loaded song; one blank before the first song.
    const QString& titleText() const { return m_titleText; }
    // `MBalk`: position and range maximum in milliseconds.
    int position() const { return m_position; }
    int length() const { return m_length; }
    // The song opened last; empty after Stop.
    const Song& loadedSong() const { return m_loaded; }

    // A time of milliseconds as h:mm:ss ("0:03:25" for 205,000).
    static QString timeText(int milliseconds);

    // `MTimer` (1 ms) waits for the clock to move past the start time, then hands over to
    // `MTimer2` (1000 ms), which refreshes the position and the display.
    QTimer* mTimer() { return &m_mTimer; }
    QTimer* mTimer2() { return &m_mTimer2; }

signals:
    // The mode, the loaded song, the position or a display text may have changed.
    void changed();
    // The position jumped (a seek), in milliseconds.
    void seeked(int milliseconds);

private:
    void startClock();
    void mTimerTick();
    void mTimer2Tick();
    void refresh();
    // ">" failed after the song was opened: close it, so that the next ">" starts afresh.
    void closeAfterFailure() noexcept;
    void clearDisplays();

    TMPEGPlayer& m_player;
    const Clock& m_clock;
    SongSource m_source;
    QTimer m_mTimer;
    QTimer m_mTimer2;
    QDateTime m_startTime;
    QString m_display;
    QString m_titleText;
    int m_position = 0;
    int m_length = 0;
    Song m_loaded;
};
