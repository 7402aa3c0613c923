// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "core/GuardEngine.h"
#include "core/RuntimeError.h"
#include "support/FakeFileSystem.h"
#include "support/FakeRunHost.h"

using orvalen::GuardEngine;
using orvalen::mdlMain;
using orvalen::RunControl;
using orvalen::UserPrompt;
namespace err = orvalen::err;
using testsupport::FakeFileSystem;
using testsupport::FakeRunView;
using testsupport::FakeTimer;
using testsupport::ScriptedPrompt;

namespace {

constexpr UserPrompt::Answer kRetry = UserPrompt::Answer::Retry;
constexpr UserPrompt::Answer kCancel = UserPrompt::Answer::Cancel;

class GuardEngineTest : public ::testing::Test {
protected:
    GuardEngineTest() {
        auto owned = std::make_unique<FakeFileSystem>();
        fs = owned.get();
        shared.MakeFileSystem = [&owned]() -> std::unique_ptr<orvalen::FileSystem> {
            return std::move(owned);
        };
        shared.FileSys();  // made now so the fake stays reachable through `fs`
        fs->addFolder("/share");
        view.interval = "1";
        shared.Items.append("/placeholder", "/share/", true);
        run.Start();  // a pass runs inside a running guard
        shared.Items.remove(0);
    }

    void addFileItem(const std::string& source, const std::string& destination) {
        shared.Items.append(source, destination, true);
    }
    void addFolderItem(const std::string& source, const std::string& destination) {
        shared.Items.append(source, destination, false);
    }
    void pass() { engine.tmrTimer_Timer(); }

    // Position of `entry` in the call log, or -1.
    int at(const std::string& entry) const {
        const auto& log = fs->log();
        auto it = std::find(log.begin(), log.end(), entry);
        return it == log.end() ? -1 : static_cast<int>(it - log.begin());
    }

    mdlMain shared;
    FakeFileSystem* fs = nullptr;
    FakeRunView view;
    FakeTimer timer;
    ScriptedPrompt prompt;
    RunControl run{shared.Items, view, timer, prompt};
    GuardEngine engine{shared, prompt, run};
};

}  // namespace

// --- the recopy rule table --------------------------------------------------

TEST_F(GuardEngineTest, fileItem_missingCopy_isCopied) {
    fs->addFile("/work/report.doc", 100);
    addFileItem("/work/report.doc", "/share/");
    pass();
    ASSERT_TRUE(fs->hasFile("/share/report.doc"));
    EXPECT_EQ(fs->fileSize("/share/report.doc"), 100u);
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(view.status, "Running");
}

TEST_F(GuardEngineTest, fileItem_copyOfSameSize_isLeftAlone) {
    fs->addFile("/work/report.doc", 100);
    fs->addFile("/share/report.doc", 100);
    addFileItem("/work/report.doc", "/share/");
    pass();
    EXPECT_EQ(fs->countOf("CopyFile /share/report.doc"), 0);
}

TEST_F(GuardEngineTest, fileItem_copyOfOtherSize_isReplaced) {
    fs->addFile("/work/report.doc", 100);
    fs->addFile("/share/report.doc", 7);
    addFileItem("/work/report.doc", "/share/");
    pass();
    EXPECT_EQ(fs->countOf("CopyFile /share/report.doc"), 1);
    EXPECT_EQ(fs->fileSize("/share/report.doc"), 100u);
}

TEST_F(GuardEngineTest, fileItem_folderAtTheCopysName_doesNotCountAsTheCopy) {
    fs->addFile("/work/report.doc", 100);
    fs->addFolder("/share/report.doc");
    addFileItem("/work/report.doc", "/share/");
    prompt.answers = {kCancel};
    pass();
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0],
              "The destination file /share/report.doc is in use, or you do not have access to "
              "the destination path.");
}

TEST_F(GuardEngineTest, folderItem_missingCopy_isCopiedWholly) {
    fs->addFile("/work/photos/a.jpg", 10);
    fs->addFile("/work/photos/deep/b.jpg", 20);
    addFolderItem("/work/photos", "/share/");
    pass();
    EXPECT_EQ(fs->fileSize("/share/photos/a.jpg"), 10u);
    EXPECT_EQ(fs->fileSize("/share/photos/deep/b.jpg"), 20u);
}

TEST_F(GuardEngineTest, folderItem_sameTotalSize_isLeftAlone) {
    fs->addFile("/work/photos/a.jpg", 10);
    fs->addFile("/share/photos/other.jpg", 10);
    addFolderItem("/work/photos", "/share/");
    pass();
    EXPECT_EQ(fs->countOf("CopyFolder /share/photos"), 0);
    EXPECT_FALSE(fs->hasFile("/share/photos/a.jpg")) << "only sizes are compared";
}

TEST_F(GuardEngineTest, folderItem_oneFileDeleted_copiesTheFolderOntoItsCopy) {
    fs->addFile("/work/photos/a.jpg", 10);
    fs->addFile("/work/photos/b.jpg", 20);
    fs->addFile("/share/photos/a.jpg", 10);
    fs->addFile("/share/photos/extra.txt", 0);
    addFolderItem("/work/photos", "/share/");
    pass();
    EXPECT_EQ(fs->countOf("CopyFolder /share/photos"), 1);
    EXPECT_TRUE(fs->hasFile("/share/photos/b.jpg"));
    EXPECT_TRUE(fs->hasFile("/share/photos/extra.txt")) << "extra entries stay";
}

TEST_F(GuardEngineTest, folderItem_extraFileInCopy_recopiesOnEveryPass) {
    fs->addFile("/work/photos/a.jpg", 10);
    fs->addFile("/share/photos/a.jpg", 10);
    fs->addFile("/share/photos/extra.txt", 5);
    addFolderItem("/work/photos", "/share/");
    pass();
    pass();
    EXPECT_EQ(fs->countOf("CopyFolder /share/photos"), 2);
}

// --- order of the steps -----------------------------------------------------

TEST_F(GuardEngineTest, sourceIsOpenedBeforeTheDestinationIsLookedAt) {
    fs->addFile("/work/report.doc", 100);
    fs->addFile("/share/report.doc", 100);
    addFileItem("/work/report.doc", "/share/");
    pass();
    const int source = at("GetFile /work/report.doc");
    const int lookup = at("FileExists /share/report.doc");
    ASSERT_GE(source, 0);
    ASSERT_GE(lookup, 0);
    EXPECT_LT(source, lookup);
}

TEST_F(GuardEngineTest, missingSourceFile_failsTheItemEvenWithAnIntactCopy) {
    fs->addFolder("/work");
    fs->addFile("/share/report.doc", 100);
    addFileItem("/work/report.doc", "/share/");
    pass();
    EXPECT_EQ(at("FileExists /share/report.doc"), -1);
    EXPECT_TRUE(prompt.questions.empty()) << "a missing file in an existing folder is silent";
}

TEST_F(GuardEngineTest, silentFailure_endsThePassAtThatRow) {
    for (int i = 0; i < 5; ++i) {
        const std::string name = "/work/f" + std::to_string(i);
        if (i != 2) fs->addFile(name, 1);
        addFileItem(name, "/share/");
    }
    fs->addFolder("/work");
    pass();
    pass();
    EXPECT_TRUE(fs->hasFile("/share/f0"));
    EXPECT_TRUE(fs->hasFile("/share/f1"));
    EXPECT_FALSE(fs->hasFile("/share/f3")) << "rows after the failing one are not guarded";
    EXPECT_FALSE(fs->hasFile("/share/f4"));
    EXPECT_TRUE(timer.isActive()) << "the run stays on";
    fs->addFile("/work/f2", 1);
    pass();
    EXPECT_TRUE(fs->hasFile("/share/f4"));
}

TEST_F(GuardEngineTest, copyPath_isReadAfreshForEveryItemAndPass) {
    fs->addFile("/work/a", 1);
    fs->addFile("/work/b", 1);
    addFileItem("/work/a", "/share/");
    addFileItem("/work/b", "/share/");
    pass();
    pass();
    EXPECT_TRUE(fs->hasFile("/share/a"));
    EXPECT_TRUE(fs->hasFile("/share/b"));
    EXPECT_EQ(shared.DestinationPath, "/share/b") << "the last item's values are left behind";
    EXPECT_EQ(shared.ItemIndex, 1);
}

TEST_F(GuardEngineTest, fullList_ofAHundredAndOneItems_isWalkedToTheEnd) {
    for (int i = 0; i < 101; ++i) {
        fs->addFile("/work/f" + std::to_string(i), 1);
        addFileItem("/work/f" + std::to_string(i), "/share/");
    }
    pass();
    EXPECT_TRUE(fs->hasFile("/share/f100"));
    EXPECT_EQ(shared.ItemIndex, 100);
}

TEST_F(GuardEngineTest, emptyList_doesNothing) {
    pass();
    EXPECT_TRUE(fs->log().empty());
}

TEST_F(GuardEngineTest, rowCountIsReadOnceAtTheStartOfThePass) {
    fs->addFolder("/work/missing-parent-test");
    fs->addFile("/work/a", 1);
    addFolderItem("/work/gone", "/share/");
    // While the first item's question is open, a row is added; this pass must
    // not reach it.
    prompt.whileAsking = [&] {
        fs->addFolder("/work/gone");
        addFileItem("/work/a", "/share/");
    };
    prompt.answers = {kRetry};
    pass();
    EXPECT_TRUE(fs->hasFolder("/share/gone"));
    EXPECT_FALSE(fs->hasFile("/share/a"));
    prompt.whileAsking = nullptr;
    pass();
    EXPECT_TRUE(fs->hasFile("/share/a"));
}

// --- failures, Retry and Cancel ---------------------------------------------

TEST_F(GuardEngineTest, missingSourceFolder_namesTheFolder_retryAfterItExists) {
    addFolderItem("/work/photos", "/share/");
    prompt.answers = {kRetry};
    prompt.whileAsking = [&] { fs->addFile("/work/photos/a.jpg", 3); };
    pass();
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0],
              "The source folder /work/photos does not exist. Create the folder yourself and "
              "click Retry, or click Cancel to end execution.");
    EXPECT_EQ(fs->countOf("GetFolder /work/photos"), 2);
    EXPECT_TRUE(fs->hasFile("/share/photos/a.jpg")) << "the pass goes on with the same item";
}

TEST_F(GuardEngineTest, missingFolderOfASourceFile_namesThatFolder) {
    addFileItem("/work/gone/report.doc", "/share/");
    prompt.answers = {kCancel};
    pass();
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0],
              "The source folder /work/gone does not exist. Create the folder yourself and click "
              "Retry, or click Cancel to end execution.");
}

TEST_F(GuardEngineTest, cancel_stopsTheRunAndSkipsTheRest) {
    addFolderItem("/work/gone", "/share/");
    fs->addFile("/work/a", 1);
    addFileItem("/work/a", "/share/");
    prompt.answers = {kCancel};
    pass();
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(view.status, "Ready");
    EXPECT_TRUE(view.startEnabled);
    EXPECT_FALSE(view.stopEnabled);
    EXPECT_FALSE(fs->hasFile("/share/a"));
}

TEST_F(GuardEngineTest, refusedCopy_namesTheCopysFullPath_andRetryRepeatsOnlyTheCopy) {
    fs->addFile("/work/report.doc", 100);
    fs->addFile("/share/report.doc", 1);
    addFileItem("/work/report.doc", "/share/");
    fs->failNext("CopyFile", err::kPermissionDenied, 2);
    prompt.answers = {kRetry, kRetry};
    pass();
    ASSERT_EQ(prompt.questions.size(), 2u);
    EXPECT_EQ(prompt.questions[0],
              "The destination file /share/report.doc is in use, or you do not have access to "
              "the destination path.");
    EXPECT_EQ(fs->countOf("CopyFile /share/report.doc"), 3);
    EXPECT_EQ(fs->countOf("GetFile /work/report.doc"), 1) << "nothing before the step is redone";
    EXPECT_EQ(fs->countOf("SizeFile /share/report.doc"), 1);
    EXPECT_EQ(fs->fileSize("/share/report.doc"), 100u);
    EXPECT_TRUE(timer.isActive());
}

TEST_F(GuardEngineTest, retryOfASizeRead_repeatsTheComparisonOnly) {
    fs->addFile("/work/photos/a", 4);
    fs->addFile("/share/photos/a", 4);
    addFolderItem("/work/photos", "/share/");
    fs->failNext("SizeFolder", err::kPermissionDenied);
    prompt.answers = {kRetry};
    pass();
    EXPECT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(fs->countOf("GetFolder /share/photos"), 1);
    EXPECT_EQ(fs->countOf("SizeFolder /share/photos"), 2);
    EXPECT_EQ(fs->countOf("CopyFolder /share/photos"), 0);
}

TEST_F(GuardEngineTest, otherNumbers_endThePassSilently) {
    for (int number : {err::kDeviceUnavailable, err::kFileNotFound, err::kDiskFull,
                       err::kFileAlreadyExists, err::kPathFileAccess}) {
        fs->addFile("/work/a", 1);
        fs->addFile("/work/b", 1);
        fs->remove("/share/a");
        fs->remove("/share/b");
        shared.Items = orvalen::ItemList{};
        addFileItem("/work/a", "/share/");
        addFileItem("/work/b", "/share/");
        fs->failNext("CopyFile", number);
        pass();
        EXPECT_TRUE(prompt.questions.empty()) << number;
        EXPECT_FALSE(fs->hasFile("/share/b")) << number;
        EXPECT_TRUE(timer.isActive()) << number;
    }
}

TEST_F(GuardEngineTest, tickDuringAWaitingPass_startsNoSecondPass) {
    fs->addFile("/work/a", 1);
    addFileItem("/work/a", "/share/");
    fs->failNext("CopyFile", err::kPermissionDenied);
    bool runningInside = false;
    prompt.whileAsking = [&] {
        runningInside = engine.passRunning();
        const auto before = fs->log().size();
        engine.tmrTimer_Timer();  // a tick that falls due in the box's loop
        EXPECT_EQ(fs->log().size(), before) << "the tick must not run a pass";
    };
    prompt.answers = {kRetry};
    pass();
    EXPECT_TRUE(runningInside);
    EXPECT_FALSE(engine.passRunning());
    EXPECT_EQ(prompt.questions.size(), 1u);
    EXPECT_TRUE(fs->hasFile("/share/a"));
    pass();  // the next tick runs again
    EXPECT_EQ(fs->countOf("GetFile /work/a"), 2);
}

// --- creating missing destination folders -----------------------------------

TEST_F(GuardEngineTest, missingFolders_areCreatedTopmostFirst) {
    fs->addFile("/work/report.doc", 100);
    addFileItem("/work/report.doc", "/share/new/deeper/");
    pass();
    const int first = at("CreateFolder /share/new");
    const int second = at("CreateFolder /share/new/deeper");
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_LT(first, second);
    EXPECT_LT(second, at("CopyFile /share/new/deeper/report.doc"));
    EXPECT_TRUE(fs->hasFile("/share/new/deeper/report.doc"));
    EXPECT_EQ(shared.PathLevels[0], "/share/new/deeper/report.doc");
}

TEST_F(GuardEngineTest, secondWalk_startsAtItsOwnCopyAndCreatesNothingTwice) {
    fs->addFile("/work/a", 1);
    fs->addFile("/work/b", 1);
    addFileItem("/work/a", "/share/x/y/");
    addFileItem("/work/b", "/share/x/z/");
    pass();
    EXPECT_EQ(fs->countOf("CreateFolder /share/x"), 1);
    EXPECT_EQ(fs->countOf("CreateFolder /share/x/z"), 1);
    EXPECT_TRUE(fs->hasFile("/share/x/z/b"));
}

TEST_F(GuardEngineTest, retryOfFolderCreation_afterTheUserMadeTheFolders_createsNothing) {
    fs->addFile("/work/a", 1);
    addFileItem("/work/a", "/share/p/q/");
    fs->failNext("CreateFolder", err::kPermissionDenied);
    prompt.answers = {kRetry};
    prompt.whileAsking = [&] { fs->addFolder("/share/p/q"); };
    pass();
    EXPECT_EQ(fs->countOf("CreateFolder /share/p"), 1) << "only the failed attempt";
    EXPECT_EQ(fs->countOf("CreateFolder /share/p/q"), 0);
    EXPECT_TRUE(fs->hasFile("/share/p/q/a"));
}

TEST_F(GuardEngineTest, copyOnAMissingVolume_createsNothingAndEndsSilently) {
    fs->addFile("/work/a", 1);
    addFileItem("/work/a", "nowhere/at/all/");  // no ancestor exists at all
    pass();
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(at("CopyFile nowhere/at/all/a"), -1);
    for (const auto& entry : fs->log()) EXPECT_NE(entry.rfind("CreateFolder", 0), 0u) << entry;
    EXPECT_EQ(shared.PathLevels[100], "") << "the walk filled every level before giving up";
}

TEST_F(GuardEngineTest, createDestinationFolder_failsWithNumber9PastAHundredLevels) {
    std::string deep = "/share";
    for (int i = 0; i < 101; ++i) deep += "/d" + std::to_string(i);
    shared.DestinationPath = deep + "/copy";
    try {
        engine.CreateDestinationFolder();
        FAIL() << "101 missing levels cannot be recorded";
    } catch (const orvalen::RuntimeError& e) {
        EXPECT_EQ(e.number(), err::kSubscriptOutOfRange);
    }
    EXPECT_FALSE(fs->hasFolder("/share/d0"));

    std::string fits = "/share";
    for (int i = 0; i < 100; ++i) fits += "/e" + std::to_string(i);
    shared.DestinationPath = fits + "/copy";
    engine.CreateDestinationFolder();
    EXPECT_TRUE(fs->hasFolder(fits));
    EXPECT_FALSE(fs->hasFolder(fits + "/copy")) << "the copy's own path is left to the copy";
}

// --- names of copies --------------------------------------------------------

TEST_F(GuardEngineTest, findName_takesTheLastComponent) {
    shared.SourcePath = "/work/report.doc";
    engine.FindName();
    EXPECT_EQ(shared.ItemName, "report.doc");
    shared.SourcePath = "/";
    engine.FindName();
    EXPECT_EQ(shared.ItemName, "");
    shared.ItemName = "kept";
    shared.SourcePath = "no-separator";
    engine.FindName();
    EXPECT_EQ(shared.ItemName, "kept");
}

TEST_F(GuardEngineTest, rootFolderSource_copiesIntoTheDestinationItself) {
    fs->addFile("/r.txt", 2);
    addFolderItem("/", "/share/");
    pass();
    EXPECT_EQ(shared.ItemName, "");
    EXPECT_EQ(shared.DestinationPath, "/share/");
}

// --- why a pass ends silently -----------------------------------------------

namespace {
struct LogLines : orvalen::PassLog {
    void write(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};
}  // namespace

TEST_F(GuardEngineTest, shareDown_createsNothing_andIsLoggedOnceUntilItClears) {
    LogLines log;
    engine.setPassLog(&log);
    fs->addFile("/work/report.doc", 100);
    addFileItem("/work/report.doc", "/share/new/");
    for (int i = 0; i < 3; ++i) fs->failNext("CheckDestination", err::kDeviceUnavailable);
    for (int i = 0; i < 3; ++i) pass();
    EXPECT_EQ(at("CreateFolder /share/new"), -1);
    EXPECT_FALSE(fs->hasFile("/share/new/report.doc"));
    EXPECT_TRUE(prompt.questions.empty());
    pass();  // the share is back
    EXPECT_TRUE(fs->hasFile("/share/new/report.doc"));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "Orvalen: the item /work/report.doc to /share/new/ is not guarded: the destination's "
                            "drive or share is not available. The items after it wait until this clears.");
    EXPECT_EQ(log.lines[1], "Orvalen: the item /work/report.doc to /share/new/ is guarded again.");
}

TEST_F(GuardEngineTest, silentEnd_newReasonIsLogged_retriedQuestionsAreNot) {
    LogLines log;
    engine.setPassLog(&log);
    fs->addFile("/work/a\xe9\n.doc", 1);
    addFileItem("/work/a\xe9\n.doc", "/share/");
    fs->failNext("GetFile", err::kFileNotFound);
    pass();
    fs->failNext("CopyFile", err::kDiskFull);
    pass();
    fs->failNext("CopyFile", err::kPermissionDenied);
    prompt.answers = {kRetry};
    pass();
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_NE(log.lines[0].find(" /work/a\\xE9\\x0A.doc to /share/ is not guarded: the source file does not exist"),
              std::string::npos);
    EXPECT_NE(log.lines[1].find(" /work/a\\xE9\\x0A.doc to /share/a\\xE9\\x0A.doc is not guarded: the destination is full"),
              std::string::npos);
    EXPECT_NE(log.lines[2].find("is guarded again"), std::string::npos);
}

TEST_F(GuardEngineTest, seenFolders_areForgottenAtEachPassAndAfterEachAnswer) {
    fs->addFolder("/work/album");
    addFolderItem("/work/album", "/share/");
    fs->failNext("CopyFolder", err::kPermissionDenied);
    prompt.answers = {kRetry};
    pass();
    const auto& log = fs->log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "ForgetSeenFolders");
    const int asked = at("CopyFolder /share/album");
    ASSERT_GE(asked, 0);
    ASSERT_LT(asked + 2, static_cast<int>(log.size()));
    EXPECT_EQ(log[static_cast<std::size_t>(asked) + 1], "ForgetSeenFolders");
    EXPECT_EQ(log[static_cast<std::size_t>(asked) + 2], "CopyFolder /share/album");
}

// Deleting a row moves the rows below it up: the log follows the item.
TEST_F(GuardEngineTest, silentEnd_itsRowDeleted_theItemMovedIntoItIsNotSaidToBeGuardedAgain) {
    LogLines log;
    engine.setPassLog(&log);
    fs->addFile("/work/b.doc", 1);
    addFileItem("/work/late.doc", "/share/");
    addFileItem("/work/b.doc", "/share/");
    pass();
    shared.Items.remove(0);
    pass();
    EXPECT_TRUE(fs->hasFile("/share/b.doc"));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find(" /work/late.doc to /share/ is not guarded"), std::string::npos);
}

TEST_F(GuardEngineTest, silentEnd_aRowAboveDeleted_theSameItemIsGuardedAgain) {
    LogLines log;
    engine.setPassLog(&log);
    fs->addFile("/work/b.doc", 1);
    addFileItem("/work/b.doc", "/share/");
    addFileItem("/work/late.doc", "/share/");
    pass();
    shared.Items.remove(0);
    fs->addFile("/work/late.doc", 1);
    pass();
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[1], "Orvalen: the item /work/late.doc to /share/ is guarded again.");
}
