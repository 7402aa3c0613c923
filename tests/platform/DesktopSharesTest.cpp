// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/posix/DesktopShares.h"
#include "platform/posix/MountInfo.h"
#include "platform/posix/MountTables.h"
#include "support/TempTree.h"

using namespace orvalen::platform;

TEST(DesktopShares, onlySharesInsideAVisibleGvfsFuseMount_joinUnderTheDesktopsName_sorted) {
    const std::string table =
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 8:17 / /media/STICK rw - vfat /dev/sdb1 rw\n"
        "3 1 0:46 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
        "4 1 8:2 / /srv rw - ext4 /dev/sda2 rw\n";
    const std::string gvfs = "/run/user/1000/gvfs", smb = gvfs + "/smb-share:server=nas,share=x", sftp = gvfs + "/sftp:b";
    const auto list = [](std::vector<std::string> middle) {
        middle.insert(middle.begin(), {"/ [sda1]", "/media/STICK [sdb1]"});
        middle.push_back("/srv [sda2]");
        return middle;
    };
    struct Case {
        std::string hidingMount;
        std::vector<desktopshares::DesktopMount> desktop;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"", {{smb, "x on nas"}, {sftp, "b"}}, list({gvfs + " [gvfs]", sftp + " [b]", smb + " [x on nas]"})},
        {"", {{sftp, ""}, {sftp, "again"}}, list({gvfs + " [gvfs]", sftp + " [sftp:b]"})},  // no name; twice
        // The desktop's disks, the FUSE folder itself and a look-alike sibling.
        {"", {{"/media/STICK", "Stick"}, {"/", "Root"}, {gvfs, "g"}, {gvfs + "x/y", "y"}}, list({gvfs + " [gvfs]"})},
        // A FUSE mount hidden by a later mount: its shares cannot be reached.
        {"5 1 0:60 / /run/user/1000/gvfs rw - tmpfs tmpfs rw\n", {{smb, "x on nas"}}, list({})},
    };
    const testsupport::TempTree tree;
    for (const Case& c : cases) {
        const auto mounts = posix::ReadMountTable(tree.writeFile("mountinfo", table + c.hidingMount));
        std::vector<std::string> shown;
        for (const Volume& v : desktopshares::AddDesktopShares(mountinfo::PickVolumes(mounts, {}), mounts, c.desktop))
            shown.push_back(v.displayText());
        EXPECT_EQ(shown, c.expected) << c.desktop[0].path;
        EXPECT_EQ(desktopshares::HasGvfsFuse(mounts), c.hidingMount.empty());
    }
}
