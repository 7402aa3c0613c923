// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "core/GuardEngine.h"
#include "core/ItemList.h"
#include "core/PassLog.h"
#include "core/RunControl.h"
#include "core/UserPrompt.h"
#include "core/WindowThread.h"
#include "core/mdlMain.h"

namespace orvalen {

// Keeps the guard pass off the window's thread, so that a share that hangs
// for minutes in one call never freezes the window. The pass keeps its
// meaning: one at a time (a tick that falls due meanwhile is dropped), rows
// in order, over the list as it stood when the pass began; its questions are
// the window's modal boxes, asked on the window's thread while the pass
// waits, and Cancel stops the run there together with the answer.
//
// Every public call is made on the window's thread. The pass's working
// values in mdlMain and the file-system service belong to the pass thread
// while a pass runs; the window reads neither.
class PassRunner {
public:
    // `prompt`, `run` and `window` are the window's; they must outlive the
    // runner, and the window drops posted calls once it is gone.
    PassRunner(mdlMain& shared, UserPrompt& prompt, RunControl& run, WindowThread& window);
    // Waits for a pass under way. A pass blocked in a hung network call keeps
    // this waiting: a program that ends while one is blocked leaves without
    // destroying the runner (see passRunning).
    ~PassRunner();
    PassRunner(const PassRunner&) = delete;
    PassRunner& operator=(const PassRunner&) = delete;

    // Shown while the pass copies; called on the window's thread.
    void setBusyIndicator(BusyIndicator* busy) { m_windowBusy = busy; }
    // Where a pass that ends without a message says why; written from the
    // pass thread only. Set before the first tick.
    void setPassLog(PassLog* log) {
        m_log = log;
        m_engine.setPassLog(log);
    }

    // One tick of tmrTimer: starts a pass unless one is under way.
    void tmrTimer_Timer();
    // No further item of the pass under way starts, and it asks nothing more.
    // Stop and Exit call it; a call in progress is not cut off.
    void stopPass() { m_stopped = true; }

    bool passRunning() const;
    // True once no pass runs, false if one still does after `timeout`.
    bool waitIdle(std::chrono::milliseconds timeout) const;

private:
    // What the engine on the pass thread talks to: each call is carried to
    // the window's thread.
    class PassSide : public UserPrompt, public RunStopper, public BusyIndicator {
    public:
        explicit PassSide(PassRunner& runner) : m_runner(runner) {}
        void warn(const std::string& text) override;
        Answer askRetryCancel(const std::string& text) override;
        // The window's Stop has already run with the Cancel answer.
        void Stop() override { m_runner.m_stopped = true; }
        void setBusy(bool busy) override;

    private:
        PassRunner& m_runner;
    };

    // Runs `ask` on the window's thread and waits for its answer.
    UserPrompt::Answer askOnWindowThread(std::function<UserPrompt::Answer()> ask);
    void work();
    void runOnePass();

    mdlMain& m_shared;
    UserPrompt& m_prompt;
    RunControl& m_run;
    WindowThread& m_window;
    BusyIndicator* m_windowBusy = nullptr;
    PassLog* m_log = nullptr;

    PassSide m_passSide{*this};
    GuardEngine m_engine;
    ItemList m_snapshot;  // written by the window thread only while no pass runs
    std::atomic<bool> m_stopped{false};

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_running = false;  // from the tick that starts a pass until it ends
    bool m_pending = false;  // a pass is due but the thread has not taken it
    bool m_closing = false;
    std::thread m_thread;
};

}  // namespace orvalen
