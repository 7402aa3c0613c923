// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "platform/posix/FolderDigest.h"
#include "platform/posix/UniqueFd.h"

namespace orvalen::platform::posix {

// The total length of every file below the open folder. Links are not
// followed and count with their own length; FIFOs, sockets and devices count
// nothing. Folders on another mount and kernel file systems count nothing.
// Memory grows with the depth of the tree only.
// When `digest` is given it receives the folder digests of the walk.
std::uint64_t totalSize(UniqueFd folder, const std::string& pathForErrors, FolderDigest* digest = nullptr);

}  // namespace orvalen::platform::posix
