// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/PathText.h"

using orvalen::path::EndsWithSeparator;
using orvalen::path::GetParentFolderName;
using orvalen::path::IsAtOrBelow;
using orvalen::path::Join;
using orvalen::path::LastComponent;
using orvalen::path::TrimTrailingSeparators;

TEST(PathText, parentFolderName_worksOnTheTextAlone) {
    EXPECT_EQ(GetParentFolderName("/srv/share/new/report.doc"), "/srv/share/new");
    EXPECT_EQ(GetParentFolderName("/srv/share/new/"), "/srv/share");
    EXPECT_EQ(GetParentFolderName("/srv"), "/");
    EXPECT_EQ(GetParentFolderName("/"), "");
    EXPECT_EQ(GetParentFolderName(""), "");
    EXPECT_EQ(GetParentFolderName("/does/not/exist/at/all"), "/does/not/exist/at");
}

TEST(PathText, parentFolderName_ofOddForms) {
    EXPECT_EQ(GetParentFolderName("name"), "") << "a bare name has no parent";
    EXPECT_EQ(GetParentFolderName("a/b"), "a");
    EXPECT_EQ(GetParentFolderName("//srv"), "/");
    EXPECT_EQ(GetParentFolderName("/srv//share"), "/srv");
}

TEST(PathText, parentWalk_reachesEmptyTextAndStays) {
    std::string p = "/a/b/c";
    int steps = 0;
    while (!p.empty() && steps < 10) {
        p = GetParentFolderName(p);
        ++steps;
    }
    EXPECT_EQ(steps, 4);  // /a/b, /a, /, ""
    EXPECT_EQ(GetParentFolderName(p), "");
}

TEST(PathText, join_addsOneSeparator) {
    EXPECT_EQ(Join("/srv", "a.txt"), "/srv/a.txt");
    EXPECT_EQ(Join("/", "a.txt"), "/a.txt");
    EXPECT_EQ(Join("/srv/", "a.txt"), "/srv/a.txt");
    EXPECT_TRUE(EndsWithSeparator("/"));
    EXPECT_FALSE(EndsWithSeparator("/srv"));
    EXPECT_FALSE(EndsWithSeparator(""));
}

TEST(PathText, isAtOrBelow_comparesWholeNames) {
    const struct {
        const char* path;
        const char* folder;
        bool atOrBelow;
    } cases[] = {
        {"/srv/share", "/srv", true},  {"/srv", "/srv", true},        {"/srv/", "/srv", true},
        {"/srvx", "/srv", false},      {"/sr", "/srv", false},        {"/srv/share", "/", true},
        {"/", "/", true},              {"", "/", false},              {"/srv/share", "/srv/", true},
        {"/srv", "/srv/share", false}, {"srv/share", "/srv", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAtOrBelow(c.path, c.folder), c.atOrBelow) << c.path << " in " << c.folder;
}

TEST(PathText, trimAndLastComponent_keepTheRoot) {
    const struct {
        const char* path;
        const char* trimmed;
        const char* last;
    } cases[] = {
        {"/srv/share/", "/srv/share", ""}, {"/srv//", "/srv", ""}, {"/", "/", ""},  {"//", "/", ""},
        {"/srv/a.txt", "/srv/a.txt", "a.txt"}, {"name", "name", "name"}, {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimTrailingSeparators(c.path), c.trimmed) << c.path;
        EXPECT_EQ(LastComponent(c.path), c.last) << c.path;
    }
}
