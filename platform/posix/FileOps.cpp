// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/FileOps.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "core/RuntimeError.h"
#include "platform/LocalFileSystem.h"
#include "platform/posix/DirReader.h"
#include "platform/posix/ErrnoMap.h"

namespace orvalen::platform::posix {

namespace {

constexpr std::size_t kKernelChunk = std::size_t{1} << 30;
constexpr std::size_t kBufferSize = std::size_t{1} << 20;

// The process's umask, read once without changing it (umask() cannot be read
// without setting it, which would race with other threads).
mode_t currentUmask() {
    static const mode_t mask = [] {
        mode_t value = 0777;  // unknown: always set the mode afterwards
        if (FILE* status = std::fopen("/proc/self/status", "re")) {
            char line[256];
            while (std::fgets(line, sizeof line, status))
                if (std::sscanf(line, "Umask: %o", &value) == 1) break;
            std::fclose(status);
        }
        return value;
    }();
    return mask;
}

bool raiseFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return false;
    limit.rlim_cur = limit.rlim_max;
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

// Errors after which the buffered loop can still do the copy: the kernel's copy
// does not work between these two files.
bool kernelCopyUnsupported(int e) {
    return e == EXDEV || e == ENOSYS || e == EINVAL || e == EOPNOTSUPP || e == ENOTSUP ||
           e == EBADF;
}

void copyBuffered(int in, int out, off_t from, off_t to, const std::string& pathForErrors) {
    std::vector<char> buffer(kBufferSize);
    while (to < 0 || from < to) {
        std::size_t want = buffer.size();
        if (to >= 0) want = std::min<std::size_t>(want, static_cast<std::size_t>(to - from));
        const ssize_t got = ::pread(in, buffer.data(), want, from);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw ErrorFromErrno(errno, "Cannot read the source of", pathForErrors);
        }
        if (got == 0) return;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::pwrite(out, buffer.data() + done, static_cast<std::size_t>(got - done),
                                         from + done);
            if (put < 0) {
                if (errno == EINTR) continue;
                throw ErrorFromErrno(errno, "Cannot write", pathForErrors);
            }
            done += put;
        }
        from += got;
    }
}

// Copies bytes [from, to) of `in` to the same offsets of `out`; `to` < 0 means
// up to the end of the file.
void copyRange(int in, int out, off_t from, off_t to, bool sourceHasData, const std::string& pathForErrors) {
    bool first = true;
    while (to < 0 || from < to) {
        const std::size_t want =
            to < 0 ? kKernelChunk : std::min<std::size_t>(kKernelChunk, static_cast<std::size_t>(to - from));
        off_t inOffset = from;
        off_t outOffset = from;
        const ssize_t n = ::copy_file_range(in, &inOffset, out, &outOffset, want, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (kernelCopyUnsupported(errno)) return copyBuffered(in, out, from, to, pathForErrors);
            throw ErrorFromErrno(errno, "Cannot write", pathForErrors);
        }
        // Some kernels answer 0 for files whose length they cannot see; the
        // buffered loop tells an empty file from such a one.
        if (n == 0) {
            if (first && sourceHasData) return copyBuffered(in, out, from, to, pathForErrors);
            return;
        }
        first = false;
        from += n;
    }
}

void copyContent(int in, int out, const struct stat& st, const std::string& pathForErrors) {
    // Only a file with fewer blocks than its length can have holes; such a file
    // is copied piece by piece so the holes stay holes, as cp does.
    const bool mayHaveHoles = static_cast<off_t>(st.st_blocks) * 512 < st.st_size;
    if (!mayHaveHoles) {
        // The length seen when the copy began; a file still growing differs in
        // size afterwards and is copied again by the next pass.
        if (st.st_size > 0) copyRange(in, out, 0, st.st_size, true, pathForErrors);
        return;
    }

    off_t at = 0;
    for (;;) {
        const off_t data = ::lseek(in, at, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) break;  // only a hole is left
            return copyRange(in, out, at, -1, true, pathForErrors);
        }
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0) return copyRange(in, out, data, -1, true, pathForErrors);
        copyRange(in, out, data, hole, true, pathForErrors);
        at = hole;
    }
    if (::ftruncate(out, st.st_size) != 0) throw ErrorFromErrno(errno, "Cannot write", pathForErrors);
}

void removeQuietly(int folderFd, const std::string& name) {
    const int saved = errno;
    whileBusy([&] { return ::unlinkat(folderFd, name.c_str(), 0); });
    errno = saved;
}

// Makes the temporary name free; unlink never follows a link standing there.
void clearTemporary(int folderFd, const std::string& temp, const std::string& pathForErrors) {
    if (whileBusy([&] { return ::unlinkat(folderFd, temp.c_str(), 0); }) != 0 && errno != ENOENT)
        throw ErrorFromErrno(errno, "Cannot remove the unfinished copy of", pathForErrors);
}

}  // namespace

int openAt(int folderFd, const char* name, int flags, mode_t mode) {
    int fd = ::openat(folderFd, name, flags, mode);
    if (fd < 0 && errno == EMFILE && raiseFileLimit()) fd = ::openat(folderFd, name, flags, mode);
    return fd;
}

UniqueFd openOrCreateFolder(int folderFd, const std::string& name, const std::string& pathForErrors,
                            bool* created, mode_t mode) {
    if (created) *created = false;
    // Its final mode at once saves a chmod later, unless the umask would
    // change it or the owner could not write the content into it.
    mode &= 07777;
    if ((mode & 0700) != 0700 || (mode & 07000) != 0 || (mode & currentUmask()) != 0) mode = 0700;
    // A few rounds: someone else may change the entry between two calls.
    for (int round = 0; round < 4; ++round) {
        const int fd = openAt(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) return UniqueFd(fd);
        const int e = errno;
        if (e == ENOENT) {
            if (::mkdirat(folderFd, name.c_str(), mode) == 0) {
                if (created) *created = true;
            } else if (errno != EEXIST) {
                throw ErrorFromErrno(errno, "Cannot create folder", pathForErrors);
            }
            continue;
        }
        if (e != ELOOP && e != ENOTDIR) throw ErrorFromErrno(e, "Cannot open folder", pathForErrors);

        struct stat st{};
        if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;
            throw ErrorFromErrno(errno, "Cannot look at", pathForErrors);
        }
        if (S_ISLNK(st.st_mode)) {
            // Following it could lead the copy anywhere; the link goes, a real
            // folder takes its place.
            if (::unlinkat(folderFd, name.c_str(), 0) != 0 && errno != ENOENT)
                throw ErrorFromErrno(errno, "Cannot replace the link", pathForErrors);
            continue;
        }
        if (S_ISDIR(st.st_mode)) continue;
        throw RuntimeError(err::kFileAlreadyExists,
                           "A file stands where the folder " + pathForErrors + " belongs");
    }
    throw RuntimeError(err::kPathFileAccess, "The folder " + pathForErrors + " keeps changing");
}

void copyFileInto(int source, const struct stat& sourceStat, int folderFd, const std::string& name,
                  const std::string& pathForErrors, bool direct, std::int64_t* learnStep) {
    // Created with its final mode when the umask lets it through, saving a
    // chmod per file; O_EXCL|O_NOFOLLOW never opens what stands there already.
    const mode_t mode = sourceStat.st_mode & 07777;
    const bool modeSettles = (mode & 07000) == 0 && (mode & currentUmask()) == 0;
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    const mode_t createMode = modeSettles ? mode : 0600;

    std::string written;
    UniqueFd out;
    if (direct) {
        out.reset(openAt(folderFd, name.c_str(), flags, createMode));
        if (out.valid()) written = name;
        else if (errno != EEXIST)
            throw ErrorFromErrno(nameRefusal(errno, folderFd, nullptr), "Cannot create the copy", pathForErrors);
    }
    if (!out.valid()) {
        written = LocalFileSystem::TemporaryNameFor(name);
        out.reset(openAt(folderFd, written.c_str(), flags, createMode));
        if (!out.valid() && errno == EEXIST) {
            // Left by a copy that was cut off, or planted: removed, never followed.
            clearTemporary(folderFd, written, pathForErrors);
            out.reset(openAt(folderFd, written.c_str(), flags, createMode));
        }
        if (!out.valid())
            throw ErrorFromErrno(nameRefusal(errno, folderFd, nullptr), "Cannot create the copy", pathForErrors);
    }
    try {
        copyContent(source, out.get(), sourceStat, pathForErrors);
        if (!modeSettles && ::fchmod(out.get(), mode) != 0 && !metadataRefused(errno))
            throw ErrorFromErrno(errno, "Cannot set the permissions of", pathForErrors);
        if (out.close() != 0) throw ErrorFromErrno(errno, "Cannot write", pathForErrors);
        if (learnStep && *learnStep == 0) *learnStep = probeTimeStep(folderFd, written.c_str());
        // A file with its content but not yet its time is never taken for a
        // finished copy: the time comes last.
        const timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
        if (::utimensat(folderFd, written.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0 && !metadataRefused(errno))
            throw ErrorFromErrno(errno, "Cannot set the times of", pathForErrors);
        // rename replaces a link at the copy's path instead of writing through it.
        if (written != name &&
            whileBusy([&] { return ::renameat(folderFd, written.c_str(), folderFd, name.c_str()); }) != 0)
            throw ErrorFromErrno(nameRefusal(errno, folderFd, written.c_str()), "Cannot put the copy in place at",
                                 pathForErrors);
    } catch (...) {
        out.reset();
        removeQuietly(folderFd, written);
        throw;
    }
}

int nameRefusal(int e, int folderFd, const char* written) {
    if (e != ENOENT) return e;
    struct stat st{};
    // A folder deleted meanwhile has no links left: then the folder is missing.
    if (::fstat(folderFd, &st) != 0 || st.st_nlink == 0) return e;
    if (written && ::fstatat(folderFd, written, &st, AT_SYMLINK_NOFOLLOW) != 0) return e;
    return EACCES;
}

bool metadataRefused(int e) {
    return e == EOPNOTSUPP || e == ENOTSUP || e == ENOSYS || e == ENOTTY || e == EPERM || e == EACCES;
}

std::int64_t probeTimeStep(int folderFd, const char* name) {
    // Odd seconds and nine digits of nanoseconds: every coarser step shows.
    constexpr std::int64_t kSeconds = 1000000001;
    constexpr std::int64_t kNanos = 123456789;
    const timespec probe[2] = {{kSeconds, kNanos}, {kSeconds, kNanos}};
    struct stat st{};
    if (::utimensat(folderFd, name, probe, AT_SYMLINK_NOFOLLOW) != 0)
        return metadataRefused(errno) ? kTimesNotKept : 1;
    if (::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return 1;
    const std::int64_t set = kSeconds * 1000000000 + kNanos;
    const std::int64_t got = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    for (const std::int64_t step : {std::int64_t{1}, std::int64_t{10}, std::int64_t{100}, std::int64_t{1000},
                                    std::int64_t{1000000}, std::int64_t{10000000}, std::int64_t{1000000000},
                                    std::int64_t{2000000000}}) {
        const std::int64_t down = set / step * step;
        if (got == down || got == down + step) return step;  // cut or rounded up
    }
    return kTimesNotKept;  // taken without complaint, yet not kept
}

std::int64_t probeTimeStepWithTemporary(int folderFd, const std::string& name) {
    const std::string temp = LocalFileSystem::TemporaryNameFor(name);
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    UniqueFd probe(openAt(folderFd, temp.c_str(), flags, 0600));
    if (!probe.valid() && errno == EEXIST && ::unlinkat(folderFd, temp.c_str(), 0) == 0)
        probe.reset(openAt(folderFd, temp.c_str(), flags, 0600));
    if (!probe.valid()) return 1;  // cannot write here: compare exactly, the copy reports why
    probe.close();
    const std::int64_t step = probeTimeStep(folderFd, temp.c_str());
    removeQuietly(folderFd, temp);
    return step;
}

bool sameTime(const timespec& a, const timespec& b, std::int64_t step) {
    const std::int64_t apart = (std::int64_t{a.tv_sec} - b.tv_sec) * 1000000000 + (a.tv_nsec - b.tv_nsec);
    return apart == 0 || (apart < step && -apart < step);
}

bool copyTimeCurrent(const timespec& copy, const timespec& source, std::int64_t step) {
    // Without times of its own the copy carries the time it was written, in
    // whole seconds at best: a source changed since then is newer.
    if (step == kTimesNotKept) return copy.tv_sec >= source.tv_sec;
    return sameTime(copy, source, step);
}

void removeTreeAt(int folderFd, const std::string& name, const std::string& pathForErrors) {
    if (::unlinkat(folderFd, name.c_str(), 0) == 0 || errno == ENOENT) return;
    if (errno != EISDIR && errno != EPERM) throw ErrorFromErrno(errno, "Cannot remove", pathForErrors);
    // A folder: emptied level by level, one open folder per level.
    struct Open {
        DirReader reader;
        int parent;
        std::string name;
    };
    std::vector<Open> open;
    const auto enter = [&](int parent, const std::string& child) {
        UniqueFd fd(openAt(parent, child.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.valid()) throw ErrorFromErrno(errno, "Cannot remove", pathForErrors);
        open.push_back(Open{DirReader(std::move(fd), pathForErrors), parent, child});
    };
    enter(folderFd, name);
    while (!open.empty()) {
        Open& here = open.back();
        if (const dirent* entry = here.reader.next()) {
            const int at = here.reader.fd();
            if (::unlinkat(at, entry->d_name, 0) == 0 || errno == ENOENT) continue;
            if (errno != EISDIR && errno != EPERM) throw ErrorFromErrno(errno, "Cannot remove", pathForErrors);
            enter(at, entry->d_name);
            continue;
        }
        const int parent = here.parent;
        const std::string done = here.name;
        open.pop_back();
        if (::unlinkat(parent, done.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT)
            throw ErrorFromErrno(errno, "Cannot remove", pathForErrors);
    }
}

void copyLinkInto(int sourceFolderFd, const char* name, const struct stat& linkStat, int folderFd,
                  const std::string& pathForErrors) {
    std::string target(static_cast<std::size_t>(std::max<off_t>(linkStat.st_size, PATH_MAX)) + 1, '\0');
    const ssize_t n = ::readlinkat(sourceFolderFd, name, target.data(), target.size());
    if (n < 0) throw ErrorFromErrno(errno, "Cannot read the link for", pathForErrors);
    target.resize(static_cast<std::size_t>(n));

    const std::string temp = LocalFileSystem::TemporaryNameFor(name);
    clearTemporary(folderFd, temp, pathForErrors);
    if (::symlinkat(target.c_str(), folderFd, temp.c_str()) != 0) {
        if (metadataRefused(errno)) return;  // this destination holds no links
        throw ErrorFromErrno(errno, "Cannot create the link", pathForErrors);
    }
    const timespec times[2] = {linkStat.st_atim, linkStat.st_mtim};
    ::utimensat(folderFd, temp.c_str(), times, AT_SYMLINK_NOFOLLOW);  // times of a link are a nicety
    if (whileBusy([&] { return ::renameat(folderFd, temp.c_str(), folderFd, name); }) != 0) {
        const int e = nameRefusal(errno, folderFd, temp.c_str());
        removeQuietly(folderFd, temp);
        throw ErrorFromErrno(e, "Cannot put the link in place at", pathForErrors);
    }
}

void keepTimes(int fd, const struct stat& sourceStat, const std::string& pathForErrors) {
    const timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    if (::futimens(fd, times) != 0 && !metadataRefused(errno))
        throw ErrorFromErrno(errno, "Cannot set the times of", pathForErrors);
}

void keepModeAndTimes(int fd, const struct stat& sourceStat, const std::string& pathForErrors) {
    if (::fchmod(fd, sourceStat.st_mode & 07777) != 0 && !metadataRefused(errno))
        throw ErrorFromErrno(errno, "Cannot set the permissions of", pathForErrors);
    keepTimes(fd, sourceStat, pathForErrors);
}

}  // namespace orvalen::platform::posix
