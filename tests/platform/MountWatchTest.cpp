// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/MountWatch.h"

using orvalen::platform::MountEntry;
using orvalen::platform::MountWatch;

namespace {

MountEntry Mount(const std::string& point) { return MountEntry{"0:1", "/", point, "ext4", "dev"}; }

const std::vector<MountEntry> kRootOnly{Mount("/")};
const std::vector<MountEntry> kShareUp{Mount("/"), Mount("/mnt/team")};
const std::string kDest = "/mnt/team/reports/";

struct Look {
    std::vector<MountEntry> mounts;
    std::string existing;  // the destination's nearest existing folder then
    bool gone;
};

struct Case {
    const char* name;
    std::vector<std::string> fstab;
    std::vector<Look> looks;  // one pass after another, the same destination
};

class MountWatchTest : public ::testing::TestWithParam<Case> {};

TEST_P(MountWatchTest, tellsAGoneShareFromAMissingFolder) {
    MountWatch watch;
    int pass = 0;
    for (const Look& look : GetParam().looks) {
        EXPECT_EQ(watch.isGoneElseRecord(kDest, "/mnt/team/reports", look.existing, look.mounts, GetParam().fstab),
                  look.gone)
            << "pass " << pass;
        ++pass;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Passes, MountWatchTest,
    ::testing::Values(
        Case{"unmountedAfterBeingSeen", {},
             {{kShareUp, "/mnt/team/reports", false}, {kRootOnly, "/mnt/team", true},
              {kRootOnly, "/mnt/team", true}, {kShareUp, "/mnt/team/reports", false}}},
        Case{"folderDeletedOnTheShare", {},
             {{kShareUp, "/mnt/team/reports", false}, {kShareUp, "/mnt/team", false}}},
        Case{"mountedOnlyAfterTheRunStarted", {},
             {{kRootOnly, "/mnt/team", false}, {kShareUp, "/mnt/team", false}, {kRootOnly, "/mnt/team", true}}},
        Case{"listedInFstabAndNotMounted", {"/", "/mnt/team"},
             {{kRootOnly, "/mnt/team", true}, {kShareUp, "/mnt/team/reports", false}}},
        Case{"fstabEntryElsewhere", {"/", "/mnt/other", "/mnt/te"}, {{kRootOnly, "/mnt/team", false}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The desktops' per-user share mounts: the mount stays, a share is a folder in it.
struct UserMountCase {
    const char* name;
    std::vector<MountEntry> mounts;
    std::string resolved, existing;
    bool gone;
};

class UserMountTest : public ::testing::TestWithParam<UserMountCase> {};

TEST_P(UserMountTest, aMissingShareFolderIsAGoneShare) {
    MountWatch watch;
    watch.setUserRuntimeDirs({"/run/user/1000"});
    const UserMountCase& c = GetParam();
    EXPECT_EQ(watch.isGoneElseRecord(c.resolved + "/", c.resolved, c.existing, c.mounts, {}), c.gone);
}

const std::string kGvfs = "/run/user/1000/gvfs";
const std::string kSmb = kGvfs + "/smb-share:server=nas,share=team";
const std::string kKio = "/run/user/1000/kio-fuse-AbC123";
const std::vector<MountEntry> kGvfsUp{Mount("/"), MountEntry{"0:50", "/", kGvfs, "fuse.gvfsd-fuse", "gvfsd-fuse"}};
const std::vector<MountEntry> kKioUp{Mount("/"), MountEntry{"0:51", "/", kKio, "fuse.kio-fuse", "kio-fuse"}};

INSTANTIATE_TEST_SUITE_P(
    Mounts, UserMountTest,
    ::testing::Values(
        UserMountCase{"gvfsShareEjected", kGvfsUp, kSmb + "/reports", kGvfs, true},
        UserMountCase{"gvfsShareItselfEjected", kGvfsUp, kSmb, kGvfs, true},
        UserMountCase{"gvfsFolderDeletedOnTheShare", kGvfsUp, kSmb + "/reports/2026", kSmb, false},
        UserMountCase{"gvfsFuseNotRunning", {Mount("/")}, kSmb + "/reports", "/run/user/1000", true},
        UserMountCase{"kioSmbShareGone", kKioUp, kKio + "/smb/nas/team/reports", kKio + "/smb/nas", true},
        UserMountCase{"kioSmbFolderDeleted", kKioUp, kKio + "/smb/nas/team/reports", kKio + "/smb/nas/team", false},
        UserMountCase{"kioSftpHostGone", kKioUp, kKio + "/sftp/nas/home/ann", kKio, true},
        UserMountCase{"kioSftpFolderDeleted", kKioUp, kKio + "/sftp/nas/home/ann", kKio + "/sftp/nas", false},
        UserMountCase{"otherRuntimeFolder", {Mount("/")}, "/run/user/1000/doc/x", "/run/user/1000", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
