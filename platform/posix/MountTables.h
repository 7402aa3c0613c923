// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "platform/posix/MountEntry.h"

// The mount table and /etc/fstab as util-linux's libmount reads them: it knows
// the kernel's escapes, fstab's tags and comments, and the mountinfo format as
// the kernel changes it.
namespace orvalen::platform::posix {

// The mounts listed in `mountInfoPath` (the format of /proc/self/mountinfo),
// in the kernel's order. Empty when the file cannot be read.
std::vector<MountEntry> ReadMountTable(const std::string& mountInfoPath = "/proc/self/mountinfo");

// The mount points named in the fstab at `fstabPath`, swap and entries
// without a folder left out, each without trailing separators ("/mnt/team/"
// names the folder "/mnt/team"). Empty when the file cannot be read.
std::vector<std::string> ReadFstabMountPoints(const std::string& fstabPath = "/etc/fstab");

}  // namespace orvalen::platform::posix
