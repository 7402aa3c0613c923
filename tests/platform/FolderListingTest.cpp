// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/RuntimeError.h"
#include "platform/FolderListing.h"
#include "platform/VolumeSource.h"
#include "platform/posix/SystemVolumeSource.h"
#include "support/TempTree.h"

namespace fs = std::filesystem;
using namespace orvalen;
using orvalen::platform::FolderListing;
using orvalen::platform::ListFolder;

namespace {

// A temporary tree per test, with short names for what these tests build.
class TempTree : public ::testing::Test {
protected:
    std::string path(const std::string& relative) const { return m_tree.path(relative); }
    void file(const std::string& relative) { m_tree.writeFile(relative, "x"); }
    void folder(const std::string& relative) { m_tree.makeFolder(relative); }
    void link(const std::string& relative, const std::string& target) { m_tree.makeLink(relative, target); }

    testsupport::TempTree m_tree;
    const fs::path m_root{m_tree.root()};
};

using Names = std::vector<std::string>;

}  // namespace

using FolderListingTest = TempTree;

TEST_F(FolderListingTest, foldersAndFiles_areSeparatedAndSorted) {
    folder("zeta");
    folder("Alpha");
    folder("mid");
    file("b.txt");
    file("a.txt");
    file("C.doc");
    const FolderListing listing = ListFolder(m_root.string());
    EXPECT_EQ(listing.folders, (Names{"Alpha", "mid", "zeta"}));
    EXPECT_EQ(listing.files, (Names{"C.doc", "a.txt", "b.txt"}));
}

TEST_F(FolderListingTest, hiddenEntries_areLeftOut) {
    folder(".git");
    folder("src");
    file(".profile");
    file("readme");
    const FolderListing listing = ListFolder(m_root.string());
    EXPECT_EQ(listing.folders, (Names{"src"}));
    EXPECT_EQ(listing.files, (Names{"readme"}));
}

TEST_F(FolderListingTest, linkToFolder_isAFolderAndLinkToFile_isAFile) {
    folder("real");
    file("data.bin");
    link("shortcut", path("real"));
    link("data-link", path("data.bin"));
    const FolderListing listing = ListFolder(m_root.string());
    EXPECT_EQ(listing.folders, (Names{"real", "shortcut"}));
    EXPECT_EQ(listing.files, (Names{"data-link", "data.bin"}));
}

TEST_F(FolderListingTest, danglingLinkAndPipe_areNeitherFolderNorFile) {
    file("kept");
    link("dangling", path("nowhere"));
    m_tree.makeFifo("pipe");
    const FolderListing listing = ListFolder(m_root.string());
    EXPECT_TRUE(listing.folders.empty());
    EXPECT_EQ(listing.files, (Names{"kept"}));
}

TEST_F(FolderListingTest, namesWithSpacesAndNonAscii_arePassedThroughUnchanged) {
    file("my report.txt");
    file("\xC3\xA9t\xC3\xA9.txt");  // "été.txt" in UTF-8
    const FolderListing listing = ListFolder(m_root.string());
    EXPECT_EQ(listing.files, (Names{"my report.txt", "\xC3\xA9t\xC3\xA9.txt"}));
}

TEST_F(FolderListingTest, emptyFolder_givesEmptyLists) {
    const FolderListing listing = ListFolder(m_root.string());
    EXPECT_TRUE(listing.folders.empty());
    EXPECT_TRUE(listing.files.empty());
}

TEST_F(FolderListingTest, missingFolder_failsWithPathNotFound) {
    try {
        ListFolder(path("gone"));
        FAIL() << "listing a missing folder succeeded";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::kPathNotFound);
    }
}

TEST_F(FolderListingTest, fileInsteadOfFolder_failsWithPathNotFound) {
    file("plain");
    try {
        ListFolder(path("plain"));
        FAIL() << "listing a file as a folder succeeded";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::kPathNotFound);
    }
}

TEST_F(FolderListingTest, manyFiles_areAllListed) {
    for (int i = 0; i < 2000; ++i) file("f" + std::to_string(i));
    const FolderListing listing = ListFolder(m_root.string());
    EXPECT_EQ(listing.files.size(), 2000u);
    EXPECT_TRUE(std::is_sorted(listing.files.begin(), listing.files.end()));
}

using SystemVolumeSourceTest = TempTree;

TEST_F(SystemVolumeSourceTest, mountTableFromFile_withLabelsFromLinks) {
    m_tree.writeFile("mountinfo", "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                  "2 1 0:22 / /proc rw - proc proc rw\n"
                                  "3 1 0:23 / " + path("stick") + " rw - vfat " + path("devices/stick") + " rw\n");
    // A label link as udev makes them, pointing at the (here: plain) device.
    folder("by-label");
    folder("devices");
    file("devices/stick");
    link("by-label/Holiday\\x20Photos", path("devices/stick"));

    platform::posix::SystemVolumeSource source(path("mountinfo"), path("by-label"));
    const auto volumes = source.volumes();
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].mountPoint, "/");
    EXPECT_EQ(volumes[0].name, "sda1");
    EXPECT_EQ(volumes[1].mountPoint, path("stick"));
    EXPECT_EQ(volumes[1].name, "Holiday Photos");
}

TEST_F(SystemVolumeSourceTest, missingMountTable_stillOffersTheRoot) {
    platform::posix::SystemVolumeSource source(path("no-such-table"), path("no-labels"));
    const auto volumes = source.volumes();
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].mountPoint, "/");
    EXPECT_TRUE(source.readLabels().byDevicePath.empty());
}

TEST_F(SystemVolumeSourceTest, thisMachine_listsTheRootFirst) {
    const auto source = platform::MakeSystemVolumeSource();
    const auto volumes = source->volumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes[0].mountPoint, "/");
    for (const auto& v : volumes) {
        EXPECT_NE(v.mountPoint.rfind("/proc", 0), 0u) << v.mountPoint;
        EXPECT_NE(v.mountPoint.rfind("/sys", 0), 0u) << v.mountPoint;
    }
}

TEST_F(SystemVolumeSourceTest, openVolume_succeedsOnAFolderAndNamesAMissingOne) {
    const auto source = platform::MakeSystemVolumeSource();
    EXPECT_NO_THROW(source->openVolume(m_root.string()));
    try {
        source->openVolume(path("unplugged"));
        FAIL() << "opening a missing volume succeeded";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::kPathNotFound);
    }
}

TEST_F(SystemVolumeSourceTest, listFolder_readsTheRealFolder) {
    folder("sub");
    file("one");
    const auto source = platform::MakeSystemVolumeSource();
    const FolderListing listing = source->listFolder(m_root.string());
    EXPECT_EQ(listing.folders, (Names{"sub"}));
    EXPECT_EQ(listing.files, (Names{"one"}));
}
