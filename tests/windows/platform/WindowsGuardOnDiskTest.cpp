// SPDX-License-Identifier: GPL-3.0-or-later
// The guard pass over Wine's drives with the examples' own paths:
// C:\Work\report.doc and C:\Work\Photos guarded into D:\Share\.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "core/GuardEngine.h"
#include "platform/LocalFileSystem.h"
#include "support/DriveTree.h"
#include "support/FakeRunHost.h"
#include "support/RuntimeNumber.h"

using orvalen::UserPrompt;
using testsupport::DriveTree;

namespace {

class WindowsGuard : public ::testing::Test, public testsupport::GuardRig {
protected:
    WindowsGuard() {
        shared.MakeFileSystem = orvalen::platform::MakeLocalFileSystem;
        view.interval = "1";
        shared.Items.append("C:\\placeholder", "D:\\Share\\", true);
        run.Start();
        shared.Items.remove(0);
    }

    DriveTree work{"C:\\Work"};
    DriveTree share{"D:\\Share"};
};

}  // namespace

TEST_F(WindowsGuard, recopyRules) {
    const struct {
        const char* rule;
        std::function<void(DriveTree&)> before;  // what stands at D:\Share
        const char* source;
        const char* copy;  // expected content of the file checked
        const char* checked;
    } cases[] = {
        {"missing copy is copied", [](DriveTree&) {}, "C:\\Work\\report.doc", "figures", "D:\\Share\\report.doc"},
        {"copy of another size is replaced", [](DriveTree& s) { s.writeFile("report.doc", "old"); },
         "C:\\Work\\report.doc", "figures", "D:\\Share\\report.doc"},
        {"same-sized stranger stays", [](DriveTree& s) { s.writeFile("report.doc", "FIGURES"); },
         "C:\\Work\\report.doc", "FIGURES", "D:\\Share\\report.doc"},
        {"folder missing a file is copied again", [](DriveTree& s) { s.writeFile("Photos\\b.jpg", "bb"); },
         "C:\\Work\\Photos", "aaaa", "D:\\Share\\Photos\\a.jpg"},
        {"extra file makes the folder copy again and stays",
         [](DriveTree& s) {
             s.writeFile("Photos\\a.jpg", "AAAA");
             s.writeFile("Photos\\b.jpg", "bb");
             s.writeFile("Photos\\extra.txt", "x");
         },
         "C:\\Work\\Photos", "aaaa", "D:\\Share\\Photos\\a.jpg"},
    };
    for (const auto& c : cases) {
        DriveTree::clear(share.root());
        work.writeFile("report.doc", "figures");
        work.writeFile("Photos\\a.jpg", "aaaa");
        work.writeFile("Photos\\b.jpg", "bb");
        c.before(share);
        while (shared.Items.count() > 0) shared.Items.remove(0);
        shared.Items.append(c.source, "D:\\Share\\", std::string(c.source).ends_with(".doc"));
        pass();
        EXPECT_EQ(DriveTree::readFile(c.checked), c.copy) << c.rule;
        EXPECT_TRUE(prompt.questions.empty()) << c.rule;
    }
    EXPECT_TRUE(DriveTree::exists("D:\\Share\\Photos\\extra.txt"));
}

TEST_F(WindowsGuard, missingFoldersAboveTheCopy_areCreatedTopmostFirst) {
    work.writeFile("report.doc", "figures");
    shared.Items.append("C:\\Work\\report.doc", "D:\\Share\\new\\deeper\\", true);
    pass();
    EXPECT_EQ(DriveTree::readFile("D:\\Share\\new\\deeper\\report.doc"), "figures");
}

TEST_F(WindowsGuard, destinationOnAMissingDrive_failsWith9AfterAHundredLevels_creatingNothing) {
    ASSERT_FALSE(::GetLogicalDrives() & (1u << ('Q' - 'A')));
    shared.DestinationPath = "Q:\\Share\\new\\report.doc";
    EXPECT_EQ(testsupport::RuntimeNumberOf([&] { engine.CreateDestinationFolder(); }),
              orvalen::err::kSubscriptOutOfRange);
    EXPECT_EQ(shared.PathLevels[3], "Q:\\");
    EXPECT_EQ(shared.PathLevels[100], "");
    EXPECT_FALSE(DriveTree::exists("Q:\\Share"));
}

TEST_F(WindowsGuard, driveRootSource_isCopiedIntoTheDestinationItself) {
    DriveTree::clear("F:\\");
    DriveTree drive{"F:\\Album"};
    drive.writeFile("a.jpg", "aaaa");
    shared.Items.append("F:\\", "D:\\Share\\", false);
    pass();
    EXPECT_EQ(DriveTree::readFile("D:\\Share\\Album\\a.jpg"), "aaaa");
}

TEST_F(WindowsGuard, missingSourceFolder_asks_andRetryGoesOnOnceItIsThere) {
    shared.Items.append("C:\\Work\\Photos", "D:\\Share\\", false);
    prompt.answers = {UserPrompt::Answer::Retry};
    prompt.whileAsking = [&] { work.writeFile("Photos\\a.jpg", "aaaa"); };
    pass();
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].rfind("The source folder C:\\Work\\Photos does not exist.", 0), 0u)
        << prompt.questions[0];
    EXPECT_EQ(DriveTree::readFile("D:\\Share\\Photos\\a.jpg"), "aaaa");
}

TEST_F(WindowsGuard, missingSourceFileAtRowTwo_endsThePassSilentlyThere) {
    for (const char* name : {"r0.doc", "r1.doc", "r3.doc", "r4.doc"}) work.writeFile(name, "x");
    for (const char* name : {"r0.doc", "r1.doc", "r2.doc", "r3.doc", "r4.doc"})
        shared.Items.append(std::string("C:\\Work\\") + name, "D:\\Share\\", true);
    pass();
    EXPECT_EQ(DriveTree::entryNames(share.root()), (std::vector<std::string>{"r0.doc", "r1.doc"}));
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_TRUE(timer.isActive());
}

TEST_F(WindowsGuard, copyHeldOpenWithoutSharing_asksWithItsFullPath_andRetryCopiesOnceClosed) {
    work.writeFile("report.doc", "figures");
    share.writeFile("report.doc", "old");
    HANDLE held = ::CreateFileW(L"D:\\Share\\report.doc", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    shared.Items.append("C:\\Work\\report.doc", "D:\\Share\\", true);
    prompt.answers = {UserPrompt::Answer::Retry};
    prompt.whileAsking = [&] { ::CloseHandle(held); };
    pass();
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0],
              "The destination file D:\\Share\\report.doc is in use, or you do not have access to the "
              "destination path.");
    EXPECT_EQ(DriveTree::readFile("D:\\Share\\report.doc"), "figures");
    EXPECT_EQ(DriveTree::entryNames(share.root()), std::vector<std::string>{"report.doc"});
}
