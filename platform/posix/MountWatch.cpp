// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/MountWatch.h"

#include <algorithm>

#include "core/PathText.h"

namespace orvalen::platform {

using path::IsAtOrBelow;

namespace {

// The mount that holds `folder`: the deepest mount point above it. Of mounts
// stacked on one point the last one listed is the one seen.
const MountEntry* MountHolding(std::string_view folder, const std::vector<MountEntry>& mounts) {
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts)
        if (IsAtOrBelow(folder, m.mountPoint) && (!best || m.mountPoint.size() >= best->mountPoint.size()))
            best = &m;
    return best;
}

// The names of `path` below `folder`, which holds it.
std::vector<std::string_view> NamesBelow(std::string_view path, std::string_view folder) {
    std::vector<std::string_view> names;
    std::string_view rest = path.substr(std::min(path.size(), folder == path::kSeparatorText ? 0 : folder.size()));
    while (!rest.empty()) {
        const std::size_t start = rest.find_first_not_of(path::kSeparator);
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const std::size_t end = std::min(rest.find(path::kSeparator), rest.size());
        names.push_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    return names;
}

// How many folders below a per-user mount make one share: GVfs shows
// "smb-share:server=S,share=N", kio-fuse "smb/S/N" or "sftp/S" and the
// path. 0 for any other mount.
std::size_t ShareDepth(std::string_view fsType, std::string_view first) {
    if (fsType == "fuse.gvfsd-fuse") return 1;
    if (fsType == "fuse.kio-fuse") return first == "smb" ? 3 : 2;
    return 0;
}

// The desktop clients' own mount points in a runtime folder.
bool IsUserMountName(std::string_view name) {
    return name == "gvfs" || name.substr(0, 9) == "kio-fuse-";
}

}  // namespace

bool MountWatch::isGoneElseRecord(const std::string& destination, const std::string& resolved,
                                  const std::string& existing, const std::vector<MountEntry>& mounts,
                                  const std::vector<std::string>& fstabMountPoints) {
    const MountEntry* holdingMount = MountHolding(existing, mounts);
    const std::string holding = holdingMount ? holdingMount->mountPoint : std::string();
    // A mount point deeper than the mount that holds the nearest existing
    // folder, on the destination's path, is a mount point that is not mounted.
    const auto missing = [&](const std::string& mountPoint) {
        return mountPoint.size() > holding.size() && IsAtOrBelow(resolved, mountPoint);
    };
    for (const std::string& listed : fstabMountPoints)
        if (missing(listed)) return true;
    for (const std::string& runtime : m_runtimeDirs) {
        if (runtime.empty() || !IsAtOrBelow(resolved, runtime)) continue;
        const auto names = NamesBelow(resolved, runtime);
        if (!names.empty() && IsUserMountName(names.front()) &&
            missing(path::Join(runtime, std::string(names.front()))))
            return true;
    }
    if (holdingMount) {
        // An ejected share's folder, under a mount that stays.
        const auto wanted = NamesBelow(resolved, holding);
        const std::size_t depth = ShareDepth(holdingMount->fsType, wanted.empty() ? "" : wanted.front());
        if (NamesBelow(existing, holding).size() < std::min(depth, wanted.size())) return true;
    }
    const auto seen = m_seenMount.find(destination);
    if (seen != m_seenMount.end() && missing(seen->second)) return true;
    m_seenMount[destination] = holding;
    return false;
}

}  // namespace orvalen::platform
