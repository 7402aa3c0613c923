// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/FolderSize.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/PathText.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/DirReader.h"
#include "platform/posix/EntryStat.h"
#include "platform/posix/FileOps.h"

namespace orvalen::platform::posix {

namespace {

// Beyond this many folders a walk keeps no digests: memory stays bounded.
constexpr std::size_t kMaxDigestFolders = std::size_t{1} << 20;

std::uint64_t mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// One open folder of the walk and the digests of what was seen in it so far.
// Entries are added up, so the order in which a folder lists them is of no
// account.
struct Open {
    DirReader reader;
    std::string name;  // in its parent
    std::uint64_t pathHash;
    std::uint64_t exact = 0;
    std::uint64_t seconds = 0;

    void add(const char* entryName, std::uint64_t kind, std::uint64_t exactPart, std::uint64_t secondsPart) {
        const std::uint64_t id = mix(childPathHash(0, entryName) ^ mix(kind));
        exact += mix(id ^ exactPart);
        seconds += mix(id ^ secondsPart);
    }
};

constexpr std::uint64_t kFile = 1, kLink = 2, kFolder = 3;

}  // namespace

std::uint64_t totalSize(UniqueFd folder, const std::string& pathForErrors, FolderDigest* digest) {
    if (digest) digest->folders.clear();
    EntryStat root;
    if (statOpen(folder.get(), root) != 0) throw ErrorFromErrno(errno, "Cannot look at", pathForErrors);
    if (isKernelFileSystem(folder.get(), root)) return 0;
    bool keepDigests = digest != nullptr;

    // One open folder per level instead of recursion: a deep tree costs a
    // stream per level and never the call stack.
    std::vector<Open> open;
    open.push_back(Open{DirReader(std::move(folder), pathForErrors), std::string(), 0});
    std::uint64_t total = 0;

    const auto enter = [&](const char* name) {
        Open& parent = open.back();
        bool elsewhere = false;
        int fd = openFolderOnMount(parent.reader.fd(), name, root, elsewhere);
        if (fd < 0 && errno == EMFILE && !elsewhere) {
            // A very deep tree: openAt raises the descriptor limit.
            fd = openAt(parent.reader.fd(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd >= 0) ::close(fd);
            fd = openFolderOnMount(parent.reader.fd(), name, root, elsewhere);
        }
        // Another file system mounted below counts nothing, as in the copy,
        // where it is an empty folder.
        if (elsewhere) {
            parent.add(name, kFolder, mix(0), mix(0));
            return;
        }
        std::string child = path::Join(parent.reader.path(), name);
        if (fd < 0) {
            if (errno == ENOENT) return;
            throw ErrorFromErrno(errno, "Cannot read folder", child);
        }
        const std::uint64_t pathHash = childPathHash(parent.pathHash, name);
        open.push_back(Open{DirReader(UniqueFd(fd), std::move(child)), name, pathHash});
    };

    while (!open.empty()) {
        Open& here = open.back();
        const dirent* entry = here.reader.next();
        if (!entry) {
            const FolderDigest::Folder done{here.pathHash, mix(here.exact), mix(here.seconds)};
            const std::string name = std::move(here.name);
            open.pop_back();
            if (keepDigests) {
                if (digest->folders.size() < kMaxDigestFolders) digest->folders.push_back(done);
                else keepDigests = false, digest->folders.clear();
            }
            if (!open.empty()) open.back().add(name.c_str(), kFolder, done.exact, done.seconds);
            continue;
        }
        if (entry->d_type == DT_DIR) {
            enter(entry->d_name);
            continue;
        }
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;

        EntryStat st;
        if (statAt(here.reader.fd(), entry->d_name, st) != 0) {
            if (errno == ENOENT) continue;  // gone meanwhile
            throw ErrorFromErrno(errno, "Cannot look at", path::Join(here.reader.path(), entry->d_name));
        }
        if (!onSameMount(st, root)) continue;
        const mode_t mode = st.st.st_mode;
        const auto size = static_cast<std::uint64_t>(st.st.st_size);
        if (S_ISREG(mode)) {
            total += size;
            const std::uint64_t ns = static_cast<std::uint64_t>(st.st.st_mtim.tv_sec) * 1000000000u +
                                     static_cast<std::uint64_t>(st.st.st_mtim.tv_nsec);
            here.add(entry->d_name, kFile, mix(size) ^ ns, mix(size) ^ static_cast<std::uint64_t>(st.st.st_mtim.tv_sec));
        } else if (S_ISLNK(mode)) {
            total += size;
            here.add(entry->d_name, kLink, mix(size), mix(size));  // a link's own time is a nicety
        } else if (S_ISDIR(mode)) {
            enter(entry->d_name);
        }
        // FIFOs, sockets and devices count nothing.
    }
    if (keepDigests)
        std::sort(digest->folders.begin(), digest->folders.end(),
                  [](const FolderDigest::Folder& a, const FolderDigest::Folder& b) { return a.pathHash < b.pathHash; });
    return total;
}

}  // namespace orvalen::platform::posix
