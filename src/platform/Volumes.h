#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One mounted volume as the add-files window and the drive poll see it.
struct VolumeInfo
{
    QString root;  // mount point, e.g. "/" or "/media/anna/CD1"
    QString label; // volume name, else the mount point's last part
    qint64 freeBytes = 0;
    bool ready = true; // mounted and readable
    QChar kind;        // '!' hard disk, '@' changeable medium without free space, 'R' network
};

// The media the program can reach right now. The first root is always "/"; the others are the
// mounted user volumes (removable media and network shares) in a stable order.
class Volumes
{
public:
    virtual ~Volumes() = default;
    // The medium roots present and readable now, in poll order (the order relocation tries
    // them in).
    virtual QStringList roots() const = 0;
    // The same media with their labels, free space and kinds.
    virtual QList<VolumeInfo> volumes() const = 0;
};

// The volumes of this machine, read from the mount table on every call (see MountRules for
// which mounts count as media and how their kind is chosen).
class SystemVolumes final : public Volumes
{
public:
    QStringList roots() const override;
    QList<VolumeInfo> volumes() const override;
};
