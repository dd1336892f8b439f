#include "platform/MountRules.h"
#include "platform/Volumes.h"
#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"

#include <QSet>
#include <QSysInfo>
#include <gtest/gtest.h>

#include <optional>

namespace {

struct MountCase
{
    const char* mountPoint;
    const char* fsType;
    bool readOnly;
    bool ready;
    qint64 freeBytes;
    std::optional<char> expected; // nothing: not a medium
};

void PrintTo(const MountCase& c, std::ostream* os)
{
    *os << c.mountPoint << " (" << c.fsType << (c.readOnly ? ", ro" : "")
        << (c.ready ? "" : ", not ready") << ", free " << c.freeBytes << ")";
}

class MountClassification : public ::testing::TestWithParam<MountCase>
{};

TEST_P(MountClassification, DecidesWhetherAndAsWhatAMountIsListed)
{
    const MountCase& c = GetParam();
    MountFacts facts;
    facts.mountPoint = QString::fromUtf8(c.mountPoint);
    facts.fsType = c.fsType;
    facts.readOnly = c.readOnly;
    facts.ready = c.ready;
    facts.freeBytes = c.freeBytes;
    const std::optional<QChar> kind = MountRules::classify(facts);
    ASSERT_EQ(kind.has_value(), c.expected.has_value());
    if (kind) {
        EXPECT_EQ(kind->toLatin1(), *c.expected);
    }
}

constexpr qint64 GB = qint64(1) << 30;

INSTANTIATE_TEST_SUITE_P(
    Table, MountClassification,
    ::testing::Values(
        // The root is always a medium, with the kind its state gives.
        MountCase{"/", "ext4", false, true, 20 * GB, '!'},
        MountCase{"/", "ext4", true, true, 20 * GB, '@'},
        // Removable media where desktops mount them.
        MountCase{"/media/anna/STICK", "vfat", false, true, GB, '!'},
        MountCase{"/run/media/anna/My Disc", "iso9660", true, true, 0, '@'},
        MountCase{"/media/cdrom0", "udf", false, true, 0, '@'},      // full
        MountCase{"/media/anna/OLD", "ext4", false, false, GB, '@'}, // not ready
        MountCase{"/mnt/music", "ext4", false, true, GB, '!'},
        MountCase{"/mnt", "xfs", false, true, GB, '!'},
        // Network file systems, wherever they are mounted; 'R' even when read-only or full.
        MountCase{"/home/anna/nas", "nfs4", false, true, GB, 'R'},
        MountCase{"/srv/share", "cifs", true, true, 0, 'R'},
        MountCase{"/media/anna/box", "fuse.sshfs", false, true, GB, 'R'},
        MountCase{"/mnt/dav", "davfs", false, true, GB, 'R'},
        MountCase{"/mnt/smb", "SMB3", false, true, GB, 'R'},
        // A host folder of a virtual machine is local.
        MountCase{"/mnt/c", "9p", false, true, GB, '!'},
        MountCase{"/home/anna/host", "9p", false, true, GB, std::nullopt},
        // System mounts are not media.
        MountCase{"/boot", "ext4", false, true, GB, std::nullopt},
        MountCase{"/home", "ext4", false, true, GB, std::nullopt},
        MountCase{"/snap/core/123", "squashfs", true, true, 0, std::nullopt},
        MountCase{"/run/user/1000/gvfs", "fuse.gvfsd-fuse", false, true, 0, std::nullopt},
        MountCase{"/media", "tmpfs", false, true, GB, std::nullopt},
        MountCase{"/run/media", "tmpfs", false, true, GB, std::nullopt},
        MountCase{"/mediaplayer", "ext4", false, true, GB, std::nullopt},
        MountCase{"/mnt/auto", "autofs", false, true, 0, std::nullopt},
        MountCase{"relative/path", "nfs", false, true, GB, std::nullopt}),
    // Named by mount point, file system and the state that matters: root_ext4_ro,
    // media_cdrom0_udf_full.
    [](const auto& info) {
        const MountCase& c = info.param;
        const std::string point = std::string_view(c.mountPoint) == "/" ? "root" : c.mountPoint;
        return caseName(point + ' ' + c.fsType + (c.readOnly ? " ro" : "") +
                        (c.ready ? "" : " not ready") + (c.freeBytes ? "" : " full"));
    });

TEST(MountLabel, VolumeNameElseLastPartOfTheMountPoint)
{
    EXPECT_EQ(MountRules::label(QStringLiteral("MUSIC"), QStringLiteral("/media/a/x")),
              QStringLiteral("MUSIC"));
    EXPECT_EQ(MountRules::label(QString(), QStringLiteral("/media/anna/My Disc")),
              QStringLiteral("My Disc"));
    EXPECT_EQ(MountRules::label(QString(), QStringLiteral("/mnt/share/")), QStringLiteral("share"));
    EXPECT_EQ(MountRules::label(QString(), QStringLiteral("/")), QSysInfo::machineHostName());
}

// The machine running the tests has at least its root; whatever else is mounted, the rules
// of the interface hold.
TEST(SystemVolumes, RootFirstThenMediaInStableOrderWithoutRepeats)
{
    SystemVolumes volumes;
    const QList<VolumeInfo> all = volumes.volumes();
    ASSERT_FALSE(all.isEmpty());
    EXPECT_EQ(all.first().root, QStringLiteral("/"));
    QSet<QString> seen;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const VolumeInfo& info = all.at(i);
        EXPECT_FALSE(seen.contains(info.root)) << info.root.toStdString();
        seen.insert(info.root);
        EXPECT_FALSE(info.label.isEmpty());
        EXPECT_TRUE(info.kind == u'!' || info.kind == u'@' || info.kind == u'R');
        if (i > 1) {
            EXPECT_LT(all.at(i - 1).root, info.root);
        }
    }

    QStringList ready;
    for (const VolumeInfo& info : all)
        if (info.ready)
            ready.append(info.root);
    EXPECT_EQ(volumes.roots(), ready);
}

} // namespace
