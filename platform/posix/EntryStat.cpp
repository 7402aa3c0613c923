// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/EntryStat.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace orvalen::platform::posix {

namespace {

constexpr unsigned kWanted = STATX_BASIC_STATS | STATX_MNT_ID;

bool g_noStatx = false;  // seccomp filters and old kernels refuse it

timespec timeOf(const statx_timestamp& t) {
    timespec ts{};
    ts.tv_sec = t.tv_sec;
    ts.tv_nsec = t.tv_nsec;
    return ts;
}

void fill(const struct statx& x, EntryStat& out) {
    struct stat& st = out.st;
    st = {};
    st.st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
    st.st_ino = x.stx_ino;
    st.st_mode = x.stx_mode;
    st.st_nlink = x.stx_nlink;
    st.st_uid = x.stx_uid;
    st.st_gid = x.stx_gid;
    st.st_rdev = makedev(x.stx_rdev_major, x.stx_rdev_minor);
    st.st_size = static_cast<off_t>(x.stx_size);
    st.st_blksize = x.stx_blksize;
    st.st_blocks = static_cast<blkcnt_t>(x.stx_blocks);
    st.st_atim = timeOf(x.stx_atime);
    st.st_mtim = timeOf(x.stx_mtime);
    st.st_ctim = timeOf(x.stx_ctime);
    out.hasMountId = (x.stx_mask & STATX_MNT_ID) != 0;
    out.mountId = out.hasMountId ? x.stx_mnt_id : 0;
}

int statxOr(int fd, const char* name, int flags, EntryStat& out) {
    if (!g_noStatx) {
        struct statx x{};
        if (::statx(fd, name, flags | AT_STATX_SYNC_AS_STAT, kWanted, &x) == 0) {
            fill(x, out);
            return 0;
        }
        if (errno != ENOSYS && errno != EPERM) return -1;
        g_noStatx = true;
    }
    out.hasMountId = false;
    out.mountId = 0;
    return ::fstatat(fd, name, &out.st, flags);
}

// Whether the mount `id` is a devtmpfs, which shares tmpfs's magic number.
bool isDevtmpfs(std::uint64_t id) {
    FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (!table) return false;
    bool found = false;
    char line[4096];
    while (std::fgets(line, sizeof line, table)) {
        unsigned long long lineId = 0;
        if (std::sscanf(line, "%llu", &lineId) != 1 || lineId != id) continue;
        const char* dash = std::strstr(line, " - ");
        found = dash && std::strncmp(dash + 3, "devtmpfs ", 9) == 0;
        break;
    }
    std::fclose(table);
    return found;
}

}  // namespace

int statAt(int folderFd, const char* name, EntryStat& out) {
    // An automount point is not set off by looking at it, as fstatat does not.
    return statxOr(folderFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, out);
}

int statOpen(int fd, EntryStat& out) {
    return statxOr(fd, "", AT_EMPTY_PATH, out);
}

int openFolderOnMount(int folderFd, const char* name, const EntryStat& root, bool& elsewhere) {
    static std::atomic<bool> noOpenat2{false};  // kernels before 5.6, or filtered
    elsewhere = false;
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    if (!noOpenat2) {
        open_how how{};
        how.flags = flags;
        how.resolve = RESOLVE_NO_XDEV;
        const int fd = static_cast<int>(::syscall(SYS_openat2, folderFd, name, &how, sizeof how));
        if (fd >= 0) return fd;
        if (errno == EXDEV) {
            elsewhere = true;
            return -1;
        }
        if (errno != ENOSYS && errno != EPERM) return -1;
        noOpenat2 = true;
    }
    const int fd = ::openat(folderFd, name, flags);
    if (fd < 0) return -1;
    EntryStat st;
    if (statOpen(fd, st) != 0) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    if (!onSameMount(st, root)) {
        ::close(fd);
        elsewhere = true;
        return -1;
    }
    return fd;
}

bool onSameMount(const EntryStat& entry, const EntryStat& root) {
    if (entry.hasMountId && root.hasMountId) return entry.mountId == root.mountId;
    return entry.st.st_dev == root.st.st_dev;
}

bool isKernelFileSystem(int fd, const EntryStat& folder) {
    struct statfs fs{};
    if (::fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case PSTOREFS_MAGIC:
        case BPF_FS_MAGIC:
        case 0x62656570UL:  // configfs
        case DEVPTS_SUPER_MAGIC:
        case 0x19800202UL:  // mqueue
        case EFIVARFS_MAGIC:
        case 0x65735543UL:  // fusectl
        case SELINUX_MAGIC:
        case SMACK_MAGIC:
        case BINFMTFS_MAGIC:
        case NSFS_MAGIC:
            return true;
        case TMPFS_MAGIC:
            return folder.hasMountId && isDevtmpfs(folder.mountId);
        default:
            return false;
    }
}

}  // namespace orvalen::platform::posix
