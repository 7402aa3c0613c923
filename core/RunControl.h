// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "core/ItemList.h"
#include "core/UserPrompt.h"

namespace orvalen {

// The periodic timer whose every tick runs one guard pass. The window gives it
// a QTimer; tests a fake.
class RunTimer {
public:
    virtual ~RunTimer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    // Switching on while on restarts the countdown with the current interval.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// The controls that run control reads and sets.
class RunView {
public:
    virtual ~RunView() = default;
    virtual std::string intervalText() const = 0;  // txtTimeInterval
    virtual void setStatus(const std::string& text) = 0;  // lblStatus
    virtual void setStartEnabled(bool enabled) = 0;  // cmdStart
    virtual void setStopEnabled(bool enabled) = 0;  // cmdStop
    virtual void focusStop() = 0;
    virtual void focusInterval() = 0;
};

inline constexpr const char* kStatusReady = "Ready";
inline constexpr const char* kStatusRunning = "Running";
inline constexpr const char* kMsgEmptyList = "You must choose at least one file/folder.";
inline constexpr const char* kMsgBadInterval = "Please enter a positive number for time interval.";

// What a pass calls when the user answers Cancel: the run stops.
class RunStopper {
public:
    virtual ~RunStopper() = default;
    virtual void Stop() = 0;
};

// Start and Stop. The run is on exactly while the timer is on.
class RunControl : public RunStopper {
public:
    static constexpr int kMinIntervalMs = 1;
    static constexpr int kMaxIntervalMs = 65535;

    RunControl(const ItemList& items, RunView& view, RunTimer& timer, UserPrompt& prompt);

    // cmdStart: refuses an empty list and an interval outside 1..65,535 ms.
    // A refused interval leaves the timer, its interval and the controls as they
    // were, so the status never reads "Running" while nothing runs.
    void Start();
    // cmdStop: status "Ready", Start enabled, Stop disabled, timer off.
    void Stop() override;

    // Runs at the end of every Stop, so that a pass under way on another
    // thread starts no further item.
    void setStopHook(std::function<void()> hook) { m_stopHook = std::move(hook); }

private:
    const ItemList& m_items;
    RunView& m_view;
    RunTimer& m_timer;
    UserPrompt& m_prompt;
    std::function<void()> m_stopHook;
};

}  // namespace orvalen
