// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/GuardEngine.h"
#include "core/RunControl.h"
#include "core/mdlMain.h"
#include "core/UserPrompt.h"

namespace testsupport {

// Answers the engine's questions from a script and remembers what was asked.
class ScriptedPrompt : public orvalen::UserPrompt {
public:
    void warn(const std::string& text) override { warnings.push_back(text); }

    Answer askRetryCancel(const std::string& text) override {
        questions.push_back(text);
        if (whileAsking) whileAsking();
        if (answers.empty()) return Answer::Cancel;  // an unscripted question ends the run
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::deque<Answer> answers;
    std::vector<std::string> warnings;
    std::vector<std::string> questions;
    // Runs while a question is open, as events do in a modal box's loop.
    std::function<void()> whileAsking;
};

class FakeTimer : public orvalen::RunTimer {
public:
    void setInterval(int ms) override { m_interval = ms; }
    int interval() const override { return m_interval; }
    void start() override {
        m_active = true;
        ++starts;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    int starts = 0;

private:
    int m_interval = 5000;
    bool m_active = false;
};

enum class Focus { None, Stop, Interval };

class FakeRunView : public orvalen::RunView {
public:
    std::string intervalText() const override { return interval; }
    void setStatus(const std::string& text) override { status = text; }
    void setStartEnabled(bool enabled) override { startEnabled = enabled; }
    void setStopEnabled(bool enabled) override { stopEnabled = enabled; }
    void focusStop() override { focus = Focus::Stop; }
    void focusInterval() override { focus = Focus::Interval; }

    std::string interval = "5";
    std::string status = "Ready";
    bool startEnabled = false;
    bool stopEnabled = false;
    Focus focus = Focus::None;
};

// The guard engine and run control as the main window wires them, over the
// fakes above.
struct GuardRig {
    void pass() { engine.tmrTimer_Timer(); }

    orvalen::mdlMain shared;
    FakeRunView view;
    FakeTimer timer;
    ScriptedPrompt prompt;
    orvalen::RunControl run{shared.Items, view, timer, prompt};
    orvalen::GuardEngine engine{shared, prompt, run};
};

}  // namespace testsupport
