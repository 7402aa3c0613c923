// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MountWatch.h"

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
        EXPECT_EQ(watch.isGone(kDest, "/mnt/team/reports", look.existing, look.mounts, GetParam().fstab), look.gone)
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

TEST(FstabMountPoints, skipsCommentsSwapAndDecodesEscapes) {
    const auto points = orvalen::platform::mountinfo::ParseFstabMountPoints(
        "# comment\n\nUUID=1 / ext4 defaults 0 1\n  #x /nope ext4\n/dev/sda2 none swap sw 0 0\n"
        "//srv/team /mnt/my\\040team cifs noauto,user 0 0\n");
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/mnt/my team"}));
}

}  // namespace
