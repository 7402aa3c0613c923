// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

namespace orvalen::platform {

// The volume labels of the machine's disks, found by device number
// ("major:minor") and by the device's resolved path ("/dev/sdb1").
struct DiskLabels {
    std::map<std::string, std::string> byDevNumbers;
    std::map<std::string, std::string> byDevicePath;
};

}  // namespace orvalen::platform
