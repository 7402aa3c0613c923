// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "platform/posix/UniqueFd.h"

// The steps that copies and walks are made of, all relative to open folders so
// that nothing below a destination is reached through a link.
namespace orvalen::platform::posix {

// openat() that, when the process runs out of descriptors (a very deep tree),
// raises its soft limit once and tries again. Returns -1 with errno set.
int openAt(int folderFd, const char* name, int flags, mode_t mode = 0);

// Opens the folder `name` inside `folderFd` without following a link there.
// A missing folder is created (owner-writable, its final mode comes when its
// content is written); a link is replaced by a real folder. A file or other
// entry there is someone's data: 58, left alone. `shown` names it in errors.
UniqueFd openOrCreateFolder(int folderFd, const std::string& name, const std::string& shown);

// Writes the open regular file `source` (described by `sourceStat`) as `name`
// inside `folderFd`: through the hidden temporary name, with the source's
// permission bits and times, renamed into place when complete.
void copyFileInto(int source, const struct stat& sourceStat, int folderFd, const std::string& name,
                  const std::string& shown);

// Copies the link `name` of `sourceFolderFd` as a link (never its target) to
// `name` inside `folderFd`, replacing whatever non-folder stands there.
void copyLinkInto(int sourceFolderFd, const char* name, const struct stat& linkStat, int folderFd,
                  const std::string& shown);

// Gives the open entry the access and modification times of `sourceStat`.
void keepTimes(int fd, const struct stat& sourceStat, const std::string& shown);

// Gives the open entry the permission bits and times of `sourceStat`.
void keepModeAndTimes(int fd, const struct stat& sourceStat, const std::string& shown);

}  // namespace orvalen::platform::posix
