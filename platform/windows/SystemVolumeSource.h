// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/VolumeSource.h"

namespace orvalen::platform::windows {

// The drive letters of this machine, each with its volume label or, for a
// mapped network drive, the share it stands for.
class SystemVolumeSource : public VolumeSource {
public:
    std::vector<Volume> volumes() override;
    // A letter the system lists whose root cannot be reached is a drive
    // without a medium or a network drive whose connection is gone: err::kDeviceUnavailable.
    void openVolume(const std::string& mountPoint) override;
    FolderListing listFolder(const std::string& path) override;
};

}  // namespace orvalen::platform::windows
