// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/posix/DirReader.h"
#include "platform/posix/EntryStat.h"
#include "platform/posix/FolderDigest.h"
#include "platform/posix/UniqueFd.h"

namespace orvalen::platform::posix {

// Copies one open source folder into one open destination folder, to any
// depth, one open pair of folders per level instead of recursion. Everything
// below the destination is reached from its open parent without following
// links. Only what differs is copied: a file whose copy has its size and
// modification time (at the step the destination keeps) is left alone.
// The copy stays on the source folder's own file system: a folder on another
// mount appears as an empty folder, and a kernel file system is never read.
//
// A folder the copy has just made holds nothing to compare, so its content is
// shared out: a thread per processor core (up to four) takes such folders
// whole while the others go on, each with its own open folders. The copy
// returns once all are done, and throws the first failure met, after which
// the others stop at their next entry.
class FolderCopier {
public:
    // `destinationFresh`: the destination was just made and is empty, so
    // nothing in it needs comparing and files go straight under their names.
    FolderCopier(UniqueFd source, std::string sourcePath, UniqueFd destination,
                 std::string destinationPath, bool destinationFresh);
    ~FolderCopier();

    // Subfolders whose digests agree on both sides are skipped. Either may
    // be null.
    void useDigests(const FolderDigest* source, const FolderDigest* copy);

    void run();

private:
    struct Level {
        DirReader source;
        UniqueFd destination;
        struct stat sourceStat;
        struct stat destinationStat;
        std::size_t sourcePathLength;
        std::size_t destinationPathLength;
        bool fresh;
        bool changed;  // something was created or replaced in it
        std::uint64_t pathHash;  // hash of the path below the copy's root
    };

    // What one thread has in hand: its open folders, deepest last, and the
    // paths of the deepest one for error texts.
    struct Walk {
        std::vector<Level> levels;
        std::string sourcePath;
        std::string destinationPath;
    };

    void enter(Walk& walk, UniqueFd source, const struct stat& sourceStat, UniqueFd destination, bool fresh,
               std::uint64_t pathHash);
    bool digestsAgree(std::uint64_t pathHash) const;
    void work(Walk& walk);
    void serve(Walk* first);
    void startHelpersOnce();
    void startHelpers();
    // True when more threads wait than there are folders shared out for them.
    bool helperWaiting();
    void copyEntry(Walk& walk, const dirent& entry);
    bool upToDate(int folderFd, const char* name, const struct stat& source, dev_t folderDevice);
    void leave(Walk& walk);
    void makeWritable(Level& here);
    std::int64_t timeStepOf(dev_t device);
    void rememberTimeStep(dev_t device, std::int64_t step);

    Walk m_first;
    EntryStat m_root;
    bool m_readRoot = true;
    dev_t m_copyDevice = 0;
    ino_t m_copyInode = 0;
    const FolderDigest* m_sourceDigest = nullptr;
    const FolderDigest* m_copyDigest = nullptr;
    bool m_secondsDigest = false;  // the destination keeps times to the second or finer, not exactly

    // Below: shared between the threads, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    // Time steps of the destination's file systems, found once per copy.
    std::vector<std::pair<dev_t, std::int64_t>> m_timeSteps;
    std::vector<Walk> m_jobs;  // fresh folders not yet taken, at most one per waiting thread
    int m_threads = 1;         // this one and the helpers started
    int m_waiting = 0;
    std::exception_ptr m_failure;
    std::atomic<bool> m_stop{false};
    std::once_flag m_started;
    std::vector<std::thread> m_helpers;
};

}  // namespace orvalen::platform::posix
