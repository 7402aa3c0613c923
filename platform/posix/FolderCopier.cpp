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
                           std::string destinationPath, bool destinationFresh)
    : m_sourcePath(std::move(sourcePath)), m_destinationPath(std::move(destinationPath)) {
    struct stat copy{};
    if (::fstat(destination.get(), &copy) != 0)
        throw ErrorFromErrno(errno, "Cannot look at", m_destinationPath);
    m_copyDevice = copy.st_dev;
    m_copyInode = copy.st_ino;
    if (statOpen(source.get(), m_root) != 0) throw ErrorFromErrno(errno, "Cannot look at", m_sourcePath);
    // /proc, /sys and the like hold no one's files; the copy stays empty.
    m_readRoot = !isKernelFileSystem(source.get(), m_root);
    enter(std::move(source), m_root.st, std::move(destination), destinationFresh, 0);
}

void FolderCopier::useDigests(const FolderDigest* source, const FolderDigest* copy) {
    if (!source || !copy || m_levels.empty() || m_levels.front().fresh) return;
    // Which digest can agree depends on how finely the destination keeps
    // times, so that is found out first.
    Level& root = m_levels.front();
    std::int64_t& step = timeStepOf(root.destinationStat.st_dev);
    if (step == 0) step = probeTimeStepWithTemporary(root.destination.get(), ".orvalen-time");
    if (step > 1000000000) return;  // two-second times: only file by file
    m_sourceDigest = source;
    m_copyDigest = copy;
    m_secondsDigest = step > 1;
}

bool FolderCopier::digestsAgree(std::uint64_t path) const {
    if (!m_sourceDigest) return false;
    const FolderDigest::Folder* a = m_sourceDigest->find(path);
    const FolderDigest::Folder* b = m_copyDigest->find(path);
    return a && b && (a->exact == b->exact || (m_secondsDigest && a->seconds == b->seconds));
}

void FolderCopier::enter(UniqueFd source, const struct stat& sourceStat, UniqueFd destination, bool fresh,
                         std::uint64_t path) {
    struct stat there{};
    if (::fstat(destination.get(), &there) != 0) throw ErrorFromErrno(errno, "Cannot look at", m_destinationPath);
    m_levels.push_back(Level{DirReader(std::move(source), m_sourcePath), std::move(destination), sourceStat,
                             there, m_sourcePath.size(), m_destinationPath.size(), fresh, fresh, path});
}

void FolderCopier::run() {
    while (!m_levels.empty()) {
        const dirent* entry = m_readRoot ? m_levels.back().source.next() : nullptr;
        if (entry) copyEntry(*entry);
        else leave();
    }
}

void FolderCopier::leave() {
    Level& done = m_levels.back();
    // A folder's own mode and time come last: writing its content changes the
    // time, and a read-only mode would refuse the content. A folder in which
    // nothing changed and that has both already is left alone.
    const struct stat& copy = done.destinationStat;
    if ((copy.st_mode & 07777) != (done.sourceStat.st_mode & 07777) &&
        ::fchmod(done.destination.get(), done.sourceStat.st_mode & 07777) != 0)
        throw ErrorFromErrno(errno, "Cannot set the permissions of", m_destinationPath);
    const std::int64_t step = timeStepOf(copy.st_dev);
    if (done.changed || !sameTime(copy.st_mtim, done.sourceStat.st_mtim, step ? step : 1))
        keepTimes(done.destination.get(), done.sourceStat, m_destinationPath);
    m_levels.pop_back();
    if (!m_levels.empty()) {
        m_sourcePath.resize(m_levels.back().sourcePathLength);
        m_destinationPath.resize(m_levels.back().destinationPathLength);
    }
}

std::int64_t& FolderCopier::timeStepOf(dev_t device) {
    for (auto& known : m_timeSteps)
        if (known.first == device) return known.second;
    m_timeSteps.emplace_back(device, 0);
    return m_timeSteps.back().second;
}

bool FolderCopier::upToDate(int folderFd, const char* name, const struct stat& source, dev_t folderDevice) {
    struct stat copy{};
    if (::fstatat(folderFd, name, &copy, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(copy.st_mode) ||
        copy.st_size != source.st_size)
        return false;
    if (sameTime(copy.st_mtim, source.st_mtim, 1)) return true;
    // Times differ below a second or two: whether that is the destination
    // cutting them is asked of the destination itself, once.
    std::int64_t& step = timeStepOf(folderDevice);
    if (step == 0) step = probeTimeStepWithTemporary(folderFd, name);
    return sameTime(copy.st_mtim, source.st_mtim, step);
}

void FolderCopier::copyEntry(const dirent& entry) {
    Level& here = m_levels.back();
    const int from = here.source.fd();
    const int to = here.destination.get();
    const char* name = entry.d_name;

    std::string shown = m_destinationPath;
    appendName(shown, name);

    EntryStat st;
    bool haveStat = false;
    unsigned char type = entry.d_type;
    // A fresh copy needs nothing of a file before opening it; any other does:
    // its size and time decide whether it is copied at all.
    if (type == DT_UNKNOWN || type == DT_LNK || (type == DT_REG && !here.fresh)) {
        if (statAt(from, name, st) != 0) {
            if (errno == ENOENT) return;  // removed from the source meanwhile
            throw ErrorFromErrno(errno, "Cannot look at the source of", shown);
        }
        haveStat = true;
        if (!onSameMount(st, m_root)) return;  // a file mounted from elsewhere
        if (S_ISDIR(st.st.st_mode)) type = DT_DIR;
        else if (S_ISREG(st.st.st_mode)) type = DT_REG;
        else if (S_ISLNK(st.st.st_mode)) type = DT_LNK;
        else return;
    }

    if (type == DT_REG) {
        if (haveStat && !here.fresh && upToDate(to, name, st.st, here.destinationStat.st_dev)) return;
        // O_NONBLOCK: should a FIFO have taken the file's place, opening it
        // must not wait for a writer.
        UniqueFd file(openAt(from, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!file.valid()) {
            if (errno == ENOENT) return;
            throw ErrorFromErrno(errno, "Cannot read the source of", shown);
        }
        if (statOpen(file.get(), st) != 0) throw ErrorFromErrno(errno, "Cannot look at the source of", shown);
        if (!S_ISREG(st.st.st_mode) || !onSameMount(st, m_root)) return;
        here.changed = true;
        copyFileInto(file.get(), st.st, to, name, shown, here.fresh, &timeStepOf(here.destinationStat.st_dev));
    } else if (type == DT_LNK) {
        here.changed = true;
        copyLinkInto(from, name, st.st, to, shown);
    } else if (type == DT_DIR) {
        const std::uint64_t path = childPath(here.path, name);
        // Both sides were just walked and agree below here: nothing to do.
        if (!here.fresh && digestsAgree(path)) return;
        UniqueFd sub(openAt(from, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!sub.valid()) {
            const int e = errno;
            if (e == ENOENT) return;
            std::string failed = m_sourcePath;
            appendName(failed, name);
            throw ErrorFromErrno(e, "Cannot read folder", failed);
        }
        EntryStat subStat;
        if (statOpen(sub.get(), subStat) != 0) throw ErrorFromErrno(errno, "Cannot look at", shown);
        // The copy placed inside its own source is not copied into itself again.
        if (subStat.st.st_dev == m_copyDevice && subStat.st.st_ino == m_copyInode) return;
        bool created = false;
        UniqueFd copy = openOrCreateFolder(to, name, shown, &created, subStat.st.st_mode);
        if (created) here.changed = true;
        if (!onSameMount(subStat, m_root)) {
            // Another file system: the folder is there, its content is not ours.
            if (created) keepModeAndTimes(copy.get(), subStat.st, shown);
            return;
        }
        appendName(m_sourcePath, name);
        m_destinationPath = std::move(shown);
        enter(std::move(sub), subStat.st, std::move(copy), here.fresh || created, path);
    }
    // FIFOs, sockets and devices are left out.
}

}  // namespace orvalen::platform::posix
