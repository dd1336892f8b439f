#include "platform/Volumes.h"

#include <QStorageInfo>

// Placeholder until the mount table reading lands: the root file system only.
QStringList SystemVolumes::roots() const
{
    return {QStringLiteral("/")};
}

QList<VolumeInfo> SystemVolumes::volumes() const
{
    const QStorageInfo root(QStringLiteral("/"));
    VolumeInfo info;
    info.root = QStringLiteral("/");
    info.label = root.name();
    info.freeBytes = root.bytesAvailable();
    info.ready = root.isReady();
    info.kind = QLatin1Char('!');
    return {info};
}
