// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/DiskLabels.h"
#include "platform/MountEntry.h"
#include "platform/Volume.h"

// The Linux mount table as text, and the choice of the mounts a person would
// pick in the drive list. Pure text work, so it is tested with made-up tables.
namespace orvalen::platform::mountinfo {

// Undoes the kernel's octal escapes ("\040" space, "\011" tab, "\012"
// newline, "\134" backslash). Anything else stays as it is.
std::string DecodeOctalEscapes(std::string_view text);

// Undoes udev's escapes in /dev/disk/by-label names ("My\x20Disk").
std::string DecodeHexEscapes(std::string_view text);

// The lines of a mountinfo text; malformed lines are skipped.
std::vector<MountEntry> Parse(std::string_view text);

// True for file systems reached over the network (cifs, nfs, sshfs, gvfs, ...).
bool IsNetworkType(std::string_view fsType);

// The drive list: the root first, then the other mounts a user would pick
// (home, removable media, network shares), sorted by mount point. Kernel
// and system mounts are left out; of mounts stacked on one point the last wins.
std::vector<Volume> PickVolumes(const std::vector<MountEntry>& mounts, const DiskLabels& labels);

}  // namespace orvalen::platform::mountinfo
