// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>

#include <cstdint>

// What folder walks learn of one entry, and the bounds of a folder item: one
// mounted file system, never a kernel one.
namespace orvalen::platform::posix {

struct EntryStat {
    struct stat st{};
    std::uint64_t mountId = 0;
    bool hasMountId = false;  // kernels before 5.8 only tell the device
};

// fstatat() of `name` in `folderFd` without following a link, with the mount
// id where the kernel gives it. Returns -1 with errno set.
int statAt(int folderFd, const char* name, EntryStat& out);

// The same for an open entry.
int statOpen(int fd, EntryStat& out);

// Whether `entry` lies on the mount of `root`. A bind mount of the same file
// system is another mount too; without mount ids the device decides.
bool onSameMount(const EntryStat& entry, const EntryStat& root);

// Opens the folder `name` inside `folderFd` (no link followed) when it lies
// on the mount of `root`; -1 with `elsewhere` set when it is another mount,
// -1 with errno set on failure. Where the kernel can refuse to cross a mount
// while opening, that costs no look-up of its own.
int openFolderOnMount(int folderFd, const char* name, const EntryStat& root, bool& elsewhere);

// Whether the open folder lies on a file system that shows the kernel's state
// (proc, sysfs, devtmpfs, cgroup, debugfs...) rather than anyone's files.
bool isKernelFileSystem(int fd, const EntryStat& folder);

}  // namespace orvalen::platform::posix
