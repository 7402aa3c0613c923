// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/FolderSize.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "core/PathText.h"
#include "platform/ErrnoMap.h"
#include "platform/posix/DirReader.h"
#include "platform/posix/EntryStat.h"
#include "platform/posix/FileOps.h"

namespace orvalen::platform::posix {

std::uint64_t totalSize(UniqueFd folder, const std::string& shown) {
    EntryStat root;
    if (statOpen(folder.get(), root) != 0) throw ErrorFromErrno(errno, "Cannot look at", shown);
    if (isKernelFileSystem(folder.get(), root)) return 0;

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
        if (entry->d_type == DT_DIR) {
            const int fd = openAt(here.fd(), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            std::string child = path::Join(here.path(), entry->d_name);
            if (fd < 0) {
                if (errno == ENOENT) continue;
                throw ErrorFromErrno(errno, "Cannot read folder", child);
            }
            UniqueFd sub(fd);
            EntryStat st;
            if (statOpen(fd, st) != 0) throw ErrorFromErrno(errno, "Cannot look at", child);
            // Another file system mounted below counts nothing, as in the copy.
            if (onSameMount(st, root)) open.emplace_back(std::move(sub), std::move(child));
            continue;
        }
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;

        EntryStat st;
        if (statAt(here.fd(), entry->d_name, st) != 0) {
            if (errno == ENOENT) continue;  // gone meanwhile
            throw ErrorFromErrno(errno, "Cannot look at", path::Join(here.path(), entry->d_name));
        }
        if (!onSameMount(st, root)) continue;
        if (S_ISREG(st.st.st_mode) || S_ISLNK(st.st.st_mode)) {
            total += static_cast<std::uint64_t>(st.st.st_size);
        } else if (S_ISDIR(st.st.st_mode)) {
            const int fd = openAt(here.fd(), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            std::string child = path::Join(here.path(), entry->d_name);
            if (fd < 0) {
                if (errno == ENOENT) continue;
                throw ErrorFromErrno(errno, "Cannot read folder", child);
            }
            open.emplace_back(UniqueFd(fd), std::move(child));
        }
        // FIFOs, sockets and devices count nothing.
    }
    return total;
}

}  // namespace orvalen::platform::posix
