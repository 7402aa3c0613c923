// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/MountInfo.h"

#include <algorithm>
#include <array>
#include <map>

#include "core/PathText.h"

namespace orvalen::platform::mountinfo {

using path::IsAtOrBelow;

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Kernel and system file systems: nothing a person keeps files on. An
// automount point (autofs) is not one of them: it stands for a share or disk
// that is mounted when first used, and is listed as a drive letter is.
constexpr std::array<std::string_view, 26> kPseudoTypes = {
    "proc",       "sysfs",      "cgroup",    "cgroup2",    "devpts",      "devtmpfs",  "mqueue",
    "debugfs",    "tracefs",    "securityfs", "pstore",    "bpf",         "configfs",  "fusectl",
    "hugetlbfs",  "binfmt_misc", "efivarfs", "rpc_pipefs",  "nsfs",      "selinuxfs",
    "squashfs",   "ramfs",      "nfsd",      "fuse.portal", "fuse.lxcfs", "overlay"};

bool IsPseudoType(std::string_view fsType) {
    return std::find(kPseudoTypes.begin(), kPseudoTypes.end(), fsType) != kPseudoTypes.end();
}

// Where the system keeps its own mounts. Removable media under /run/media is
// the user's; so are network mounts, except inside the kernel's own trees.
bool IsSystemPlace(std::string_view mountPoint, bool network) {
    for (std::string_view kernel : {"/proc", "/sys", "/dev"})
        if (IsAtOrBelow(mountPoint, kernel)) return true;
    if (network) return false;
    if (IsAtOrBelow(mountPoint, "/run/media")) return false;
    for (std::string_view system : {"/run", "/boot", "/snap", "/etc", "/var/lib", "/var/snap"})
        if (IsAtOrBelow(mountPoint, system)) return true;
    return false;
}

// A source that names a share: "//server/share", "host:/export", "user@host:/path".
bool LooksLikeShare(std::string_view source) {
    return source.substr(0, 2) == "//" || source.find(':') != std::string_view::npos;
}

std::string VolumeName(const MountEntry& m, const DiskLabels& labels) {
    if (auto it = labels.byDevNumbers.find(m.devNumbers); it != labels.byDevNumbers.end())
        return it->second;
    if (auto it = labels.byDevicePath.find(m.source); it != labels.byDevicePath.end())
        return it->second;
    if (IsNetworkType(m.fsType) && LooksLikeShare(m.source)) return m.source;
    if (m.source.rfind("/dev/", 0) == 0) return std::string(path::LastComponent(m.source));
    return std::string(path::LastComponent(m.mountPoint));
}

}  // namespace

std::string DecodeHexEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && HexValue(text[i + 2]) >= 0 &&
            HexValue(text[i + 3]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsNetworkType(std::string_view fsType) {
    for (std::string_view t : {"cifs", "smb3", "smbfs", "nfs", "nfs4", "ncpfs", "afs", "9p", "davfs",
                               "fuse.sshfs", "fuse.gvfsd-fuse", "fuse.rclone", "fuse.davfs2"})
        if (fsType == t) return true;
    return false;
}

std::vector<Volume> PickVolumes(const std::vector<MountEntry>& mounts, const DiskLabels& labels) {
    // A later mount on the same point hides the earlier one.
    std::map<std::string, const MountEntry*> top;
    for (const MountEntry& m : mounts) top[m.mountPoint] = &m;

    std::vector<Volume> volumes;
    Volume root{"/", ""};
    if (auto it = top.find("/"); it != top.end()) root.name = VolumeName(*it->second, labels);
    volumes.push_back(root);

    for (const auto& [mountPoint, m] : top) {  // std::map keeps them sorted
        if (mountPoint == "/" || mountPoint.empty() || mountPoint[0] != '/') continue;
        const bool network = IsNetworkType(m->fsType);
        if (!network && IsPseudoType(m->fsType)) continue;
        if (IsSystemPlace(mountPoint, network)) continue;
        volumes.push_back(Volume{mountPoint, VolumeName(*m, labels)});
    }
    return volumes;
}

}  // namespace orvalen::platform::mountinfo
