#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <optional>

// What the mount table says about one mounted file system.
struct MountFacts
{
    QString mountPoint; // absolute, as the mount table lists it
    QByteArray fsType;  // e.g. "ext4", "vfat", "nfs4", "fuse.sshfs"
    bool readOnly = false;
    bool ready = true;    // mounted and readable
    qint64 freeBytes = 0; // available to the user
};

// The rules that turn the mount table into the program's media. Pure functions, so that every
// rule is tested without mounting anything.
namespace MountRules {

// A folder under which media are mounted, and how many names below it make a mount point:
// /media/USER/LABEL, /run/media/USER/LABEL, /mnt/NAME.
struct MediaFolder
{
    const char* path;
    int names;
};
// Where desktops and people mount removable media and shares.
inline constexpr MediaFolder mediaFolders[] = {{"/media", 2}, {"/run/media", 2}, {"/mnt", 1}};

// A network file system: its files live on another machine (shown with the 'R' marker).
bool isNetworkFileSystem(const QByteArray& fsType);

// Whether a mount is one of the user's media: the root "/", anything mounted under /media,
// /run/media or /mnt (removable media and hand-made mounts), and network file systems wherever
// they are mounted. System mounts (/boot, /home, /var, snaps, the desktop's own virtual file
// systems) are not media: a song on them lives on the root medium's paths anyway.
bool isMedium(const MountFacts& mount);

// The medium-kind marker: 'R' for a network file system; '@' for a medium we cannot add to
// (read-only, not ready, or without free space: a CD); '!' otherwise. The network test comes
// first, as it does for a network path at intake.
QChar kind(const MountFacts& mount);

// The medium's label: the volume name when the system knows one, else the last part of the
// mount point; the root without a name is known by the computer's host name.
QString label(const QString& volumeName, const QString& mountPoint);

// The marker and whether to list the mount at all, in one call: nothing for a mount that is
// not a medium.
std::optional<QChar> classify(const MountFacts& mount);

} // namespace MountRules
