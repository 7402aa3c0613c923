// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/DiskLabels.h"
#include "platform/posix/MountEntry.h"
#include "platform/Volume.h"

// The choice of the mounts a person would pick in the drive list, from a
// mount table already read (posix/MountTables.h). No I/O, so it is tested
// with made-up tables.
namespace orvalen::platform::mountinfo {

// Undoes udev's escapes in /dev/disk/by-label names ("My\x20Disk").
std::string DecodeHexEscapes(std::string_view text);

// True for file systems reached over the network (cifs, nfs, sshfs, gvfs, ...).
bool IsNetworkType(std::string_view fsType);

// The drive list: the root first, then the other mounts a user would pick
// (home, removable media, network shares, automount points), sorted by mount
// point. Kernel and system mounts are left out; of mounts stacked on one point
// the last wins.
std::vector<Volume> PickVolumes(const std::vector<MountEntry>& mounts, const DiskLabels& labels);

}  // namespace orvalen::platform::mountinfo
