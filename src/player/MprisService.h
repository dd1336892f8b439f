#pragma once

#include "player/PlayerTransport.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

class MprisRootAdaptor;
class MprisPlayerAdaptor;

// The built-in player on the session bus as a desktop media player (MPRIS 2), so that media
// keys, the panel's sound menu and tools such as playerctl drive the same transport as the
// player bar. The object /org/mpris/MediaPlayer2 carries the root and the player interface
// (MprisRootAdaptor, MprisPlayerAdaptor); this class holds the behaviour behind them.
//
// Without a bus, or when another instance holds the name, the service stays off the bus and
// registered() is false; the player works as before.
//
// No exception leaves a bus call: a failing transport call answers the caller with the error
// ErrorName carrying the player's message, and raises errorRaised() for the window to show.
class MprisService : public QObject, public QDBusContext
{
    Q_OBJECT
public:
    static constexpr const char* ServiceName = "org.mpris.MediaPlayer2.tamboro3";
    static constexpr const char* ObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* PlayerInterface = "org.mpris.MediaPlayer2.Player";
    static constexpr const char* ErrorName = "org.mpris.MediaPlayer2.tamboro3.Error";
    // The track id while no song is loaded.
    static constexpr const char* NoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
    // Track ids are this prefix and a number that changes whenever another song is loaded.
    static constexpr const char* TrackPrefix = "/org/tamboro3/track/";

    MprisService(PlayerTransport& transport, QDBusConnection connection, QObject* parent = nullptr);
    ~MprisService() override;

    // The object and the name are on the bus.
    bool registered() const { return m_registered; }

    // The commands of the player interface. Positions and offsets are in microseconds.
    void playPause();
    void play();
    void pause();
    void stop();
    // Relative to the shown position; before the start means the start, past the end does
    // nothing (as Next does: there is no next song).
    void seekBy(qint64 offset);
    // Only for the loaded song, and only to a position inside it.
    void setPosition(const QDBusObjectPath& trackId, qint64 position);
    // Songs play from the catalogue only: the caller gets NotSupported.
    void openUri(const QString& uri);
    void raise() { emit raiseRequested(); }

    // The values of the player interface, read from the transport when asked.
    QString playbackStatus();
    QVariantMap metadata();
    qint64 position() const { return qint64(m_transport.position()) * 1000; }

signals:
    // Raise was called: the main window shows itself.
    void raiseRequested();
    // A call from the bus failed with `message`, which its caller has also received.
    void errorRaised(const QString& message);
    // The position jumped to `position` microseconds; the player interface's Seeked.
    void positionJumped(qint64 position);

private:
    template <typename Call> void guarded(Call&& call);
    void fail(const QString& message);
    QString trackId();
    void syncTrack();
    void scheduleNotify();
    void notifyChanges();

    PlayerTransport& m_transport;
    QDBusConnection m_connection;
    MprisRootAdaptor* m_root = nullptr;
    MprisPlayerAdaptor* m_player = nullptr;
    bool m_registered = false;

    // The song the current track number stands for.
    PlayerTransport::Song m_trackSong;
    quint64 m_trackNumber = 0;

    // The transport reports a change every second while playing, and several for one command;
    // they are gathered until the event loop is idle again, and only values that differ from
    // the ones sent last go out.
    QTimer m_notifyTimer;
    QString m_sentStatus;
    QVariantMap m_sentMetadata;
};
