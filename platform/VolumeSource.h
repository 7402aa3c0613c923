// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/FolderListing.h"
#include "platform/Volume.h"

namespace orvalen::platform {

// Everything the browse dialog reads from the machine: the volumes for its
// drive list, whether a volume can be entered, and the contents of a folder.
// Tests put a scripted one in its place to play a medium that is missing.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;

    // The volumes a user would pick, the root first.
    virtual std::vector<Volume> volumes() = 0;

    // Checks that the volume mounted at `mountPoint` can be listed now. Throws
    // RuntimeError: err::kDeviceUnavailable when its device is unavailable (no medium, share gone).
    virtual void openVolume(const std::string& mountPoint) = 0;

    // The folder's sub-folders and files; throws as ListFolder does.
    virtual FolderListing listFolder(const std::string& path) = 0;
};

// The machine's own volumes and folders.
std::unique_ptr<VolumeSource> MakeSystemVolumeSource();

}  // namespace orvalen::platform
