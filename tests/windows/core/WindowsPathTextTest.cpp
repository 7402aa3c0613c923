// SPDX-License-Identifier: GPL-3.0-or-later
// Paths as Windows writes them: drive roots of three characters, "\" between names.
#include <gtest/gtest.h>

#include "core/GuardEngine.h"
#include "core/PathText.h"
#include "support/FakeRunHost.h"

using orvalen::path::GetParentFolderName;
using orvalen::path::Join;

TEST(WindowsPathText, parentFolderName_fromTheTextAlone) {
    const struct {
        const char* path;
        const char* parent;
    } cases[] = {
        {"D:\\Share\\new\\report.doc", "D:\\Share\\new"},
        {"D:\\Share\\new\\", "D:\\Share"},
        {"D:\\Share", "D:\\"},
        {"D:\\", ""},
        {"", ""},
        {"Q:\\never\\there", "Q:\\never"},
    };
    for (const auto& c : cases) EXPECT_EQ(GetParentFolderName(c.path), c.parent) << c.path;
}

TEST(WindowsPathText, join_addsOneSeparatorExceptAfterARoot) {
    for (const char* folder : {"D:\\Share", "D:\\Share\\"}) EXPECT_EQ(Join(folder, "r.doc"), "D:\\Share\\r.doc");
    EXPECT_EQ(Join("D:\\", "r.doc"), "D:\\r.doc");
}

TEST(WindowsPathText, aDriveRootKeepsItsSeparatorAndHoldsItsPaths) {
    using orvalen::path::IsAtOrBelow;
    using orvalen::path::TrimTrailingSeparators;
    for (const char* root : {"D:\\", "D:\\\\"}) EXPECT_EQ(TrimTrailingSeparators(root), "D:\\") << root;
    EXPECT_EQ(TrimTrailingSeparators("D:\\Share\\"), "D:\\Share");
    EXPECT_TRUE(IsAtOrBelow("D:\\Share\\r.doc", "D:\\"));
    EXPECT_FALSE(IsAtOrBelow("D:\\Sharex", "D:\\Share"));
}

TEST(WindowsPathText, findName_takesWhatFollowsTheLastSeparator) {
    testsupport::GuardRig rig;
    orvalen::mdlMain& shared = rig.shared;
    orvalen::GuardEngine& engine = rig.engine;
    const struct {
        const char* source;
        const char* name;
    } cases[] = {{"C:\\Work\\report.doc", "report.doc"}, {"C:\\Work\\Photos", "Photos"}, {"E:\\", ""}};
    for (const auto& c : cases) {
        shared.SourcePath = c.source;
        shared.ItemName = "before";
        engine.FindName();
        EXPECT_EQ(shared.ItemName, c.name) << c.source;
    }
}
