#include "player/TMPEGPlayer.h"

#include "player/TMPEGError.h"

#include "mpegdll.h"

#include <QHash>
#include <QLibrary>
#include <QMetaMethod>
#include <QMutex>

#include <array>
#include <atomic>
#include <utility>

// The library's entry points, bound by name. Only the types come from the header: nothing
// here links against the library.
struct TMPEGPlayer::Entries
{
    decltype(&::init) init = nullptr;
    decltype(&::deinit) deinit = nullptr;
    decltype(&::Open) open = nullptr;
    decltype(&::Pause) pause = nullptr;
    decltype(&::Restart) restart = nullptr;
    decltype(&::Stop) stop = nullptr;
    decltype(&::SetPriority) setPriority = nullptr;
    decltype(&::SetOutputDevice) setOutputDevice = nullptr;
    decltype(&::Play) play = nullptr;
    decltype(&::Close) close = nullptr;
    decltype(&::GetFrequency) getFrequency = nullptr;
    decltype(&::GetBitrate) getBitrate = nullptr;
    decltype(&::GetLayer) getLayer = nullptr;
    decltype(&::GetPlayerMode) getPlayerMode = nullptr;
    decltype(&::GetCurrentPos) getCurrentPos = nullptr;
    decltype(&::GetLength) getLength = nullptr;
    decltype(&::ResetPlayerMode) resetPlayerMode = nullptr;
    decltype(&::Seek) seek = nullptr;
    decltype(&::LastError) lastError = nullptr;
    // Not one of the 19: a library without it still works, its errors only say less.
    decltype(&::LastErrorDetail) lastErrorDetail = nullptr;
};

namespace {

// Binding order matters only for which missing name is found first; all 19 must be there.
constexpr std::array<const char*, 19> entryNames = {
    "init",        "deinit",          "Open",          "Pause",     "Restart",         "Stop",
    "SetPriority", "SetOutputDevice", "Play",          "Close",     "GetFrequency",    "GetBitrate",
    "GetLayer",    "GetPlayerMode",   "GetCurrentPos", "GetLength", "ResetPlayerMode", "Seek",
    "LastError",
};

struct PriorityEntry
{
    TMPEGPlayer::TPlayPriority priority;
    int number;
};

constexpr std::array<PriorityEntry, 7> priorityTable = {{
    {TMPEGPlayer::Idle, -15},
    {TMPEGPlayer::Lowest, -2},
    {TMPEGPlayer::BelowNormal, -1},
    {TMPEGPlayer::Normal, 0},
    {TMPEGPlayer::AboveNormal, 1},
    {TMPEGPlayer::Highest, 2},
    {TMPEGPlayer::TimeCritical, 15},
}};

template <typename F> void bind(F& target, QFunctionPointer function)
{
    target = reinterpret_cast<F>(function);
}

// The end flag is written by the library's play thread and read here on the owner's thread.
unsigned char loadFlag(unsigned char& flag)
{
    return std::atomic_ref<unsigned char>(flag).load();
}

void clearFlag(unsigned char& flag)
{
    std::atomic_ref<unsigned char>(flag).store(0);
}

// The loaded library files of the process, one QLibrary per path, counted by the components
// that hold them. A component refused by the copy's init releases its hold without unloading a
// copy that another component plays from; QLibrary alone cannot promise that, as some Qt
// versions let any one of several QLibrary objects on one file unload it for all. The table is
// never destroyed: a library its holders did not release stays loaded until the process ends.
class LoadedLibraries
{
public:
    static LoadedLibraries& instance()
    {
        static LoadedLibraries* const libraries = new LoadedLibraries;
        return *libraries;
    }

    // The loaded library at `path`, or null when it cannot be loaded.
    QLibrary* acquire(const QString& path)
    {
        QMutexLocker locker(&m_mutex);
        Entry& entry = m_entries[path];
        if (!entry.library) {
            entry.library = std::make_shared<QLibrary>(path);
            if (!entry.library->load()) {
                m_entries.remove(path);
                return nullptr;
            }
        }
        ++entry.holders;
        return entry.library.get();
    }

    void release(const QString& path)
    {
        QMutexLocker locker(&m_mutex);
        const auto it = m_entries.find(path);
        if (it == m_entries.end() || --it->holders > 0)
            return;
        it->library->unload();
        m_entries.erase(it);
    }

private:
    struct Entry
    {
        std::shared_ptr<QLibrary> library;
        int holders = 0;
    };
    QMutex m_mutex;
    QHash<QString, Entry> m_entries;
};

} // namespace

TMPEGPlayer::TMPEGPlayer(QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &TMPEGPlayer::timerTick);
}

TMPEGPlayer::~TMPEGPlayer()
{
    m_timer.stop();
    closeForDestruction();
    // The hold on the library is not released: it stays loaded, as owners unload explicitly.
}

void TMPEGPlayer::closeForDestruction() noexcept
{
    if (!m_entries)
        return;
    // The play thread must not outlive the end flag it writes into, nor call the stream events
    // of a component that no longer exists.
    m_entries->close();
    m_entries->lastError();
    m_opened = m_playing = m_paused = false;
}

TMPEGPlayer::TPlayPriority TMPEGPlayer::playerPriority() const
{
    for (const PriorityEntry& entry : priorityTable)
        if (entry.number == m_priority)
            return entry.priority;
    return Normal;
}

void TMPEGPlayer::setPlayerPriority(TPlayPriority priority)
{
    m_priority = priorityNumber(priority);
}

int TMPEGPlayer::priorityNumber(TPlayPriority priority)
{
    for (const PriorityEntry& entry : priorityTable)
        if (entry.priority == priority)
            return entry.number;
    return 0;
}

void TMPEGPlayer::setUseTimer(bool useTimer)
{
    m_useTimer = useTimer;
    updateTimerInterval();
}

void TMPEGPlayer::setTimerFreq(int milliseconds)
{
    m_timerFreq = milliseconds;
    if (milliseconds == 0)
        m_useTimer = false;
    updateTimerInterval();
}

void TMPEGPlayer::updateTimerInterval()
{
    // Without UseTimer the interval is 0, which means "never" here: a running QTimer of
    // interval 0 would fire on every pass of the event loop.
    const int interval = m_useTimer && m_timerFreq > 0 ? m_timerFreq : 0;
    m_timer.setInterval(interval);
    if (interval == 0)
        m_timer.stop();
}

void TMPEGPlayer::setStreamName(const QString& name)
{
    m_streamName = name;
    if (m_opened && loaded())
        close();
}

void TMPEGPlayer::setOutputDevice(TOutputDevice device)
{
    m_outputDevice = device == pcmfile && !m_outFilename.isEmpty() ? pcmfile : wavemapper;
}

QString TMPEGPlayer::libraryPath(const QString& pathToDLL)
{
    QString path = pathToDLL;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QLatin1String(LibraryFileName);
}

void TMPEGPlayer::loadLibrary()
{
    // Initialising the copy again would fail, and the failure path would then unload a
    // library this component is still playing from.
    if (loaded())
        throw TMPEGError(TMPEGError::IncorrectMode);

    const QString path = libraryPath(m_pathToDLL);
    QLibrary* const library = LoadedLibraries::instance().acquire(path);
    if (!library)
        throw TMPEGError::cantLoadLibrary();

    std::array<QFunctionPointer, entryNames.size()> functions{};
    for (std::size_t i = 0; i < entryNames.size(); ++i) {
        functions[i] = library->resolve(entryNames[i]);
        if (!functions[i]) {
            LoadedLibraries::instance().release(path);
            throw TMPEGError(TMPEGError::NotLoaded);
        }
    }
    auto entries = std::make_unique<Entries>();
    std::size_t i = 0;
    bind(entries->init, functions[i++]);
    bind(entries->deinit, functions[i++]);
    bind(entries->open, functions[i++]);
    bind(entries->pause, functions[i++]);
    bind(entries->restart, functions[i++]);
    bind(entries->stop, functions[i++]);
    bind(entries->setPriority, functions[i++]);
    bind(entries->setOutputDevice, functions[i++]);
    bind(entries->play, functions[i++]);
    bind(entries->close, functions[i++]);
    bind(entries->getFrequency, functions[i++]);
    bind(entries->getBitrate, functions[i++]);
    bind(entries->getLayer, functions[i++]);
    bind(entries->getPlayerMode, functions[i++]);
    bind(entries->getCurrentPos, functions[i++]);
    bind(entries->getLength, functions[i++]);
    bind(entries->resetPlayerMode, functions[i++]);
    bind(entries->seek, functions[i++]);
    bind(entries->lastError, functions[i++]);
    bind(entries->lastErrorDetail, library->resolve("LastErrorDetail"));

    if (!entries->init()) {
        m_lastError = entries->lastError();
        // The copy may be the one another component has initialised and plays from: drop only
        // this component's hold on it, never deinit it.
        LoadedLibraries::instance().release(path);
        throw TMPEGError::fromLibraryCode(m_lastError);
    }

    m_library = library;
    m_libraryPath = path;
    m_entries = std::move(entries);
    m_timer.stop();
    updateTimerInterval();
    m_length = 0;
}

void TMPEGPlayer::unloadLibrary()
{
    requireLoaded();
    m_timer.stop();
    if (m_opened)
        close();
    m_entries->deinit();
    m_entries.reset();
    m_library = nullptr;
    LoadedLibraries::instance().release(m_libraryPath);
    m_libraryPath.clear();
    m_opened = m_playing = m_paused = false;
    m_playedXTimes = 0;
}

void TMPEGPlayer::requireLoaded() const
{
    if (!loaded())
        throw TMPEGError(TMPEGError::NotLoaded);
}

void TMPEGPlayer::checkError()
{
    m_lastError = m_entries->lastError();
    if (m_lastError == 0)
        return;
    // Reading the code leaves the detail of the same failure in place.
    const char* detail = m_entries->lastErrorDetail ? m_entries->lastErrorDetail() : nullptr;
    throw TMPEGError::fromLibraryCode(m_lastError)
        .withDetail(detail ? QString::fromUtf8(detail) : QString());
}

bool TMPEGPlayer::ended() const
{
    return loadFlag(const_cast<unsigned char&>(m_endFlag)) != 0;
}

void TMPEGPlayer::open()
{
    requireLoaded();
    if (m_opened)
        close();
    m_opened = m_playing = m_paused = false;
    // An end flag left from the song before would end the new one at its first tick.
    clearFlag(m_endFlag);

    if (m_fromStream) {
        m_entries->open(nullptr, 1, &TMPEGPlayer::streamOpen, &TMPEGPlayer::streamClose,
                        &TMPEGPlayer::streamRestart, &TMPEGPlayer::streamRead,
                        &TMPEGPlayer::streamSeek, &TMPEGPlayer::streamGetSize, this);
    } else {
        if (m_streamName.isEmpty())
            throw TMPEGError(TMPEGError::NonSpecifiedStream);
        const QByteArray name = m_streamName.toUtf8();
        m_entries->open(name.constData(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                        nullptr);
    }
    checkError();
    m_opened = true;
    m_playedXTimes = 1;
    m_length = m_entries->getLength();
    checkError();

    if (m_autoPlay)
        play();
}

void TMPEGPlayer::play()
{
    requireLoaded();
    if (m_paused) {
        pause(false);
        return;
    }
    if (m_playing)
        return;
    if (!m_opened) {
        open();
        // AutoPlay may have started the song already.
        if (!m_opened || m_playing)
            return;
    }

    if (m_playedXTimes < 2) {
        m_entries->setPriority(m_priority);
        checkError();
        const QByteArray outName = m_outFilename.toUtf8();
        m_entries->setOutputDevice(static_cast<int>(m_outputDevice), outName.constData());
        checkError();
        clearFlag(m_endFlag);
        const int result = m_entries->play(m_startPos, m_endPos, &m_endFlag);
        m_lastError = m_entries->lastError();
        if (result != 0 || m_lastError != 0) {
            // A refusal without a code must not read as success, nor as "not loaded".
            throw TMPEGError::fromLibraryCode(m_lastError != 0 ? m_lastError
                                                               : TMPEGError::InternalError);
        }
    } else {
        clearFlag(m_endFlag);
        m_entries->restart();
        checkError();
    }
    m_playing = true;
    ++m_playedXTimes;

    if (m_useTimer && m_timer.interval() != 0) {
        m_timer.start();
        try {
            positionTick();
        } catch (...) {
            m_timer.stop();
            throw;
        }
    }
}

void TMPEGPlayer::pause(bool on)
{
    requireLoaded();
    if (m_playing && !ended()) {
        m_entries->pause(on ? 0 : 1);
        checkError();
        m_paused = on;
    } else {
        m_paused = false;
        if (on)
            throw TMPEGError(TMPEGError::IncorrectMode);
    }
}

void TMPEGPlayer::stop()
{
    requireLoaded();
    if (!m_playing || ended())
        throw TMPEGError(TMPEGError::IncorrectMode);
    m_entries->stop();
    checkError();
    m_playing = false;
    m_paused = false;
}

void TMPEGPlayer::close()
{
    requireLoaded();
    m_opened = m_playing = m_paused = false;
    m_playedXTimes = 0;
    m_timer.stop();
    m_entries->close();
    checkError();
}

void TMPEGPlayer::seek(int milliseconds)
{
    requireLoaded();
    m_entries->seek(milliseconds);
    checkError();
}

// The value of one of the library's parameterless queries, with the error check after it.
int TMPEGPlayer::queryValue(int (*Entries::*entry)())
{
    requireLoaded();
    const int result = (m_entries.get()->*entry)();
    checkError();
    return result;
}

int TMPEGPlayer::mode()
{
    return queryValue(&Entries::getPlayerMode);
}

int TMPEGPlayer::position()
{
    return queryValue(&Entries::getCurrentPos);
}

int TMPEGPlayer::length()
{
    return queryValue(&Entries::getLength);
}

int TMPEGPlayer::frequency()
{
    return queryValue(&Entries::getFrequency);
}

int TMPEGPlayer::bitrate()
{
    return queryValue(&Entries::getBitrate);
}

void TMPEGPlayer::timerTick()
{
    // Nothing may leave a timer event: a failure stops the timer and leaves the flags as they
    // were before the failing call.
    try {
        positionTick();
    } catch (const TamboroError& e) {
        m_timer.stop();
        qWarning("TMPEGPlayer: position timer stopped: %s", qUtf8Printable(e.message()));
    } catch (const std::exception& e) {
        m_timer.stop();
        qWarning("TMPEGPlayer: position timer stopped: %s", e.what());
    } catch (...) {
        m_timer.stop();
        qWarning("TMPEGPlayer: position timer stopped by an unknown exception");
    }
}

void TMPEGPlayer::positionTick()
{
    if (!m_opened || !m_playing || !loaded()) {
        m_timer.stop();
        return;
    }
    int current = m_entries->getCurrentPos();
    checkError();
    if (current > m_length)
        current = 0;
    emit OnPosUpdate(current, m_length);
    if (ended()) {
        m_timer.stop();
        m_playing = false;
        if (isSignalConnected(QMetaMethod::fromSignal(&TMPEGPlayer::OnPlayEnd))) {
            clearFlag(m_endFlag);
            emit OnPlayEnd();
        }
    }
}

// Stream events. The library passes the component back as the context.

int TMPEGPlayer::streamOpen(void* context)
{
    auto* self = static_cast<TMPEGPlayer*>(context);
    try {
        return !self->m_onOpenStream || self->m_onOpenStream() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void TMPEGPlayer::streamClose(void* context)
{
    auto* self = static_cast<TMPEGPlayer*>(context);
    try {
        if (self->m_onCloseStream)
            self->m_onCloseStream();
    } catch (...) {
    }
}

int TMPEGPlayer::streamRestart(void* context)
{
    auto* self = static_cast<TMPEGPlayer*>(context);
    try {
        if (self->m_onRestartStream)
            return self->m_onRestartStream() ? 1 : 0;
        return self->m_onSeekStream && self->m_onSeekStream(0) == 0 ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

long long TMPEGPlayer::streamRead(void* context, void* buffer, long long size)
{
    auto* self = static_cast<TMPEGPlayer*>(context);
    try {
        if (!self->m_onReadStream || size < 0)
            return -1;
        const qint64 n = self->m_onReadStream(static_cast<char*>(buffer), size);
        return n >= -1 && n <= size ? n : -1;
    } catch (...) {
        return -1;
    }
}

long long TMPEGPlayer::streamSeek(void* context, long long offset)
{
    auto* self = static_cast<TMPEGPlayer*>(context);
    try {
        return self->m_onSeekStream ? self->m_onSeekStream(offset) : -1;
    } catch (...) {
        return -1;
    }
}

long long TMPEGPlayer::streamGetSize(void* context)
{
    auto* self = static_cast<TMPEGPlayer*>(context);
    try {
        return self->m_onGetStreamSize ? self->m_onGetStreamSize() : -1;
    } catch (...) {
        return -1;
    }
}
