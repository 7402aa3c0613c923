// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/FolderDigest.h"

#include <algorithm>

namespace orvalen::platform::posix {

const FolderDigest::Folder* FolderDigest::find(std::uint64_t pathHash) const {
    const auto at = std::lower_bound(folders.begin(), folders.end(), pathHash,
                                     [](const Folder& f, std::uint64_t h) { return f.pathHash < h; });
    return at != folders.end() && at->pathHash == pathHash ? &*at : nullptr;
}

std::uint64_t childPathHash(std::uint64_t parent, const char* name) {
    std::uint64_t h = 14695981039346656037ull ^ (parent * 0x9e3779b97f4a7c15ull);
    for (const char* c = name; *c; ++c) h = (h ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
    return h ^ (h >> 29);
}

}  // namespace orvalen::platform::posix
