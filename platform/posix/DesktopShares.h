// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "platform/posix/MountEntry.h"
#include "platform/Volume.h"

// The desktop's own mounts (GNOME's GVfs) added to the drive list. GVfs keeps
// every share it mounts in one FUSE mount, a folder per share; the mount table
// shows only that one mount, so the shares come from the desktop's mount API
// and are merged here. Pure work on made-up inputs in the tests.
namespace orvalen::platform::desktopshares {

// One mount as the desktop lists it.
struct DesktopMount {
    std::string path;  // where its root is reached locally, e.g. "/run/user/1000/gvfs/smb-share:..."
    std::string name;  // what the desktop calls it, e.g. "share on 127.0.0.1"

    bool operator==(const DesktopMount&) const = default;
};

// The FUSE type under which GVfs shows its mounts to other programs.
inline constexpr const char* kGvfsFuseType = "fuse.gvfsd-fuse";

// True when the mount table holds a GVfs FUSE mount: without one no desktop
// share has a path, so the desktop need not be asked.
bool HasGvfsFuse(const std::vector<MountEntry>& mounts);

// `volumes` (root first, then sorted by mount point) with each desktop mount
// that lies inside a GVfs FUSE mount of `mounts` added as a drive of its own,
// under the desktop's name, and the order kept. The desktop's other mounts
// (disks, sticks) are in the mount table already and stay as they are there.
std::vector<Volume> AddDesktopShares(std::vector<Volume> volumes, const std::vector<MountEntry>& mounts,
                                     const std::vector<DesktopMount>& desktop);

}  // namespace orvalen::platform::desktopshares
