// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/MountInfo.h"
#include "platform/posix/MountTables.h"
#include "support/TempTree.h"

using namespace orvalen::platform;
namespace mi = orvalen::platform::mountinfo;

namespace {

// A desktop's mount table, trimmed: the kernel's own mounts, a home
// partition, a USB stick whose label has a space, a Samba share, an sshfs
// mount, gvfs, a snap, a container's file bind mounts, and systemd's
// automount points: one not used yet, one under the share it mounted.
const char* const kDesktop =
    "22 28 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw\n"
    "23 28 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw\n"
    "24 28 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8000000k\n"
    "25 24 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,gid=5\n"
    "26 28 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,mode=755\n"
    "28 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n"
    "30 22 0:26 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw\n"
    "31 22 0:27 / /sys/fs/pstore rw,nosuid,nodev,noexec,relatime shared:10 - pstore pstore rw\n"
    "40 28 259:3 / /home rw,relatime shared:30 - ext4 /dev/nvme0n1p3 rw\n"
    "41 28 259:1 / /boot/efi rw,relatime shared:31 - vfat /dev/nvme0n1p1 rw\n"
    "42 28 7:0 / /snap/core22/864 ro,nodev,relatime shared:32 - squashfs /dev/loop0 ro\n"
    "32 23 0:30 / /proc/sys/fs/binfmt_misc rw,relatime shared:12 - autofs systemd-1 rw,fd=29,direct\n"
    "43 23 0:35 / /proc/sys/fs/binfmt_misc rw,relatime shared:33 - binfmt_misc binfmt_misc rw\n"
    "44 26 0:45 / /run/user/1000 rw,nosuid,nodev,relatime shared:400 - tmpfs tmpfs rw,mode=700\n"
    "45 44 0:46 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:410 - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "46 44 0:47 / /run/user/1000/doc rw,nosuid,nodev,relatime shared:420 - fuse.portal portal rw\n"
    "47 26 8:17 / /media/alice/My\\040Stick rw,nosuid,nodev,relatime shared:500 - vfat /dev/sdb1 rw\n"
    "39 28 0:31 / /mnt/team rw,relatime shared:29 - autofs systemd-1 rw,fd=41,direct\n"
    "48 28 0:50 / /mnt/team rw,relatime shared:510 - cifs //nas/team rw,vers=3.1.1\n"
    "49 28 0:51 / /mnt/remote rw,nosuid,nodev,relatime shared:520 - fuse.sshfs alice@box:/srv rw\n"
    "50 28 0:52 / /etc/hosts rw,relatime - ext4 /dev/nvme0n1p2 rw\n"
    "51 28 8:33 / /run/media/alice/DATA rw,relatime shared:530 - exfat /dev/sdc1 rw\n"
    "52 28 0:53 / /mnt/exports rw,relatime shared:540 - nfs4 server:/exports rw\n"
    "53 28 0:54 / /tmp rw,nosuid,nodev shared:550 - tmpfs tmpfs rw\n"
    "54 28 0:32 / /mnt/archive rw,relatime shared:560 - autofs systemd-1 rw,fd=43,direct\n";

// The table as the program reads /proc/self/mountinfo.
std::vector<MountEntry> Table(std::string_view text) {
    const testsupport::TempTree tree;
    return posix::ReadMountTable(tree.writeFile("mountinfo", text));
}

DiskLabels DesktopLabels() {
    DiskLabels labels;
    labels.byDevNumbers["259:2"] = "System";
    labels.byDevNumbers["8:17"] = "My Stick";
    return labels;
}

std::vector<std::string> MountPoints(const std::vector<Volume>& volumes) {
    std::vector<std::string> points;
    for (const Volume& v : volumes) points.push_back(v.mountPoint);
    return points;
}

const Volume* Find(const std::vector<Volume>& volumes, const std::string& mountPoint) {
    auto it = std::find_if(volumes.begin(), volumes.end(),
                           [&](const Volume& v) { return v.mountPoint == mountPoint; });
    return it == volumes.end() ? nullptr : &*it;
}

}  // namespace

TEST(MountInfoEscapes, udevHexEscapes_becomeTheirCharacters) {
    EXPECT_EQ(mi::DecodeHexEscapes("My\\x20Disk"), "My Disk");
    EXPECT_EQ(mi::DecodeHexEscapes("A\\x2fB"), "A/B");
    EXPECT_EQ(mi::DecodeHexEscapes("half\\x2"), "half\\x2");
    EXPECT_EQ(mi::DecodeHexEscapes("not\\xzz"), "not\\xzz");
}

TEST(MountInfoPick, desktop_rootFirstThenUserMountsSorted) {
    const auto volumes = mi::PickVolumes(Table(kDesktop), DesktopLabels());
    EXPECT_EQ(MountPoints(volumes),
              (std::vector<std::string>{"/", "/home", "/media/alice/My Stick", "/mnt/archive", "/mnt/exports",
                                        "/mnt/remote", "/mnt/team", "/run/media/alice/DATA",
                                        "/run/user/1000/gvfs", "/tmp"}));
}

TEST(MountInfoPick, kernelSystemAndSnapMounts_areLeftOut) {
    const auto volumes = mi::PickVolumes(Table(kDesktop), DesktopLabels());
    for (const char* hidden : {"/sys", "/proc", "/dev", "/dev/pts", "/run", "/sys/fs/cgroup",
                               "/sys/fs/pstore", "/boot/efi", "/snap/core22/864",
                               "/proc/sys/fs/binfmt_misc", "/run/user/1000",
                               "/run/user/1000/doc", "/etc/hosts"})
        EXPECT_EQ(Find(volumes, hidden), nullptr) << hidden;
}

TEST(MountInfoPick, names_comeFromLabelShareOrDevice) {
    const auto volumes = mi::PickVolumes(Table(kDesktop), DesktopLabels());
    const auto nameOf = [&](const std::string& point) {
        const Volume* v = Find(volumes, point);
        return v ? v->name : std::string("<missing>");
    };
    EXPECT_EQ(nameOf("/"), "System");                    // label by device number
    EXPECT_EQ(nameOf("/media/alice/My Stick"), "My Stick");
    EXPECT_EQ(nameOf("/home"), "nvme0n1p3");             // no label: the device
    EXPECT_EQ(nameOf("/mnt/team"), "//nas/team");        // the share, over its automount point
    EXPECT_EQ(nameOf("/mnt/archive"), "archive");        // not mounted yet
    EXPECT_EQ(nameOf("/mnt/exports"), "server:/exports");
    EXPECT_EQ(nameOf("/mnt/remote"), "alice@box:/srv");
    EXPECT_EQ(nameOf("/run/user/1000/gvfs"), "gvfs");    // no share to name: last component
    EXPECT_EQ(nameOf("/tmp"), "tmp");
}

TEST(MountInfoPick, labelByDevicePath_isUsedWhenNumbersDoNotMatch) {
    DiskLabels labels;
    labels.byDevicePath["/dev/sdc1"] = "Backup";
    const auto volumes = mi::PickVolumes(Table(kDesktop), labels);
    const Volume* data = Find(volumes, "/run/media/alice/DATA");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->name, "Backup");
}

TEST(MountInfoPick, displayText_showsMountPointAndName) {
    EXPECT_EQ((Volume{"/mnt/team", "//nas/team"}).displayText(), "/mnt/team [//nas/team]");
    EXPECT_EQ((Volume{"/", ""}).displayText(), "/");
}

TEST(MountInfoPick, stackedMounts_theLastOneWins) {
    const auto volumes = mi::PickVolumes(
        Table("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                  "2 1 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n"
                  "3 2 0:60 / /media/usb rw - cifs //nas/over rw\n"),
        DiskLabels{});
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[1].mountPoint, "/media/usb");
    EXPECT_EQ(volumes[1].name, "//nas/over");
}

TEST(MountInfoPick, containerOverlayRoot_isStillTheFirstEntry) {
    const auto volumes = mi::PickVolumes(
        Table("600 500 0:40 / / rw - overlay overlay rw,lowerdir=/a,upperdir=/b\n"
                  "601 600 0:41 / /proc rw - proc proc rw\n"
                  "602 600 0:42 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw\n"
                  "603 600 254:1 /home/alice/work /work rw - ext4 /dev/vda1 rw\n"),
        DiskLabels{});
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0], (Volume{"/", ""}));
    EXPECT_EQ(volumes[1].mountPoint, "/work");
}

TEST(MountInfoPick, noMountTable_stillOffersTheRoot) {
    const auto volumes = mi::PickVolumes({}, DiskLabels{});
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].mountPoint, "/");
}

TEST(MountInfoNetwork, shareTypes_areNetworkAndLocalOnesAreNot) {
    for (const char* t : {"cifs", "smb3", "nfs", "nfs4", "fuse.sshfs", "fuse.gvfsd-fuse"})
        EXPECT_TRUE(mi::IsNetworkType(t)) << t;
    for (const char* t : {"ext4", "vfat", "tmpfs", "fuse.portal", "fuseblk"})
        EXPECT_FALSE(mi::IsNetworkType(t)) << t;
}

TEST(MountInfoNetwork, shareMountedUnderRunUser_isOffered) {
    const auto volumes = mi::PickVolumes(
        Table("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                  "2 1 0:70 / /run/user/1000/share rw - fuse.sshfs bob@host:/home/bob rw\n"
                  "3 1 0:71 / /sys/kernel/share rw - nfs host:/odd rw\n"),
        DiskLabels{});
    EXPECT_EQ(MountPoints(volumes), (std::vector<std::string>{"/", "/run/user/1000/share"}));
}
