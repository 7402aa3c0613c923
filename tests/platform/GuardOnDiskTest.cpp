// SPDX-License-Identifier: GPL-3.0-or-later
// The guard pass over real folders, through the machine's file-system service.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/GuardEngine.h"
#include "platform/LocalFileSystem.h"
#include "support/FakeRunHost.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

using orvalen::GuardEngine;
using orvalen::mdlMain;
using orvalen::RunControl;
using orvalen::UserPrompt;
using testsupport::TempTree;

namespace {

class GuardOnDisk : public ::testing::Test {
protected:
    GuardOnDisk() {
        shared.MakeFileSystem = orvalen::platform::MakeLocalFileSystem;
        share = tree.makeFolder("share") + "/";
        view.interval = "1";
        shared.Items.append("/placeholder", share, true);
        run.Start();
        shared.Items.remove(0);
    }

    void pass() { engine.tmrTimer_Timer(); }

    TempTree tree;
    std::string share;
    mdlMain shared;
    testsupport::FakeRunView view;
    testsupport::FakeTimer timer;
    testsupport::ScriptedPrompt prompt;
    RunControl run{shared.Items, view, timer, prompt};
    GuardEngine engine{shared, prompt, run};
};

}  // namespace

TEST_F(GuardOnDisk, deletedAndAlteredCopies_comeBack) {
    const std::string report = tree.writeFile("work/report.doc", "quarterly figures");
    const std::string photos = tree.makeFolder("work/photos");
    tree.writeFile("work/photos/a.jpg", "aaaa");
    tree.writeFile("work/photos/deep/b.jpg", "bb");
    shared.Items.append(report, share + "new/deeper/", true);
    shared.Items.append(photos, share, false);

    pass();
    EXPECT_EQ(TempTree::readFile(share + "new/deeper/report.doc"), "quarterly figures");
    EXPECT_EQ(TempTree::readFile(share + "photos/deep/b.jpg"), "bb");

    ASSERT_EQ(::unlink((share + "new/deeper/report.doc").c_str()), 0);
    tree.writeFile("share/photos/a.jpg", "changed size");
    pass();
    EXPECT_EQ(TempTree::readFile(share + "new/deeper/report.doc"), "quarterly figures");
    EXPECT_EQ(TempTree::readFile(share + "photos/a.jpg"), "aaaa");
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_TRUE(timer.isActive());
}

TEST_F(GuardOnDisk, sameSizedStranger_isLeftAlone) {
    const std::string report = tree.writeFile("work/report.doc", "1234");
    tree.writeFile("share/report.doc", "abcd");
    shared.Items.append(report, share, true);
    pass();
    EXPECT_EQ(TempTree::readFile(share + "report.doc"), "abcd") << "only sizes are compared";
}

TEST_F(GuardOnDisk, linkPlantedAtAFolderCopysPath_isReplacedByTheRealCopy) {
    const std::string photos = tree.makeFolder("work/photos");
    tree.writeFile("work/photos/a.jpg", "aaaa");
    // A link to a folder of the same total size must not pass for the copy.
    const std::string elsewhere = tree.makeFolder("elsewhere");
    tree.writeFile("elsewhere/x.bin", "xxxx");
    tree.makeLink("share/photos", elsewhere);
    shared.Items.append(photos, share, false);

    pass();
    EXPECT_TRUE(S_ISDIR(testsupport::lstatOf(share + "photos").st_mode));
    EXPECT_EQ(TempTree::readFile(share + "photos/a.jpg"), "aaaa");
    EXPECT_EQ(TempTree::entryNames(elsewhere), std::vector<std::string>{"x.bin"})
        << "nothing was written through the link";
}

TEST_F(GuardOnDisk, linkPlantedAtAFileCopysPath_isReplaced) {
    const std::string report = tree.writeFile("work/report.doc", "mine");
    const std::string target = tree.writeFile("elsewhere/target.txt", "abcd");
    tree.makeLink("share/report.doc", target);
    shared.Items.append(report, share, true);
    pass();
    EXPECT_TRUE(S_ISREG(testsupport::lstatOf(share + "report.doc").st_mode));
    EXPECT_EQ(TempTree::readFile(share + "report.doc"), "mine");
    EXPECT_EQ(TempTree::readFile(target), "abcd");
}

TEST_F(GuardOnDisk, readOnlyShare_asksWithTheCopysPath_andCancelStops) {
    const std::string report = tree.writeFile("work/report.doc", "mine");
    auto mount = testsupport::ScopedMount::readOnlyBind(tree.path("share"));
    if (!mount.mounted()) GTEST_SKIP() << mount.whyNot();
    shared.Items.append(report, share, true);
    prompt.answers = {UserPrompt::Answer::Retry, UserPrompt::Answer::Cancel};
    pass();
    ASSERT_EQ(prompt.questions.size(), 2u);
    EXPECT_EQ(prompt.questions[0], "The destination file " + share +
                                       "report.doc is in use, or you do not have access to the "
                                       "destination path.");
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(view.status, "Ready");
}

TEST_F(GuardOnDisk, missingSourceFolder_asksAndRetrySucceedsOnceItIsThere) {
    const std::string photos = tree.path("work/photos");
    shared.Items.append(photos, share, false);
    prompt.answers = {UserPrompt::Answer::Retry};
    prompt.whileAsking = [&] { tree.writeFile("work/photos/a.jpg", "aaaa"); };
    pass();
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_NE(prompt.questions[0].find("The source folder " + photos + " does not exist."),
              std::string::npos)
        << prompt.questions[0];
    EXPECT_EQ(TempTree::readFile(share + "photos/a.jpg"), "aaaa");
}
