// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/DesktopShares.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "core/PathText.h"

namespace orvalen::platform::desktopshares {

namespace {

// `path` lies inside `folder`, not on it.
bool IsBelow(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() + (path::EndsWithSeparator(folder) ? 0 : 1) && path::IsAtOrBelow(path, folder);
}

// The mount points whose visible (last) mount is GVfs's FUSE mount.
std::vector<std::string> GvfsFusePoints(const std::vector<MountEntry>& mounts) {
    std::map<std::string, const MountEntry*> top;
    for (const MountEntry& m : mounts) top[m.mountPoint] = &m;
    std::vector<std::string> points;
    for (const auto& [point, m] : top)
        if (m->fsType == kGvfsFuseType) points.push_back(point);
    return points;
}

}  // namespace

bool HasGvfsFuse(const std::vector<MountEntry>& mounts) { return !GvfsFusePoints(mounts).empty(); }

std::vector<Volume> AddDesktopShares(std::vector<Volume> volumes, const std::vector<MountEntry>& mounts,
                                     const std::vector<DesktopMount>& desktop) {
    const std::vector<std::string> fusePoints = GvfsFusePoints(mounts);
    // A path can also be a mount of its own inside the FUSE folder; one
    // drive per mount point, whichever came first.
    const auto listed = [&](const std::string& point) {
        return std::any_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.mountPoint == point; });
    };
    for (const DesktopMount& d : desktop) {
        // A desktop path outside the FUSE mount is another disk, or a FUSE
        // mount this process cannot see (another mount namespace).
        const bool inGvfs = std::any_of(fusePoints.begin(), fusePoints.end(),
                                        [&](const std::string& point) { return IsBelow(d.path, point); });
        if (!inGvfs || listed(d.path)) continue;
        volumes.push_back(Volume{d.path, d.name.empty() ? std::string(path::LastComponent(d.path)) : d.name});
    }
    // The root stays first; std::map ordered the rest by bytes, and so does this.
    const auto rest = volumes.empty() || volumes.front().mountPoint != "/" ? volumes.begin() : volumes.begin() + 1;
    std::stable_sort(rest, volumes.end(),
                     [](const Volume& a, const Volume& b) { return a.mountPoint < b.mountPoint; });
    return volumes;
}

}  // namespace orvalen::platform::desktopshares
