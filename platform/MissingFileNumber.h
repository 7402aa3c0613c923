// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/PathText.h"
#include "core/RuntimeError.h"

namespace orvalen::platform {

// What a file missing at `path` means: err::kFileNotFound when the folder
// that should hold it is there, err::kPathNotFound when a folder on the path
// is missing. `isFolder` asks the OS, links followed. A bare name lies in the
// working folder, which is there.
inline int MissingFileNumber(const std::string& path, bool (*isFolder)(const std::string&)) {
    const std::string parent = path::GetParentFolderName(path);
    const bool folderThere = parent.empty() ? path.find(path::kSeparator) == std::string::npos : isFolder(parent);
    return folderThere ? err::kFileNotFound : err::kPathNotFound;
}

}  // namespace orvalen::platform
