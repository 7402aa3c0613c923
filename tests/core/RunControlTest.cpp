// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/RunControl.h"
#include "support/FakeRunHost.h"

using orvalen::ItemList;
using orvalen::RunControl;
using testsupport::FakeRunView;
using testsupport::FakeTimer;
using testsupport::Focus;
using testsupport::ScriptedPrompt;

namespace {

class RunControlTest : public ::testing::Test {
protected:
    RunControlTest() { items.append("/w/a.txt", "/s/", true); }

    ItemList items;
    FakeRunView view;
    FakeTimer timer;
    ScriptedPrompt prompt;
    RunControl run{items, view, timer, prompt};
};

}  // namespace

TEST_F(RunControlTest, start_withAnItem_runsWithTheInterval) {
    run.Start();
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 5000);
    EXPECT_EQ(view.status, "Running");
    EXPECT_FALSE(view.startEnabled);
    EXPECT_TRUE(view.stopEnabled);
    EXPECT_EQ(view.focus, Focus::Stop);
    EXPECT_TRUE(prompt.warnings.empty());
}

TEST_F(RunControlTest, start_withEmptyList_warnsAndChangesNothing) {
    ItemList empty;
    RunControl emptyRun{empty, view, timer, prompt};
    view.startEnabled = true;
    emptyRun.Start();
    ASSERT_EQ(prompt.warnings.size(), 1u);
    EXPECT_EQ(prompt.warnings[0], "You must choose at least one file/folder.");
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(view.status, "Ready");
    EXPECT_TRUE(view.startEnabled);
    EXPECT_EQ(view.focus, Focus::None);
}

TEST_F(RunControlTest, start_refusesBadIntervals_andFocusesTheBox) {
    for (const char* text : {"0", "", "abc", "-1", "70", "65.536", "0.0004", "1e400"}) {
        view.interval = text;
        view.focus = Focus::None;
        prompt.warnings.clear();
        run.Start();
        ASSERT_EQ(prompt.warnings.size(), 1u) << text;
        EXPECT_EQ(prompt.warnings[0], "Please enter a positive number for time interval.");
        EXPECT_EQ(view.focus, Focus::Interval) << text;
        EXPECT_FALSE(timer.isActive()) << text;
        EXPECT_EQ(view.status, "Ready") << text;
        EXPECT_EQ(timer.interval(), 5000) << "a refused interval keeps the previous one: " << text;
    }
}

TEST_F(RunControlTest, start_acceptsTheWholeRange) {
    view.interval = "65.535";
    run.Start();
    EXPECT_EQ(timer.interval(), 65535);
    view.interval = "0.0015";
    run.Start();
    EXPECT_EQ(timer.interval(), 2);
    view.interval = "0.001";
    run.Start();
    EXPECT_EQ(timer.interval(), 1);
    EXPECT_TRUE(prompt.warnings.empty());
}

TEST_F(RunControlTest, stop_returnsToReadyWithoutMovingFocus) {
    run.Start();
    view.focus = Focus::None;
    run.Stop();
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(view.status, "Ready");
    EXPECT_TRUE(view.startEnabled);
    EXPECT_FALSE(view.stopEnabled);
    EXPECT_EQ(view.focus, Focus::None);
    EXPECT_EQ(timer.interval(), 5000) << "the stored interval stays";
}

TEST_F(RunControlTest, startAgainWhileRunning_withNewInterval_keepsRunning) {
    run.Start();
    view.interval = "2";
    run.Start();
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 2000);
    EXPECT_EQ(timer.starts, 2);
    EXPECT_EQ(view.status, "Running");
}

TEST_F(RunControlTest, startAgainWhileRunning_withRefusedInterval_leavesTheRunAsItWas) {
    run.Start();
    view.interval = "0";
    run.Start();
    EXPECT_EQ(prompt.warnings.size(), 1u);
    EXPECT_TRUE(timer.isActive()) << "the status reads Running, so the timer must still tick";
    EXPECT_EQ(timer.interval(), 5000);
    EXPECT_EQ(view.status, "Running");
    EXPECT_TRUE(view.stopEnabled);
    run.Stop();
    EXPECT_EQ(view.status, "Ready");
}
