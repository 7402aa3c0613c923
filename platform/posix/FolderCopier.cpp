// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/FolderCopier.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

#include "core/PathText.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/FileOps.h"

namespace orvalen::platform::posix {

namespace {

// Copying many small files is bound by the kernel's work per file, which
// spreads over cores; beyond a few threads the disk or the share is the limit.
int helpersWanted() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::min(cores == 0 ? 1u : cores, 4u)) - 1;
}

}  // namespace

FolderCopier::FolderCopier(UniqueFd source, std::string sourcePath, UniqueFd destination,
                           std::string destinationPath, bool destinationFresh)
{
    struct stat copy{};
    if (::fstat(destination.get(), &copy) != 0) throw ErrorFromErrno(errno, "Cannot look at", destinationPath);
    m_copyDevice = copy.st_dev;
    m_copyInode = copy.st_ino;
    if (statOpen(source.get(), m_root) != 0) throw ErrorFromErrno(errno, "Cannot look at", sourcePath);
    // /proc, /sys and the like hold no one's files; the copy stays empty.
    m_readRoot = !isKernelFileSystem(source.get(), m_root);
    m_first.sourcePath = std::move(sourcePath);
    m_first.destinationPath = std::move(destinationPath);
    enter(m_first, std::move(source), m_root.st, std::move(destination), destinationFresh, 0);
}

FolderCopier::~FolderCopier() {
    // run() joins its helpers before it returns or throws; this is for an
    // exception out of its own waiting, so that no thread outlives the copier.
    m_stop = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wake.notify_all();
    }
    for (std::thread& helper : m_helpers)
        if (helper.joinable()) helper.join();
}

void FolderCopier::useDigests(const FolderDigest* source, const FolderDigest* copy) {
    if (!source || !copy || m_first.levels.empty() || m_first.levels.front().fresh) return;
    // Which digest can agree depends on how finely the destination keeps
    // times, so that is found out first.
    Level& root = m_first.levels.front();
    std::int64_t step = timeStepOf(root.destinationStat.st_dev);
    if (step == 0) {
        step = probeTimeStepWithTemporary(root.destination.get(), ".orvalen-time");
        rememberTimeStep(root.destinationStat.st_dev, step);
    }
    if (step > 1000000000) return;  // two-second times: only file by file
    m_sourceDigest = source;
    m_copyDigest = copy;
    m_secondsDigest = step > 1;
}

bool FolderCopier::digestsAgree(std::uint64_t pathHash) const {
    if (!m_sourceDigest) return false;
    const FolderDigest::Folder* a = m_sourceDigest->find(pathHash);
    const FolderDigest::Folder* b = m_copyDigest->find(pathHash);
    return a && b && (a->exact == b->exact || (m_secondsDigest && a->seconds == b->seconds));
}

void FolderCopier::enter(Walk& walk, UniqueFd source, const struct stat& sourceStat, UniqueFd destination,
                         bool fresh, std::uint64_t pathHash) {
    struct stat there{};
    if (::fstat(destination.get(), &there) != 0) throw ErrorFromErrno(errno, "Cannot look at", walk.destinationPath);
    walk.levels.push_back(Level{DirReader(std::move(source), walk.sourcePath), std::move(destination), sourceStat,
                                there, walk.sourcePath.size(), walk.destinationPath.size(), fresh, fresh, pathHash});
}

void FolderCopier::run() {
    serve(&m_first);
    for (std::thread& helper : m_helpers) helper.join();
    m_helpers.clear();
    if (m_failure) std::rethrow_exception(m_failure);
}

// Copies what `first` holds, then takes fresh folders shared out by the
// others until every thread waits and none is left.
void FolderCopier::serve(Walk* first) {
    for (;;) {
        Walk taken;
        Walk* walk = first;
        first = nullptr;
        if (!walk) {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_waiting;
            m_wake.wait(lock, [&] { return !m_jobs.empty() || m_waiting == m_threads || m_stop; });
            if (m_jobs.empty() || m_stop) {
                m_jobs.clear();
                m_wake.notify_all();
                return;
            }
            --m_waiting;
            taken = std::move(m_jobs.back());
            m_jobs.pop_back();
            walk = &taken;
        }
        try {
            work(*walk);
        } catch (...) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_failure) m_failure = std::current_exception();
            m_stop = true;
            m_wake.notify_all();
        }
    }
}

void FolderCopier::work(Walk& walk) {
    while (!walk.levels.empty() && !m_stop) {
        const dirent* entry = m_readRoot ? walk.levels.back().source.next() : nullptr;
        if (entry) copyEntry(walk, *entry);
        else leave(walk);
    }
}

// The helper threads start with the first fresh folder: a copy that only
// compares never needs them.
void FolderCopier::startHelpersOnce() {
    std::call_once(m_started, [this] { startHelpers(); });
}

void FolderCopier::startHelpers() {
    for (int i = helpersWanted(); i > 0; --i) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_threads;
        }
        try {
            m_helpers.emplace_back([this] { serve(nullptr); });
        } catch (const std::system_error&) {  // no more threads: the others copy
            std::lock_guard<std::mutex> lock(m_mutex);
            --m_threads;
            m_wake.notify_all();
            return;
        }
    }
}

bool FolderCopier::helperWaiting() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_jobs.size() < static_cast<std::size_t>(m_waiting);
}

void FolderCopier::leave(Walk& walk) {
    Level& done = walk.levels.back();
    // A folder's own mode and time come last: writing its content changes the
    // time, and a read-only mode would refuse the content. A folder in which
    // nothing changed and that has both already is left alone.
    const struct stat& copy = done.destinationStat;
    // A share that keeps no modes (GVfs) or no times (kio-fuse) still gets the
    // content; asking again each pass costs one call per folder entered.
    if ((copy.st_mode & 07777) != (done.sourceStat.st_mode & 07777) &&
        ::fchmod(done.destination.get(), done.sourceStat.st_mode & 07777) != 0 && !metadataRefused(errno))
        throw ErrorFromErrno(errno, "Cannot set the permissions of", walk.destinationPath);
    const std::int64_t step = timeStepOf(copy.st_dev);
    if (step != kTimesNotKept &&
        (done.changed || !sameTime(copy.st_mtim, done.sourceStat.st_mtim, step ? step : 1)))
        keepTimes(done.destination.get(), done.sourceStat, walk.destinationPath);
    walk.levels.pop_back();
    if (!walk.levels.empty()) {
        walk.sourcePath.resize(walk.levels.back().sourcePathLength);
        walk.destinationPath.resize(walk.levels.back().destinationPathLength);
    }
}

// A copy's folder keeps its source's mode, read-only too. The program's own
// writes into it get the owner's write access back for as long as the folder
// is open; leave() puts the source's mode back.
void FolderCopier::makeWritable(Level& here) {
    mode_t& mode = here.destinationStat.st_mode;
    if ((mode & S_IWUSR) && (mode & S_IXUSR)) return;
    const mode_t writable = (mode & 07777) | S_IWUSR | S_IXUSR;
    // Where that is refused, the write itself says so.
    if (::fchmod(here.destination.get(), writable) == 0) mode = (mode & ~mode_t{07777}) | writable;
}

std::int64_t FolderCopier::timeStepOf(dev_t device) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& known : m_timeSteps)
        if (known.first == device) return known.second;
    return 0;
}

void FolderCopier::rememberTimeStep(dev_t device, std::int64_t step) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& known : m_timeSteps)
        if (known.first == device) return void(known.second = step);
    m_timeSteps.emplace_back(device, step);
}

bool FolderCopier::upToDate(int folderFd, const char* name, const struct stat& source, dev_t folderDevice) {
    struct stat copy{};
    if (::fstatat(folderFd, name, &copy, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(copy.st_mode) ||
        copy.st_size != source.st_size)
        return false;
    if (sameTime(copy.st_mtim, source.st_mtim, 1)) return true;
    // Times differ below a second or two: whether that is the destination
    // cutting them is asked of the destination itself, once.
    std::int64_t step = timeStepOf(folderDevice);
    if (step == 0) {
        step = probeTimeStepWithTemporary(folderFd, name);
        rememberTimeStep(folderDevice, step);
    }
    return copyTimeCurrent(copy.st_mtim, source.st_mtim, step);
}

void FolderCopier::copyEntry(Walk& walk, const dirent& entry) {
    Level& here = walk.levels.back();
    const int from = here.source.fd();
    const int to = here.destination.get();
    const char* name = entry.d_name;

    std::string copyPath = path::Join(walk.destinationPath, name);

    EntryStat st;
    bool haveStat = false;
    unsigned char type = entry.d_type;
    // A fresh copy needs nothing of a file before opening it; any other does:
    // its size and time decide whether it is copied at all.
    if (type == DT_UNKNOWN || type == DT_LNK || (type == DT_REG && !here.fresh)) {
        if (statAt(from, name, st) != 0) {
            if (errno == ENOENT) return;  // removed from the source meanwhile
            throw ErrorFromErrno(errno, "Cannot look at the source of", copyPath);
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
            throw ErrorFromErrno(errno, "Cannot read the source of", copyPath);
        }
        if (statOpen(file.get(), st) != 0) throw ErrorFromErrno(errno, "Cannot look at the source of", copyPath);
        if (!S_ISREG(st.st.st_mode) || !onSameMount(st, m_root)) return;
        here.changed = true;
        makeWritable(here);
        const dev_t device = here.destinationStat.st_dev;
        std::int64_t step = timeStepOf(device);
        const bool known = step != 0;
        copyFileInto(file.get(), st.st, to, name, copyPath, here.fresh, &step);
        if (!known && step != 0) rememberTimeStep(device, step);
    } else if (type == DT_LNK) {
        here.changed = true;
        makeWritable(here);
        copyLinkInto(from, name, st.st, to, copyPath);
    } else if (type == DT_DIR) {
        const std::uint64_t pathHash = childPathHash(here.pathHash, name);
        // Both sides were just walked and agree below here: nothing to do.
        if (!here.fresh && digestsAgree(pathHash)) return;
        UniqueFd sub(openAt(from, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!sub.valid()) {
            const int e = errno;
            if (e == ENOENT) return;
            throw ErrorFromErrno(e, "Cannot read folder", path::Join(walk.sourcePath, name));
        }
        EntryStat subStat;
        if (statOpen(sub.get(), subStat) != 0) throw ErrorFromErrno(errno, "Cannot look at", copyPath);
        // The copy placed inside its own source is not copied into itself again.
        if (subStat.st.st_dev == m_copyDevice && subStat.st.st_ino == m_copyInode) return;
        if (!(here.destinationStat.st_mode & S_IWUSR)) {
            struct stat there{};
            if (::fstatat(to, name, &there, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(there.st_mode)) makeWritable(here);
        }
        bool created = false;
        UniqueFd copy = openOrCreateFolder(to, name, copyPath, &created, subStat.st.st_mode);
        if (created) here.changed = true;
        if (!onSameMount(subStat, m_root)) {
            // Another file system: the folder is there, its content is not ours.
            if (created) keepModeAndTimes(copy.get(), subStat.st, copyPath);
            return;
        }
        const bool fresh = here.fresh || created;
        std::string sourcePath = path::Join(walk.sourcePath, name);
        if (fresh) startHelpersOnce();
        if (fresh && helperWaiting()) {
            // Nothing in it to compare: a waiting thread copies it whole.
            Walk job{{}, std::move(sourcePath), std::move(copyPath)};
            enter(job, std::move(sub), subStat.st, std::move(copy), true, pathHash);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back(std::move(job));
            m_wake.notify_one();
            return;
        }
        walk.sourcePath = std::move(sourcePath);
        walk.destinationPath = std::move(copyPath);
        enter(walk, std::move(sub), subStat.st, std::move(copy), fresh, pathHash);
    }
    // FIFOs, sockets and devices are left out.
}

}  // namespace orvalen::platform::posix
