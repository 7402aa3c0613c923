// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ui/logic/BrowseLogic.h"

namespace orvalen::ui {
namespace {

std::string describe(const std::vector<FolderRow>& rows) {
    std::string out;
    for (const FolderRow& r : rows)
        out += std::to_string(r.level) + (r.open ? "+" : "-") + r.text + "=" + r.path + " ";
    return out;
}

TEST(BrowseLogic, folderRowsAreTheAncestorsThenTheSubFolders) {
    struct Case {
        std::string open;
        std::vector<std::string> subFolders;
        std::string rows;
    } cases[] = {
        {"/", {"home", "mnt"}, "0+/=/ 1-home=/home 1-mnt=/mnt "},
        {"/home/u", {}, "0+/=/ 1+home=/home 2+u=/home/u "},
        {"/mnt/share", {"a b"}, "0+/=/ 1+mnt=/mnt 2+share=/mnt/share 3-a b=/mnt/share/a b "},
        // Names are bytes: one that is not UTF-8 stays as it is.
        {"/x\xff", {"\xfe"}, "0+/=/ 1+x\xff=/x\xff 2-\xfe=/x\xff/\xfe "},
    };
    for (const Case& c : cases) EXPECT_EQ(describe(FolderRows(c.open, c.subFolders)), c.rows) << c.open;
}

TEST(BrowseLogic, theHighlightIsTheNamedSubFolderElseTheOpenFolder) {
    const std::vector<FolderRow> rows = FolderRows("/home", {"a", "home", "b"});
    EXPECT_EQ(HighlightedRow(rows, "b"), 4u);
    EXPECT_EQ(HighlightedRow(rows, "home"), 3u);  // the sub-folder, not the open one
    EXPECT_EQ(HighlightedRow(rows, "gone"), 1u);
    EXPECT_EQ(HighlightedRow(rows, ""), 1u);
}

TEST(BrowseLogic, aFolderBelongsToTheLongestMountPointHoldingIt) {
    const std::vector<std::string> mounts = {"/", "/mnt/share", "/mnt/share/inner", "/media/usb"};
    struct Case {
        const char* folder;
        const char* volume;
    } cases[] = {
        {"/home/u", "/"},
        {"/mnt/share", "/mnt/share"},
        {"/mnt/share/inner/x", "/mnt/share/inner"},
        {"/mnt/shared", "/"},  // a name that only starts like a mount point
        {"/media/usb/a", "/media/usb"},
    };
    for (const Case& c : cases) EXPECT_EQ(VolumeOf(c.folder, mounts), c.volume) << c.folder;
    EXPECT_EQ(VolumeOf("/x", {"/mnt"}), "");
}

}  // namespace
}  // namespace orvalen::ui
