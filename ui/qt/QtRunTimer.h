// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>

#include "core/RunControl.h"

namespace orvalen::ui {

// The run's timer (tmrTimer) as run control drives it.
class QtRunTimer : public RunTimer {
public:
    // The timer is a child of `owner`, so it goes with the window.
    QtRunTimer(QObject* owner, int intervalMs) : m_timer(new QTimer(owner)) {
        m_timer->setObjectName(QStringLiteral("tmrTimer"));
        m_timer->setInterval(intervalMs);
    }

    QTimer* timer() const { return m_timer; }

    void setInterval(int milliseconds) override { m_timer->setInterval(milliseconds); }
    int interval() const override { return m_timer->interval(); }
    void start() override { m_timer->start(); }
    void stop() override { m_timer->stop(); }
    bool isActive() const override { return m_timer->isActive(); }

private:
    QTimer* m_timer;
};

}  // namespace orvalen::ui
