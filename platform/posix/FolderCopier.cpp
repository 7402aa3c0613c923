// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/FolderCopier.h"

#include <fcntl.h>

#include <cerrno>
#include <utility>

#include "core/PathText.h"
#include "platform/ErrnoMap.h"
#include "platform/posix/FileOps.h"

namespace orvalen::platform::posix {

namespace {

void appendName(std::string& path, const char* name) {
    if (!path::EndsWithSeparator(path)) path += path::kSeparator;
    path += name;
}

}  // namespace

FolderCopier::FolderCopier(UniqueFd source, std::string sourcePath, UniqueFd destination,
                           std::string destinationPath)
    : m_sourcePath(std::move(sourcePath)), m_destinationPath(std::move(destinationPath)) {
    struct stat copy{};
    if (::fstat(destination.get(), &copy) != 0)
        throw ErrorFromErrno(errno, "Cannot look at", m_destinationPath);
    m_copyDevice = copy.st_dev;
    m_copyInode = copy.st_ino;
    enter(std::move(source), std::move(destination));
}

void FolderCopier::enter(UniqueFd source, UniqueFd destination) {
    struct stat st{};
    if (::fstat(source.get(), &st) != 0) throw ErrorFromErrno(errno, "Cannot look at", m_sourcePath);
    m_levels.push_back(Level{DirReader(std::move(source), m_sourcePath), std::move(destination), st,
                             m_sourcePath.size(), m_destinationPath.size()});
}

void FolderCopier::run() {
    while (!m_levels.empty()) {
        const dirent* entry = m_levels.back().source.next();
        if (entry) copyEntry(*entry);
        else leave();
    }
}

void FolderCopier::leave() {
    Level& done = m_levels.back();
    // A folder's own mode and time come last: writing its content changes the
    // time, and a read-only mode would refuse the content.
    keepModeAndTimes(done.destination.get(), done.sourceStat, m_destinationPath);
    m_levels.pop_back();
    if (!m_levels.empty()) {
        m_sourcePath.resize(m_levels.back().sourcePathLength);
        m_destinationPath.resize(m_levels.back().destinationPathLength);
    }
}

void FolderCopier::copyEntry(const dirent& entry) {
    Level& here = m_levels.back();
    const int from = here.source.fd();
    const int to = here.destination.get();
    const char* name = entry.d_name;

    std::string shown = m_destinationPath;
    appendName(shown, name);

    struct stat st{};
    unsigned char type = entry.d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
        if (::fstatat(from, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) return;  // removed from the source meanwhile
            throw ErrorFromErrno(errno, "Cannot look at the source of", shown);
        }
        if (S_ISDIR(st.st_mode)) type = DT_DIR;
        else if (S_ISREG(st.st_mode)) type = DT_REG;
        else if (S_ISLNK(st.st_mode)) type = DT_LNK;
        else return;
    }

    if (type == DT_REG) {
        // O_NONBLOCK: should a FIFO have taken the file's place, opening it
        // must not wait for a writer.
        UniqueFd file(openAt(from, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!file.valid()) {
            if (errno == ENOENT) return;
            throw ErrorFromErrno(errno, "Cannot read the source of", shown);
        }
        if (::fstat(file.get(), &st) != 0) throw ErrorFromErrno(errno, "Cannot look at the source of", shown);
        if (!S_ISREG(st.st_mode)) return;
        copyFileInto(file.get(), st, to, name, shown);
    } else if (type == DT_LNK) {
        copyLinkInto(from, name, st, to, shown);
    } else if (type == DT_DIR) {
        UniqueFd sub(openAt(from, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!sub.valid()) {
            const int e = errno;
            if (e == ENOENT) return;
            std::string failed = m_sourcePath;
            appendName(failed, name);
            throw ErrorFromErrno(e, "Cannot read folder", failed);
        }
        struct stat subStat{};
        if (::fstat(sub.get(), &subStat) != 0) throw ErrorFromErrno(errno, "Cannot look at", shown);
        // The copy placed inside its own source is not copied into itself again.
        if (subStat.st_dev == m_copyDevice && subStat.st_ino == m_copyInode) return;
        UniqueFd copy = openOrCreateFolder(to, name, shown);
        appendName(m_sourcePath, name);
        m_destinationPath = std::move(shown);
        enter(std::move(sub), std::move(copy));
    }
    // FIFOs, sockets and devices are left out.
}

}  // namespace orvalen::platform::posix
