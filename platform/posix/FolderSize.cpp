// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/FolderSize.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "core/PathText.h"
#include "platform/ErrnoMap.h"
#include "platform/posix/DirReader.h"
#include "platform/posix/FileOps.h"

namespace orvalen::platform::posix {

namespace {

unsigned char entryType(mode_t mode) {
    if (S_ISDIR(mode)) return DT_DIR;
    if (S_ISREG(mode)) return DT_REG;
    if (S_ISLNK(mode)) return DT_LNK;
    return DT_UNKNOWN;  // FIFOs, sockets, devices: not counted
}

}  // namespace

std::uint64_t totalSize(UniqueFd folder, const std::string& shown) {
    // One open folder per level instead of recursion: a deep tree costs a
    // stream per level and never the call stack.
    std::vector<DirReader> open;
    open.emplace_back(std::move(folder), shown);
    std::uint64_t total = 0;

    while (!open.empty()) {
        DirReader& here = open.back();
        const dirent* entry = here.next();
        if (!entry) {
            open.pop_back();
            continue;
        }
        struct stat st{};
        bool haveStat = false;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            if (::fstatat(here.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) continue;  // gone meanwhile
                throw ErrorFromErrno(errno, "Cannot look at", path::Join(here.path(), entry->d_name));
            }
            haveStat = true;
            type = entryType(st.st_mode);
        }

        if (type == DT_DIR) {
            const int fd = openAt(here.fd(), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            std::string child = path::Join(here.path(), entry->d_name);
            if (fd < 0) {
                if (errno == ENOENT) continue;
                throw ErrorFromErrno(errno, "Cannot read folder", child);
            }
            open.emplace_back(UniqueFd(fd), std::move(child));
        } else if (type == DT_REG || type == DT_LNK) {
            if (!haveStat && ::fstatat(here.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) continue;
                throw ErrorFromErrno(errno, "Cannot look at", path::Join(here.path(), entry->d_name));
            }
            total += static_cast<std::uint64_t>(st.st_size);
        }
    }
    return total;
}

}  // namespace orvalen::platform::posix
