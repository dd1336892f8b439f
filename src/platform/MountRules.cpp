#include "platform/MountRules.h"

#include <QSysInfo>

namespace {

// Mounts that never hold the user's files even when they sit under a media folder: the
// automounter's placeholders (the real mount shows up as its own entry) and kernel file
// systems.
const char* const ignoredTypes[] = {
    "autofs",  "proc",       "sysfs",           "devtmpfs",    "devpts",  "cgroup",
    "cgroup2", "securityfs", "debugfs",         "tracefs",     "fusectl", "binfmt_misc",
    "mqueue",  "hugetlbfs",  "configfs",        "pstore",      "bpf",     "rpc_pipefs",
    "nsfs",    "efivarfs",   "fuse.gvfsd-fuse", "fuse.portal",
};

// File systems whose files live on another machine. 9p and virtiofs are left out on purpose:
// they share a folder of the host a virtual machine (or WSL) runs on, which is a local disk
// for every practical purpose.
const char* const networkTypes[] = {
    "nfs",        "nfs4",           "cifs",        "smb3",      "smbfs",  "sshfs",
    "fuse.sshfs", "davfs",          "fuse.davfs2", "afs",       "ncpfs",  "ceph",
    "glusterfs",  "fuse.glusterfs", "fuse.rclone", "fuse.s3fs", "lustre", "ocfs2",
};

bool isUnder(const QString& path, const char* prefix)
{
    const QLatin1String p(prefix);
    return path == p || (path.startsWith(p) && path.size() > p.size() && path.at(p.size()) == u'/');
}

template <std::size_t N> bool contains(const char* const (&list)[N], const QByteArray& value)
{
    for (const char* entry : list)
        if (value == entry)
            return true;
    return false;
}

} // namespace

namespace MountRules {

bool isNetworkFileSystem(const QByteArray& fsType)
{
    return contains(networkTypes, fsType.toLower());
}

bool isMedium(const MountFacts& mount)
{
    const QString& point = mount.mountPoint;
    if (!point.startsWith(u'/'))
        return false;
    if (point == QLatin1String("/"))
        return true;
    const QByteArray type = mount.fsType.toLower();
    if (contains(ignoredTypes, type))
        return false;
    if (isNetworkFileSystem(type))
        return true;
    for (const MediaFolder& folder : mediaFolders) {
        // The media folders themselves are only containers, unless something is mounted on
        // /mnt directly, which people do.
        if (isUnder(point, folder.path) && (point != QLatin1String("/media")) &&
            point != QLatin1String("/run/media"))
            return true;
    }
    return false;
}

QChar kind(const MountFacts& mount)
{
    if (isNetworkFileSystem(mount.fsType))
        return QLatin1Char('R');
    if (mount.readOnly || !mount.ready || mount.freeBytes <= 0)
        return QLatin1Char('@');
    return QLatin1Char('!');
}

QString label(const QString& volumeName, const QString& mountPoint)
{
    if (!volumeName.isEmpty())
        return volumeName;
    QString point = mountPoint;
    while (point.size() > 1 && point.endsWith(u'/'))
        point.chop(1);
    // The system disk has no last part to go by: songs added from it are filed under the
    // computer's name, which tells them apart from another computer's disk in a shared table.
    if (point == QLatin1String("/")) {
        const QString host = QSysInfo::machineHostName();
        return host.isEmpty() ? point : host;
    }
    const qsizetype slash = point.lastIndexOf(u'/');
    if (slash < 0)
        return point;
    return point.mid(slash + 1);
}

std::optional<QChar> classify(const MountFacts& mount)
{
    if (!isMedium(mount))
        return std::nullopt;
    return kind(mount);
}

} // namespace MountRules
