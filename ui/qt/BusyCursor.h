// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

#include "core/PassRunner.h"

namespace orvalen::ui {

// The pointer while a pass copies. The window still answers, so it says
// "working", not "wait".
class BusyCursor : public BusyIndicator {
public:
    ~BusyCursor() override {
        if (m_busy) QApplication::restoreOverrideCursor();
    }

    void setBusy(bool busy) override {
        if (busy == m_busy) return;
        m_busy = busy;
        if (busy) QApplication::setOverrideCursor(Qt::BusyCursor);
        else QApplication::restoreOverrideCursor();
    }

private:
    bool m_busy = false;
};

}  // namespace orvalen::ui
