#include "platform/Volumes.h"

#include "platform/MountRules.h"

#include <QMap>
#include <QStorageInfo>

namespace {

MountFacts factsOf(const QStorageInfo& storage)
{
    MountFacts facts;
    facts.mountPoint = storage.rootPath();
    facts.fsType = storage.fileSystemType();
    facts.readOnly = storage.isReadOnly();
    facts.ready = storage.isValid() && storage.isReady();
    facts.freeBytes = facts.ready ? storage.bytesAvailable() : 0;
    return facts;
}

VolumeInfo infoOf(const QStorageInfo& storage, const MountFacts& facts, QChar kind)
{
    VolumeInfo info;
    info.root = facts.mountPoint;
    info.label = MountRules::label(storage.name(), facts.mountPoint);
    info.freeBytes = facts.freeBytes;
    info.ready = facts.ready;
    info.kind = kind;
    return info;
}

// "/" first, then the other media sorted by mount point, so that the poll order (and with it
// which root wins when relocating a song) does not change with the order of mounting. A mount
// point listed twice (one mount over another) counts once.
QList<VolumeInfo> readVolumes()
{
    const QStorageInfo root = QStorageInfo::root();
    const MountFacts rootFacts = factsOf(root);
    QList<VolumeInfo> result{infoOf(root, rootFacts, MountRules::kind(rootFacts))};

    QMap<QString, VolumeInfo> others;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const MountFacts facts = factsOf(storage);
        if (facts.mountPoint == QLatin1String("/"))
            continue;
        if (const auto kind = MountRules::classify(facts))
            others.insert(facts.mountPoint, infoOf(storage, facts, *kind));
    }
    for (const VolumeInfo& info : std::as_const(others))
        result.append(info);
    return result;
}

} // namespace

QStringList SystemVolumes::roots() const
{
    QStringList result;
    for (const VolumeInfo& info : readVolumes())
        if (info.ready)
            result.append(info.root);
    return result;
}

QList<VolumeInfo> SystemVolumes::volumes() const
{
    return readVolumes();
}
