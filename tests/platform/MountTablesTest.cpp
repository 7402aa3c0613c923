// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/MountTables.h"
#include "platform/posix/MountWatch.h"
#include "support/TempTree.h"

using namespace orvalen::platform;
using testsupport::TempTree;

TEST(MountTables, mountInfoLine_givesDeviceRootPointTypeAndSource) {
    const TempTree tree;
    const auto mounts = posix::ReadMountTable(tree.writeFile(
        "mountinfo",
        "36 35 98:0 /mnt1 /mnt/parent\\040dir rw,noatime master:1 shared:2 - ext3 /dev/root rw,errors=continue\n"
        "48 28 0:50 / /mnt/team rw,relatime - cifs //nas/team rw,vers=3.1.1\n"));
    EXPECT_EQ(mounts, (std::vector<MountEntry>{{"98:0", "/mnt1", "/mnt/parent dir", "ext3", "/dev/root"},
                                               {"0:50", "/", "/mnt/team", "cifs", "//nas/team"}}));
    EXPECT_TRUE(posix::ReadMountTable(tree.path("missing")).empty());
}

TEST(MountTables, fstabMountPointWithTrailingSlash_isTheFolderAndItsShareIsGoneWhenUnmounted) {
    const TempTree tree;
    const auto points = posix::ReadFstabMountPoints(tree.writeFile(
        "fstab",
        "# comment\n\nUUID=1 / ext4 defaults 0 1\n/dev/sda2 none swap sw 0 0\n"
        "LABEL=Big\\040Disk /mnt/my\\040disk ext4 noauto 0 0\n"
        "//srv/team /mnt/team/ cifs noauto,user 0 0\n"));
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/mnt/my disk", "/mnt/team"}));

    MountWatch watch;
    const std::vector<MountEntry> rootOnly{{"8:1", "/", "/", "ext4", "/dev/sda1"}};
    EXPECT_TRUE(watch.isGoneElseRecord("/mnt/team/reports/", "/mnt/team/reports", "/mnt/team", rootOnly, points));
}
