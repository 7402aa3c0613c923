// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace orvalen::platform {

// What the browse dialog shows of one folder: the names of its sub-folders and
// of its ordinary files, each sorted by byte order. Hidden entries (names
// starting with '.') are left out, as file managers do by default. A link to
// a folder counts as a folder and a link to a file as a file; a dangling link
// is neither.
struct FolderListing {
    std::vector<std::string> folders;
    std::vector<std::string> files;
};

// Reads `path`. Throws RuntimeError with the program's number when the folder cannot be opened or
// read (err::kPathNotFound missing, err::kPermissionDenied refused, err::kDeviceUnavailable device
// gone).
FolderListing ListFolder(const std::string& path);

}  // namespace orvalen::platform
