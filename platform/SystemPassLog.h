// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "core/PassLog.h"

namespace orvalen::platform {

// Each line goes to `out` (standard error) and, when the program runs under a
// systemd user session whose standard error is not the journal already, to
// the journal through its socket, so that it is found with journalctl.
// An empty socket path finds the journal itself.
std::unique_ptr<PassLog> MakeSystemPassLog(std::FILE* out = stderr, std::string journalSocket = {});

}  // namespace orvalen::platform
