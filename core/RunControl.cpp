// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RunControl.h"

#include "core/IntervalText.h"

namespace orvalen {

RunControl::RunControl(const ItemList& items, RunView& view, RunTimer& timer, UserPrompt& prompt)
    : m_items(items), m_view(view), m_timer(timer), m_prompt(prompt) {}

void RunControl::Start() {
    if (m_items.count() == 0) {
        m_prompt.warn(kMsgEmptyList);
        return;
    }
    const auto ms = IntervalMilliseconds(m_view.intervalText());
    if (!ms || *ms < kMinIntervalMs || *ms > kMaxIntervalMs) {
        m_prompt.warn(kMsgBadInterval);
        m_view.focusInterval();
        return;
    }
    m_timer.setInterval(*ms);
    m_timer.start();
    m_view.setStatus(kStatusRunning);
    m_view.setStartEnabled(false);
    m_view.setStopEnabled(true);
    m_view.focusStop();
}

void RunControl::Stop() {
    m_view.setStatus(kStatusReady);
    m_view.setStartEnabled(true);
    m_view.setStopEnabled(false);
    m_timer.stop();
    if (m_stopHook) m_stopHook();
}

}  // namespace orvalen
