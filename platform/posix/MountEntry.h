// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvalen::platform {

// One mount of the mount table, with its escapes decoded.
struct MountEntry {
    std::string devNumbers;  // "major:minor" of the mounted device
    std::string root;        // the folder of that file system mounted here ("/" unless a bind mount)
    std::string mountPoint;
    std::string fsType;      // "ext4", "cifs", "fuse.sshfs", ...
    std::string source;      // "/dev/sda1", "//server/share", "host:/export", ...

    bool operator==(const MountEntry&) const = default;
};

}  // namespace orvalen::platform
