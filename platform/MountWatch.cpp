// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MountWatch.h"

#include <sstream>

#include "core/PathText.h"
#include "platform/MountInfo.h"

namespace orvalen::platform {

namespace {

// `path` is `folder` or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view folder) {
    if (folder == path::kSeparatorText) return !path.empty() && path.front() == path::kSeparator;
    if (path.substr(0, folder.size()) != folder) return false;
    return path.size() == folder.size() || path[folder.size()] == path::kSeparator;
}

// The mount that holds `folder`: the deepest mount point above it. Of mounts
// stacked on one point the last one listed is the one seen.
std::string MountHolding(std::string_view folder, const std::vector<MountEntry>& mounts) {
    std::string best;
    for (const MountEntry& m : mounts)
        if (IsAtOrBelow(folder, m.mountPoint) && m.mountPoint.size() >= best.size()) best = m.mountPoint;
    return best;
}

}  // namespace

bool MountWatch::isGone(const std::string& destination, const std::string& resolved, const std::string& existing,
                        const std::vector<MountEntry>& mounts, const std::vector<std::string>& fstabMountPoints) {
    const std::string holding = MountHolding(existing, mounts);
    // A mount point deeper than the mount that holds the nearest existing
    // folder, on the destination's path, is a mount point that is not mounted.
    const auto missing = [&](const std::string& mountPoint) {
        return mountPoint.size() > holding.size() && IsAtOrBelow(resolved, mountPoint);
    };
    for (const std::string& listed : fstabMountPoints)
        if (missing(listed)) return true;
    const auto seen = m_seenMount.find(destination);
    if (seen != m_seenMount.end() && missing(seen->second)) return true;
    m_seenMount[destination] = holding;
    return false;
}

namespace mountinfo {

std::vector<std::string> ParseFstabMountPoints(std::string_view text) {
    std::vector<std::string> points;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string spec, mountPoint, type;
        if (!(fields >> spec >> mountPoint >> type) || spec.front() == '#') continue;
        if (type == "swap" || mountPoint == "none" || mountPoint.front() != '/') continue;
        points.push_back(DecodeOctalEscapes(mountPoint));
    }
    return points;
}

}  // namespace mountinfo

}  // namespace orvalen::platform
