// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/SystemVolumeSource.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "core/PathText.h"
#include "platform/posix/DesktopShares.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/GioDesktopMounts.h"
#include "platform/posix/MountInfo.h"
#include "platform/posix/MountTables.h"

namespace orvalen::platform {

std::unique_ptr<VolumeSource> MakeSystemVolumeSource() {
    return std::make_unique<posix::SystemVolumeSource>();
}

namespace posix {

SystemVolumeSource::SystemVolumeSource(std::string mountInfoPath, std::string labelFolder,
                                       std::chrono::milliseconds desktopDeadline)
    : m_mountInfoPath(std::move(mountInfoPath)),
      m_labelFolder(std::move(labelFolder)),
      m_desktopDeadline(desktopDeadline) {}

std::vector<Volume> SystemVolumeSource::volumes() {
    // Without a mount table (not Linux, or /proc not mounted) the root is
    // still there to browse from.
    const std::vector<MountEntry> mounts = ReadMountTable(m_mountInfoPath);
    std::vector<Volume> volumes = mountinfo::PickVolumes(mounts, readLabels());
    // The desktop is asked only when GVfs has its FUSE mount here: elsewhere
    // none of its mounts has a path to browse.
    if (!desktopshares::HasGvfsFuse(mounts)) return volumes;
    return desktopshares::AddDesktopShares(std::move(volumes), mounts, ReadGioMounts(m_desktopDeadline));
}

DiskLabels SystemVolumeSource::readLabels() const {
    DiskLabels labels;
    DIR* dir = ::opendir(m_labelFolder.c_str());
    if (!dir) return labels;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string link = path::Join(m_labelFolder, entry->d_name);
        const std::string label = mountinfo::DecodeHexEscapes(entry->d_name);
        struct stat st {};
        if (::stat(link.c_str(), &st) == 0 && S_ISBLK(st.st_mode))
            labels.byDevNumbers[std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev))] = label;
        if (char* real = ::realpath(link.c_str(), nullptr)) {
            labels.byDevicePath[real] = label;
            std::free(real);
        }
    }
    ::closedir(dir);
    return labels;
}

void SystemVolumeSource::openVolume(const std::string& mountPoint) {
    // The mount folder of a dead share still answers stat; only reading its
    // entries shows that the device is gone.
    DIR* dir = ::opendir(mountPoint.c_str());
    if (!dir) throw ErrorFromErrno(errno, "Cannot open volume", mountPoint);
    errno = 0;
    const bool readFailed = ::readdir(dir) == nullptr && errno != 0;
    const int readErrno = errno;
    ::closedir(dir);
    if (readFailed) throw ErrorFromErrno(readErrno, "Cannot read volume", mountPoint);
}

FolderListing SystemVolumeSource::listFolder(const std::string& path) { return ListFolder(path); }

}  // namespace posix
}  // namespace orvalen::platform
