// SPDX-License-Identifier: GPL-3.0-or-later
// The pass on its own thread, with a file system that blocks as a hung share
// does, so Stop, dropped ticks, the list snapshot and the questions can be
// checked without a server.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "core/PassRunner.h"
#include "core/RuntimeError.h"
#include "support/FakeFileSystem.h"
#include "support/FakeRunHost.h"

using namespace std::chrono_literals;
using orvalen::PassRunner;
using orvalen::UserPrompt;
namespace err = orvalen::err;

namespace {

constexpr auto kLongEnough = 5s;  // only a failing test waits this long

// Opening the gated source blocks until the test releases it.
class GatedFileSystem : public testsupport::FakeFileSystem {
public:
    orvalen::FileRef GetFile(const std::string& p) override {
        if (p == gated) {
            std::unique_lock lock(m_mutex);
            ++m_arrived;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_open; });
        }
        return FakeFileSystem::GetFile(p);
    }
    bool waitUntilBlocked() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kLongEnough, [this] { return m_arrived > 0; });
    }
    void release() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

    std::string gated;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_arrived = 0;
    bool m_open = false;
};

// The window's event loop, turned by hand on the test's thread.
class ManualWindowThread : public orvalen::WindowThread {
public:
    void post(std::function<void()> call) override {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
        m_changed.notify_all();
    }
    bool waitForCall() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kLongEnough, [this] { return !m_calls.empty(); });
    }
    void runPosted() {
        for (;;) {
            std::function<void()> call;
            {
                std::lock_guard lock(m_mutex);
                if (m_calls.empty()) return;
                call = std::move(m_calls.front());
                m_calls.pop_front();
            }
            call();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_calls;
};

class RecordingLog : public orvalen::PassLog {
public:
    void write(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

class PassRunnerTest : public ::testing::Test {
protected:
    PassRunnerTest() {
        auto owned = std::make_unique<GatedFileSystem>();
        fs = owned.get();
        shared.MakeFileSystem = [&owned]() -> std::unique_ptr<orvalen::FileSystem> { return std::move(owned); };
        shared.FileSys();
        fs->addFolder("/share");
        for (const char* name : {"/work/a", "/work/b", "/work/c"}) fs->addFile(name, 10);
        shared.Items.append("/work/a", "/share/", true);
        shared.Items.append("/work/b", "/share/", true);
        view.interval = "1";
        run.Start();
        runner.setPassLog(&log);
    }
    ~PassRunnerTest() override {
        fs->release();
        runner.waitIdle(kLongEnough);
        window.runPosted();
    }
    // Lets a pass blocked at the gate finish, answering what it asks; false
    // when it does not end.
    bool finishPass() {
        fs->release();
        const auto deadline = std::chrono::steady_clock::now() + kLongEnough;
        while (!runner.waitIdle(10ms)) {
            window.runPosted();
            if (std::chrono::steady_clock::now() > deadline) return false;
        }
        window.runPosted();
        return true;
    }

    orvalen::mdlMain shared;
    GatedFileSystem* fs = nullptr;
    testsupport::FakeRunView view;
    testsupport::FakeTimer timer;
    testsupport::ScriptedPrompt prompt;
    orvalen::RunControl run{shared.Items, view, timer, prompt};
    ManualWindowThread window;
    RecordingLog log;
    PassRunner runner{shared, prompt, run, window};
};

}  // namespace

TEST_F(PassRunnerTest, blockedPass_dropsTicks_andStopStartsNoFurtherItem) {
    fs->gated = "/work/a";
    runner.tmrTimer_Timer();
    ASSERT_TRUE(fs->waitUntilBlocked());
    runner.tmrTimer_Timer();  // falls due while the pass hangs
    EXPECT_TRUE(runner.passRunning());

    run.Stop();
    EXPECT_EQ(view.status, "Ready");  // at once, with the call still hanging
    ASSERT_TRUE(finishPass());
    EXPECT_EQ(fs->countOf("GetFile /work/a"), 1) << "the dropped tick ran a pass";
    EXPECT_EQ(fs->countOf("GetFile /work/b"), 0) << "an item started after Stop";
}

TEST_F(PassRunnerTest, listChangedDuringPass_takesEffectAtNextPass) {
    fs->gated = "/work/a";
    runner.tmrTimer_Timer();
    ASSERT_TRUE(fs->waitUntilBlocked());
    shared.Items.remove(1);
    shared.Items.append("/work/c", "/share/", true);
    ASSERT_TRUE(finishPass());
    EXPECT_TRUE(fs->hasFile("/share/b"));
    EXPECT_FALSE(fs->hasFile("/share/c"));

    runner.tmrTimer_Timer();
    ASSERT_TRUE(finishPass());
    EXPECT_TRUE(fs->hasFile("/share/c"));
}

TEST_F(PassRunnerTest, question_isAskedOnWindowThread_withTheAnswersEffect) {
    struct Case {
        UserPrompt::Answer answer;
        bool copied;
        const char* status;
    };
    for (const Case c : {Case{UserPrompt::Answer::Retry, true, "Running"},
                         Case{UserPrompt::Answer::Cancel, false, "Ready"}}) {
        run.Start();
        fs->remove("/share/a");
        fs->failNext("CopyFile", err::kPermissionDenied);
        const auto windowThread = std::this_thread::get_id();
        std::thread::id askedOn;
        prompt.whileAsking = [&] { askedOn = std::this_thread::get_id(); };
        prompt.answers = {c.answer};
        prompt.questions.clear();

        runner.tmrTimer_Timer();
        ASSERT_TRUE(window.waitForCall());
        EXPECT_TRUE(runner.passRunning()) << "the pass waits for the answer";
        ASSERT_TRUE(finishPass());
        ASSERT_EQ(prompt.questions.size(), 1u);
        EXPECT_EQ(askedOn, windowThread);
        EXPECT_EQ(fs->hasFile("/share/a"), c.copied);
        EXPECT_EQ(view.status, c.status);
        EXPECT_EQ(timer.isActive(), c.copied);
    }
}

TEST_F(PassRunnerTest, failureAfterStop_asksNothing) {
    fs->gated = "/work/a";
    fs->failNext("CopyFile", err::kPermissionDenied);
    runner.tmrTimer_Timer();
    ASSERT_TRUE(fs->waitUntilBlocked());
    run.Stop();
    ASSERT_TRUE(finishPass());
    EXPECT_TRUE(prompt.questions.empty());
}

TEST_F(PassRunnerTest, failureThatEscapesThePass_isLogged_andTheNextTickRuns) {
    fs->failNext("GetFile", 0, 1, [] { throw 42; });  // not a failure of the file system
    runner.tmrTimer_Timer();
    ASSERT_TRUE(finishPass());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("unexpected failure"), std::string::npos) << log.lines[0];

    runner.tmrTimer_Timer();
    ASSERT_TRUE(finishPass());
    EXPECT_TRUE(fs->hasFile("/share/b"));
}
