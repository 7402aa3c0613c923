// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/DiskLabels.h"
#include "platform/VolumeSource.h"

namespace orvalen::platform::posix {

// The volumes of this machine as Linux reports them: the mount table of this
// process and the disk labels that udev publishes.
class SystemVolumeSource : public VolumeSource {
public:
    SystemVolumeSource(std::string mountInfoPath = "/proc/self/mountinfo",
                       std::string labelFolder = "/dev/disk/by-label");

    std::vector<Volume> volumes() override;
    void openVolume(const std::string& mountPoint) override;
    FolderListing listFolder(const std::string& path) override;

    // The labels found under `labelFolder`; empty when it does not exist.
    DiskLabels readLabels() const;

private:
    std::string m_mountInfoPath;
    std::string m_labelFolder;
};

}  // namespace orvalen::platform::posix
