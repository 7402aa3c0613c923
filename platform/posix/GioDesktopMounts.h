// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <vector>

#include "platform/posix/DesktopShares.h"

namespace orvalen::platform::posix {

// The desktop's mounts as GIO lists them (g_volume_monitor_get_mounts), each
// with its local path and the name the desktop shows. Empty without a session
// bus that takes a connection, and when GIO has not answered within
// `deadline`: the drive list must come up whatever state the desktop is in.
std::vector<desktopshares::DesktopMount> ReadGioMounts(std::chrono::milliseconds deadline);

}  // namespace orvalen::platform::posix
