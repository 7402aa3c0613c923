// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/MountEntry.h"

namespace orvalen::platform {

// Tells when a destination lies under a mount whose file system has gone:
// the mount point is then an empty local folder, and whatever the pass
// created there would land on the local disk, hidden once the share is back.
//
// A mount is known to belong to a destination in two ways, neither of which
// leaves anything on the share (whoever deletes the copies would delete a
// marker too):
// - it is listed in /etc/fstab on the destination's path;
// - this run saw the destination's nearest existing folder on it before.
// A mount that is newly there (a share mounted after the run started) is
// simply taken as the destination's mount from then on.
//
// The desktops' share clients mount one file system per user (GVfs's
// gvfsd-fuse, KDE's kio-fuse) and show each share as a folder in it, which
// disappears when the share is ejected while the mount stays. A destination
// there whose share folder is missing is gone too; so is one under the
// user's runtime folder where such a mount belongs and is not mounted.
class MountWatch {
public:
    // The user's runtime folders ($XDG_RUNTIME_DIR, /run/user/UID), where
    // `gvfs` and `kio-fuse-*` are the desktop clients' mounts.
    void setUserRuntimeDirs(std::vector<std::string> dirs) { m_runtimeDirs = std::move(dirs); }

    // `destination` is the row's destination as the user chose it; `resolved`
    // the same path as the kernel sees it (links above it resolved) and
    // `existing` its nearest existing folder, a leading part of `resolved`.
    // True when the destination's file system is not mounted now; otherwise
    // records the mount that holds it, which later calls expect to be there.
    bool isGoneElseRecord(const std::string& destination, const std::string& resolved, const std::string& existing,
                          const std::vector<MountEntry>& mounts, const std::vector<std::string>& fstabMountPoints);

private:
    std::map<std::string, std::string> m_seenMount;  // destination -> mount point
    std::vector<std::string> m_runtimeDirs;
};

}  // namespace orvalen::platform
