// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace orvalen {

// The window's one thread, as seen from another: calls posted here run there,
// in the order posted, from the window's event loop. Calls still queued when
// the window is gone are dropped.
class WindowThread {
public:
    virtual ~WindowThread() = default;
    virtual void post(std::function<void()> call) = 0;
};

}  // namespace orvalen
