// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>

#include "platform/posix/UniqueFd.h"

// The steps that copies and walks are made of, all relative to open folders so
// that nothing below a destination is reached through a link.
namespace orvalen::platform::posix {

// openat() that, when the process runs out of descriptors (a very deep tree),
// raises its soft limit once and tries again. Returns -1 with errno set.
int openAt(int folderFd, const char* name, int flags, mode_t mode = 0);

// Runs `op` (0, or -1 with errno) again for a moment while it fails with
// EBUSY. A share refuses to rename or remove a file, or a folder holding one,
// until the server hears that the client closed it, which may come a little
// after close() returned; waits of 5 ms doubling, about 1.3 s in all.
template <class Op>
int whileBusy(Op&& op) {
    int result = op();
    for (int wait = 5; result != 0 && errno == EBUSY && wait <= 640; wait *= 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        result = op();
    }
    return result;
}

// Opens the folder `name` inside `folderFd` without following a link there.
// A missing folder is created (owner-writable, its final mode comes when its
// content is written); a link is replaced by a real folder. A file or other
// entry there is someone's data: err::kFileAlreadyExists, left alone.
// `pathForErrors` names it in errors.
// `created` (when given) tells whether the folder was made here; `mode` is
// the mode it is made with when the umask keeps it and the owner may write.
UniqueFd openOrCreateFolder(int folderFd, const std::string& name, const std::string& pathForErrors,
                            bool* created = nullptr, mode_t mode = 0700);

// Writes the open regular file `source` (described by `sourceStat`) as `name`
// inside `folderFd`: through the hidden temporary name, with the source's
// permission bits and times, renamed into place when complete. `direct`: the
// folder is a copy still being built under its own temporary name, so the
// file is written under its name at once (when nothing stands there). The
// times are set after closing: a share may set the time when a file is
// closed. When `learnStep` points at 0, the written file also tells the
// folder's time step (see probeTimeStep).
void copyFileInto(int source, const struct stat& sourceStat, int folderFd, const std::string& name,
                  const std::string& pathForErrors, bool direct = false, std::int64_t* learnStep = nullptr);

// Whether a failed call that sets metadata (mode, times, owner, a link) means
// only that this file system, or this share's server, does not keep it: GVfs
// refuses chmod, kio-fuse every time and mode change, smbnetfs links. The
// copy then goes on without it; its content is what matters.
bool metadataRefused(int e);

// Through a share, a name the server refuses (a link standing there that it
// will not follow) answers ENOENT, though the folder is open and what was
// written under `written` (null when nothing yet) is there: that is refused
// access at the destination (EACCES), not a missing folder. Any other errno
// comes back unchanged.
int nameRefusal(int e, int folderFd, const char* written);

// What probeTimeStep answers when the destination does not take the times it
// is given (kio-fuse): a copy then counts as current when it is not older
// than its source.
inline constexpr std::int64_t kTimesNotKept = std::numeric_limits<std::int64_t>::max();

// The step in nanoseconds in which the file system of `folderFd` keeps
// modification times (1 for nanoseconds, 100 for SMB, 2e9 for FAT), found by
// setting a time with nanoseconds on the closed entry `name` that belongs to
// the copy and reading it back. 1 (exact comparison) when it cannot be told;
// kTimesNotKept when setting is refused or the time read back is another.
std::int64_t probeTimeStep(int folderFd, const char* name);

// The same, on a short-lived file under the hidden temporary name of `name`,
// removed again; for folders where nothing is written otherwise.
std::int64_t probeTimeStepWithTemporary(int folderFd, const std::string& name);

// Whether two modification times are the same at a file system's step.
bool sameTime(const timespec& a, const timespec& b, std::int64_t step);

// Whether a copy with modification time `copy` is as new as its source's
// `source`, on a destination that keeps times at `step`.
bool copyTimeCurrent(const timespec& copy, const timespec& source, std::int64_t step);

// Removes the entry `name` of `folderFd` and, if it is a folder, everything
// in it, never following a link.
void removeTreeAt(int folderFd, const std::string& name, const std::string& pathForErrors);

// Copies the link `name` of `sourceFolderFd` as a link (never its target) to
// `name` inside `folderFd`, replacing whatever non-folder stands there. A
// destination that holds no links (SMB through smbnetfs or GVfs) gets none.
void copyLinkInto(int sourceFolderFd, const char* name, const struct stat& linkStat, int folderFd,
                  const std::string& pathForErrors);

// Gives the open entry the access and modification times of `sourceStat`.
// These two keep what the destination takes (see metadataRefused).
void keepTimes(int fd, const struct stat& sourceStat, const std::string& pathForErrors);

// Gives the open entry the permission bits and times of `sourceStat`.
void keepModeAndTimes(int fd, const struct stat& sourceStat, const std::string& pathForErrors);

}  // namespace orvalen::platform::posix
