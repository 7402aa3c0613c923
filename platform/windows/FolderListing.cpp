// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderListing.h"

#include <windows.h>

#include <algorithm>

#include "platform/windows/Win32ErrorMap.h"
#include "platform/windows/Win32Files.h"
#include "platform/windows/WideText.h"

#include "core/PathText.h"

namespace orvalen::platform {

FolderListing ListFolder(const std::string& path) {
    FolderListing listing;
    const DWORD error = windows::ForEachEntry(path, [&](const WIN32_FIND_DATAW& entry) {
        // Hidden and system entries stay out, as Explorer shows a folder.
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return;
        std::string name = windows::Narrow(entry.cFileName);
        DWORD attributes = entry.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // A link opens like what it points to; a dangling one is neither.
            BY_HANDLE_FILE_INFORMATION info{};
            DWORD ignored = 0;
            if (!windows::FollowedInfo(path::Join(path, name), info, ignored)) return;
            attributes = info.dwFileAttributes;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) listing.folders.push_back(std::move(name));
        else listing.files.push_back(std::move(name));
    });
    if (error != 0) throw windows::ErrorFromWin32(error, "Cannot open folder", path);
    std::sort(listing.folders.begin(), listing.folders.end());
    std::sort(listing.files.begin(), listing.files.end());
    return listing;
}

}  // namespace orvalen::platform
