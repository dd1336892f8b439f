#include "player/MprisService.h"

#include "platform/Errors.h"
#include "player/MprisAdaptors.h"
#include "player/TMPEGPlayer.h"

#include <QDBusMessage>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace {

const QString& propertiesInterface()
{
    static const QString name = QStringLiteral("org.freedesktop.DBus.Properties");
    return name;
}

} // namespace

MprisService::MprisService(PlayerTransport& transport, QDBusConnection connection, QObject* parent)
    : QObject(parent)
    , m_transport(transport)
    , m_connection(std::move(connection))
{
    m_root = new MprisRootAdaptor(*this);
    m_player = new MprisPlayerAdaptor(*this);

    m_notifyTimer.setSingleShot(true);
    m_notifyTimer.setInterval(0);
    connect(&m_notifyTimer, &QTimer::timeout, this, &MprisService::notifyChanges);
    connect(&m_transport, &PlayerTransport::changed, this, &MprisService::scheduleNotify);
    connect(&m_transport, &PlayerTransport::seeked, this,
            [this](int milliseconds) { emit positionJumped(qint64(milliseconds) * 1000); });

    // What a client reads first needs no signal.
    m_sentStatus = playbackStatus();
    m_sentMetadata = metadata();

    if (!m_connection.isConnected())
        return;
    const QString path = QLatin1String(ObjectPath);
    if (!m_connection.registerObject(path, this, QDBusConnection::ExportAdaptors))
        return;
    if (!m_connection.registerService(QLatin1String(ServiceName))) {
        // Another instance holds the name; its object answers.
        m_connection.unregisterObject(path);
        return;
    }
    m_registered = true;
}

MprisService::~MprisService()
{
    if (!m_registered)
        return;
    m_connection.unregisterService(QLatin1String(ServiceName));
    m_connection.unregisterObject(QLatin1String(ObjectPath));
}

template <typename Call> void MprisService::guarded(Call&& call)
{
    try {
        call();
    } catch (...) {
        fail(currentErrorText());
    }
}

void MprisService::fail(const QString& message)
{
    if (calledFromDBus())
        sendErrorReply(QLatin1String(ErrorName), message);
    emit errorRaised(message);
}

void MprisService::playPause()
{
    guarded([this] {
        if (m_transport.mode() == TMPEGPlayer::ModePlaying)
            m_transport.pause();
        else
            m_transport.play();
    });
}

void MprisService::play()
{
    guarded([this] {
        if (m_transport.mode() != TMPEGPlayer::ModePlaying)
            m_transport.play();
    });
}

void MprisService::pause()
{
    guarded([this] { m_transport.pause(); });
}

void MprisService::stop()
{
    guarded([this] { m_transport.stop(); });
}

void MprisService::seekBy(qint64 offset)
{
    guarded([this, offset] {
        const qint64 target = std::max<qint64>(0, position() + offset);
        if (target > qint64(m_transport.length()) * 1000)
            return;
        m_transport.seek(int(target / 1000));
    });
}

void MprisService::setPosition(const QDBusObjectPath& trackId, qint64 position)
{
    guarded([&] {
        // A client acting on what it showed a moment ago must not move another song.
        if (trackId.path() != this->trackId())
            return;
        if (position < 0 || position > qint64(m_transport.length()) * 1000)
            return;
        m_transport.seek(int(position / 1000));
    });
}

void MprisService::openUri(const QString& uri)
{
    // Not an error of the player: the window is not bothered with it.
    if (calledFromDBus())
        sendErrorReply(
            QDBusError::NotSupported,
            QStringLiteral("Tamboro 3 plays songs from its catalogue only: %1").arg(uri));
}

QString MprisService::playbackStatus()
{
    int mode = TMPEGPlayer::ModeClosed;
    try {
        mode = m_transport.mode();
    } catch (...) {
        // A library that cannot tell its mode is not playing anything a client could control;
        // the next command meets the error and reports it.
    }
    switch (mode) {
    case TMPEGPlayer::ModePlaying:
        return QStringLiteral("Playing");
    case TMPEGPlayer::ModePaused:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

QVariantMap MprisService::metadata()
{
    QVariantMap values;
    values.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId())));
    const PlayerTransport::Song& song = m_transport.loadedSong();
    if (song.filename.isEmpty())
        return values;
    if (!song.artist.isEmpty())
        values.insert(QStringLiteral("xesam:artist"), QStringList{song.artist});
    if (!song.title.isEmpty())
        values.insert(QStringLiteral("xesam:title"), song.title);
    if (!song.album.isEmpty())
        values.insert(QStringLiteral("xesam:album"), song.album);
    values.insert(QStringLiteral("xesam:url"),
                  QUrl::fromLocalFile(song.filename).toString(QUrl::FullyEncoded));
    values.insert(QStringLiteral("mpris:length"), qlonglong(m_transport.length()) * 1000);
    return values;
}

QString MprisService::trackId()
{
    syncTrack();
    if (m_transport.loadedSong().filename.isEmpty())
        return QLatin1String(NoTrack);
    return QLatin1String(TrackPrefix) + QString::number(m_trackNumber);
}

void MprisService::syncTrack()
{
    const PlayerTransport::Song& song = m_transport.loadedSong();
    if (song == m_trackSong)
        return;
    m_trackSong = song;
    if (!song.filename.isEmpty())
        ++m_trackNumber;
}

void MprisService::scheduleNotify()
{
    if (m_registered && !m_notifyTimer.isActive())
        m_notifyTimer.start();
}

void MprisService::notifyChanges()
{
    QVariantMap changed;
    const QString status = playbackStatus();
    if (status != m_sentStatus) {
        m_sentStatus = status;
        changed.insert(QStringLiteral("PlaybackStatus"), status);
    }
    const QVariantMap values = metadata();
    if (values != m_sentMetadata) {
        m_sentMetadata = values;
        changed.insert(QStringLiteral("Metadata"), values);
    }
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(ObjectPath), propertiesInterface(), QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(PlayerInterface) << changed << QStringList();
    m_connection.send(signal);
}
