// SPDX-License-Identifier: GPL-3.0-or-later
// The drive list and folder listing on Wine's drives. E: is mapped to a
// device that is gone, Q: is not mapped at all (see wine-fixtures.sh).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "platform/VolumeSource.h"
#include "support/DriveTree.h"
#include "support/RuntimeNumber.h"

using testsupport::DriveTree;
using testsupport::RuntimeNumberOf;
namespace err = orvalen::err;

TEST(WindowsVolumes, driveList_holdsTheLettersThatExist_asRoots) {
    const auto source = orvalen::platform::MakeSystemVolumeSource();
    std::vector<std::string> roots;
    for (const auto& volume : source->volumes()) roots.push_back(volume.mountPoint);
    for (const char* root : {"C:\\", "D:\\", "E:\\", "F:\\"})
        EXPECT_NE(std::find(roots.begin(), roots.end(), root), roots.end()) << root;
    EXPECT_EQ(std::find(roots.begin(), roots.end(), "Q:\\"), roots.end());
    EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end()));
}

TEST(WindowsVolumes, aDriveWhoseDeviceIsGone_isNotReady) {
    const auto source = orvalen::platform::MakeSystemVolumeSource();
    EXPECT_EQ(RuntimeNumberOf([&] { source->openVolume("E:\\"); }), err::kDeviceUnavailable);
    EXPECT_EQ(RuntimeNumberOf([&] { source->openVolume("D:\\"); }), 0);
}

TEST(WindowsVolumes, folderListing_subFoldersAndOrdinaryFiles_sorted_hiddenLeftOut) {
    DriveTree share{"D:\\Share"};
    share.makeFolder("Zeta");
    share.makeFolder("Alpha");
    share.writeFile("b.txt", "b");
    share.writeFile("Ärger.txt", "ä");
    const std::string hidden = share.writeFile("hidden.txt", "h");
    ASSERT_TRUE(::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const auto listing = orvalen::platform::MakeSystemVolumeSource()->listFolder("D:\\Share");
    EXPECT_EQ(listing.folders, (std::vector<std::string>{"Alpha", "Zeta"}));
    EXPECT_EQ(listing.files, (std::vector<std::string>{"b.txt", "Ärger.txt"}));
    EXPECT_EQ(RuntimeNumberOf([] { orvalen::platform::ListFolder("D:\\Share\\none"); }), err::kPathNotFound);
}
