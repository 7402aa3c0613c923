// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/RuntimeError.h"

namespace testsupport {

// The program's failure number that `step` threw, or 0 when it succeeded.
// Any other exception goes on to the test.
template <typename Step>
int RuntimeNumberOf(Step&& step) {
    try {
        step();
    } catch (const orvalen::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace testsupport
