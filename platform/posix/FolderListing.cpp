// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/ErrnoMap.h"

namespace orvalen::platform {

namespace {

// Closes the folder stream on every way out.
struct DirCloser {
    DIR* dir;
    ~DirCloser() { ::closedir(dir); }
};

}  // namespace

FolderListing ListFolder(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir) throw ErrorFromErrno(errno, "Cannot open folder", path);
    DirCloser closer{dir};
    const int fd = ::dirfd(dir);

    FolderListing listing;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            // A share whose server went away answers here with EIO.
            if (errno != 0) throw ErrorFromErrno(errno, "Cannot read folder", path);
            break;
        }
        if (entry->d_name[0] == '.') continue;  // ".", ".." and hidden entries

        unsigned char type = entry->d_type;
        // Only links and file systems that do not report the type cost a
        // stat; a link is followed so that a link to a folder opens like one.
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(fd, entry->d_name, &st, 0) != 0) continue;  // dangling link, or gone meanwhile
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) listing.folders.emplace_back(entry->d_name);
        else if (type == DT_REG) listing.files.emplace_back(entry->d_name);
        // Devices, pipes and sockets are not files one could copy.
    }
    std::sort(listing.folders.begin(), listing.folders.end());
    std::sort(listing.files.begin(), listing.files.end());
    return listing;
}

}  // namespace orvalen::platform
