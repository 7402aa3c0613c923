// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/PassRunner.h"

#include <exception>
#include <memory>
#include <optional>

namespace orvalen {

PassRunner::PassRunner(mdlMain& shared, UserPrompt& prompt, RunControl& run, WindowThread& window)
    : m_shared(shared),
      m_prompt(prompt),
      m_run(run),
      m_window(window),
      m_engine(shared, m_passSide, m_passSide) {
    m_engine.setBusyIndicator(&m_passSide);
    m_run.setStopHook([this] { stopPass(); });
}

PassRunner::~PassRunner() {
    m_run.setStopHook({});
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void PassRunner::tmrTimer_Timer() {
    std::lock_guard lock(m_mutex);
    // Passes never overlap; a tick that falls due meanwhile is dropped.
    if (m_running || m_closing) return;
    // A change to the list takes effect at the next pass.
    m_snapshot = m_shared.Items;
    m_stopped = false;
    m_running = true;
    m_pending = true;
    if (!m_thread.joinable()) m_thread = std::thread([this] { work(); });
    m_changed.notify_all();
}

bool PassRunner::passRunning() const {
    std::lock_guard lock(m_mutex);
    return m_running;
}

bool PassRunner::waitIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return !m_running; });
}

void PassRunner::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_pending || m_closing; });
        if (m_closing) return;
        m_pending = false;
        lock.unlock();
        runOnePass();
        lock.lock();
        m_running = false;
        m_changed.notify_all();
    }
}

void PassRunner::runOnePass() {
    std::string escaped;
    try {
        m_engine.runPass(m_snapshot, m_stopped);
        return;
    } catch (const std::exception& e) {
        escaped = e.what();
    } catch (...) {
        escaped = "of an unknown kind";
    }
    // The pass handles every failure of the file system; anything else would
    // end it with no trace, so it is said once here. The next tick starts anew.
    if (m_log) m_log->write("Orvalen: a pass ended on an unexpected failure: " + escaped + ".");
}

UserPrompt::Answer PassRunner::askOnWindowThread(std::function<UserPrompt::Answer()> ask) {
    // Shared with the posted call, which may run after this pass gave up on it.
    struct Reply {
        std::optional<UserPrompt::Answer> answer;
    };
    auto reply = std::make_shared<Reply>();
    m_window.post([this, reply, ask = std::move(ask)] {
        const UserPrompt::Answer answer = ask();
        {
            std::lock_guard lock(m_mutex);
            reply->answer = answer;
        }
        m_changed.notify_all();
    });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return reply->answer.has_value() || m_closing; });
    return reply->answer.value_or(UserPrompt::Answer::Cancel);
}

void PassRunner::PassSide::warn(const std::string& text) {
    PassRunner& r = m_runner;
    r.askOnWindowThread([&r, text] {
        r.m_prompt.warn(text);
        return UserPrompt::Answer::Cancel;
    });
}

UserPrompt::Answer PassRunner::PassSide::askRetryCancel(const std::string& text) {
    PassRunner& r = m_runner;
    return r.askOnWindowThread([&r, text] {
        const UserPrompt::Answer answer = r.m_prompt.askRetryCancel(text);
        // Stop with the answer, before the window's loop can deliver a tick
        // that would find the pass over and start another.
        if (answer == UserPrompt::Answer::Cancel) r.m_run.Stop();
        return answer;
    });
}

void PassRunner::PassSide::setBusy(bool busy) {
    PassRunner& r = m_runner;
    r.m_window.post([&r, busy] {
        if (r.m_windowBusy) r.m_windowBusy->setBusy(busy);
    });
}

}  // namespace orvalen
