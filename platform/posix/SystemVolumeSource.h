// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>

#include "platform/posix/DiskLabels.h"
#include "platform/VolumeSource.h"

namespace orvalen::platform::posix {

// The volumes of this machine as Linux reports them: the mount table of this
// process, the disk labels that udev publishes, and the shares the desktop
// mounted through GVfs, asked of GIO for at most `desktopDeadline`.
class SystemVolumeSource : public VolumeSource {
public:
    SystemVolumeSource(std::string mountInfoPath = "/proc/self/mountinfo",
                       std::string labelFolder = "/dev/disk/by-label",
                       std::chrono::milliseconds desktopDeadline = std::chrono::seconds(2));

    std::vector<Volume> volumes() override;
    void openVolume(const std::string& mountPoint) override;
    FolderListing listFolder(const std::string& path) override;

    // The labels found under `labelFolder`; empty when it does not exist.
    DiskLabels readLabels() const;

private:
    std::string m_mountInfoPath;
    std::string m_labelFolder;
    std::chrono::milliseconds m_desktopDeadline;
};

}  // namespace orvalen::platform::posix
