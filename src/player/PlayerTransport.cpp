#include "player/PlayerTransport.h"

#include "platform/Clock.h"
#include "player/TMPEGError.h"
#include "player/TMPEGPlayer.h"

#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int ModeClosed = TMPEGPlayer::ModeClosed;
constexpr int ModeStopped = TMPEGPlayer::ModeStopped;
constexpr int ModeEnded = TMPEGPlayer::ModeEnded;
constexpr int ModePlaying = TMPEGPlayer::ModePlaying;
constexpr int ModePaused = TMPEGPlayer::ModePaused;

const QString& emptyDisplay()
{
    static const QString text = QStringLiteral("0:00:00/0:00:00");
    return text;
}

} // namespace

PlayerTransport::PlayerTransport(TMPEGPlayer& player, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_player(player)
    , m_clock(clock)
    , m_display(emptyDisplay())
    , m_titleText(QStringLiteral(" "))
{
    m_mTimer.setObjectName(QStringLiteral("MTimer"));
    m_mTimer.setInterval(1);
    m_mTimer2.setObjectName(QStringLiteral("MTimer2"));
    m_mTimer2.setInterval(1000);
    connect(&m_mTimer, &QTimer::timeout, this, &PlayerTransport::mTimerTick);
    connect(&m_mTimer2, &QTimer::timeout, this, &PlayerTransport::mTimer2Tick);
}

PlayerTransport::~PlayerTransport() = default;

int PlayerTransport::mode()
{
    return m_player.loaded() ? m_player.mode() : ModeClosed;
}

void PlayerTransport::loadSong(const Song& song)
{
    if (!m_player.loaded())
        m_player.loadLibrary();
    // The song that played is gone: its clock must not read the new one.
    m_mTimer.stop();
    m_mTimer2.stop();
    if (mode() > ModeClosed)
        m_player.close();
    m_titleText = song.artist + QStringLiteral(" - ") + song.title;
    m_loaded = song;
    try {
        m_player.setStreamName(song.filename);
        m_player.open();
    } catch (const TMPEGError& e) {
        // A song that did not open is not shown as the loaded one.
        m_loaded = {};
        clearDisplays();
        emit changed();
        // The library says only "Input stream error" for a file that is not there at all.
        if (!song.filename.isEmpty() && !QFileInfo::exists(song.filename))
            throw TMPEGError(QStringLiteral("%1: the file \"%2\" does not exist")
                                 .arg(e.message(), song.filename),
                             e.code());
        throw;
    } catch (...) {
        m_loaded = {};
        clearDisplays();
        emit changed();
        throw;
    }
    m_position = 0;
    m_length = m_player.storedLength();
    m_display = timeText(0) + QLatin1Char('/') + timeText(m_length);
    emit changed();
}

void PlayerTransport::play()
{
    const std::optional<Song> song = m_source ? m_source() : std::nullopt;
    if (!song || song->filename.isEmpty())
        return;
    const int before = mode();
    if (before == ModeClosed || before == ModeEnded)
        loadSong(*song);
    // A song opened by loadSong() alone (mode 1) plays as it was loaded.
    if (before == ModeClosed || before == ModeEnded || before == ModeStopped) {
        try {
            m_player.play();
        } catch (...) {
            // Closed again, so that the next ">" starts afresh instead of finding a song
            // that no button applies to.
            closeAfterFailure();
            throw;
        }
        startClock();
        emit changed();
    }
    if (mode() == ModePaused) {
        m_player.pause(false);
        startClock();
        emit changed();
    }
}

void PlayerTransport::pause()
{
    if (mode() != ModePlaying)
        return;
    // A pause right after ">" comes before the start-up timer has handed over.
    m_mTimer.stop();
    m_mTimer2.stop();
    m_player.pause(true);
    refresh();
}

void PlayerTransport::stop()
{
    const int now = mode();
    if (now != ModePlaying && now != ModePaused && now != ModeEnded)
        return;
    m_mTimer.stop();
    m_mTimer2.stop();
    // An ended song is no longer playing: only closing applies to it. The end may also come
    // between reading the mode and stopping.
    if (now != ModeEnded && !m_player.ended())
        m_player.stop();
    m_player.close();
    m_loaded = {};
    clearDisplays();
    emit changed();
}

void PlayerTransport::seek(int milliseconds)
{
    const int now = mode();
    if (now != ModePlaying && now != ModePaused)
        return;
    milliseconds = std::max(milliseconds, 0);
    if (m_length > 0)
        milliseconds = std::min(milliseconds, m_length);
    m_mTimer2.stop();
    try {
        m_player.seek(milliseconds);
    } catch (...) {
        // The display goes on showing where the song really is.
        m_mTimer.start();
        throw;
    }
    m_mTimer.start();
    m_position = milliseconds;
    m_display = timeText(m_position) + QLatin1Char('/') + timeText(m_length);
    emit seeked(milliseconds);
    emit changed();
}

void PlayerTransport::startClock()
{
    m_startTime = m_clock.now();
    m_mTimer.start();
}

void PlayerTransport::mTimerTick()
{
    const QDateTime now = m_clock.now();
    if (now == m_startTime) {
        m_startTime = now;
        return;
    }
    m_mTimer.stop();
    m_mTimer2.start();
    // The display shows the new position at once instead of a second later.
    mTimer2Tick();
}

void PlayerTransport::mTimer2Tick()
{
    if (!m_player.loaded()) {
        m_mTimer2.stop();
        return;
    }
    try {
        refresh();
    } catch (...) {
        // A timer has no caller to report to; the next user action meets the error.
        m_mTimer2.stop();
    }
}

void PlayerTransport::refresh()
{
    if (mode() == ModeEnded) {
        // The song played to its end: the bar shows its whole length and the clock rests.
        m_mTimer2.stop();
        m_length = m_player.storedLength();
        m_position = m_length;
    } else {
        m_length = m_player.length();
        m_position = m_player.position();
    }
    m_display = timeText(m_position) + QLatin1Char('/') + timeText(m_length);
    emit changed();
}

void PlayerTransport::closeAfterFailure() noexcept
{
    m_mTimer.stop();
    m_mTimer2.stop();
    try {
        if (m_player.loaded() && m_player.opened())
            m_player.close();
    } catch (...) {
        // The error that brought us here is the one to report.
    }
    m_loaded = {};
    clearDisplays();
    emit changed();
}

void PlayerTransport::clearDisplays()
{
    m_position = 0;
    m_length = 0;
    m_display = emptyDisplay();
    m_titleText.clear();
}

QString PlayerTransport::timeText(int milliseconds)
{
    const int s = milliseconds / 1000;
    const int m = s / 60;
    const int h = m / 60;
    return QStringLiteral("%1:%2:%3")
        .arg(h)
        .arg(m - 60 * h, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}
