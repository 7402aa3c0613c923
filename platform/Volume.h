// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvalen::platform {

// One entry of the drive list: a place where a file system is mounted.
struct Volume {
    std::string mountPoint;  // "/", "/home", "/media/alice/STICK"
    std::string name;        // label, share or device; may be empty

    // What the drive list shows, in the classic "c: [LABEL]" manner:
    // "/media/alice/STICK [STICK]", "/mnt/team [//server/team]", "/".
    std::string displayText() const {
        return name.empty() ? mountPoint : mountPoint + " [" + name + "]";
    }

    bool operator==(const Volume&) const = default;
};

}  // namespace orvalen::platform
