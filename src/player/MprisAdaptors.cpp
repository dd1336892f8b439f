#include "player/MprisAdaptors.h"

#include "player/MprisService.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service)
    , m_service(service)
{}

void MprisRootAdaptor::Raise()
{
    m_service.raise();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service)
    , m_service(service)
{
    connect(&service, &MprisService::positionJumped, this, &MprisPlayerAdaptor::Seeked);
}

QString MprisPlayerAdaptor::playbackStatus()
{
    return m_service.playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata()
{
    return m_service.metadata();
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_service.position();
}

void MprisPlayerAdaptor::PlayPause()
{
    m_service.playPause();
}

void MprisPlayerAdaptor::Play()
{
    m_service.play();
}

void MprisPlayerAdaptor::Pause()
{
    m_service.pause();
}

void MprisPlayerAdaptor::Stop()
{
    m_service.stop();
}

void MprisPlayerAdaptor::Seek(qlonglong Offset)
{
    m_service.seekBy(Offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position)
{
    m_service.setPosition(TrackId, Position);
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri)
{
    m_service.openUri(Uri);
}
