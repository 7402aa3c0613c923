// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
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
class FolderCopier {
public:
    // `destinationFresh`: the destination was just made and is empty, so
    // nothing in it needs comparing and files go straight under their names.
    FolderCopier(UniqueFd source, std::string sourcePath, UniqueFd destination,
                 std::string destinationPath, bool destinationFresh);

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
        std::uint64_t path;  // hash of the path below the copy's root
    };

    void enter(UniqueFd source, const struct stat& sourceStat, UniqueFd destination, bool fresh,
               std::uint64_t path);
    bool digestsAgree(std::uint64_t path) const;
    void copyEntry(const dirent& entry);
    bool upToDate(int folderFd, const char* name, const struct stat& source, dev_t folderDevice);
    void leave();
    std::int64_t& timeStepOf(dev_t device);

    std::vector<Level> m_levels;
    // Paths of the folder being copied, for error texts; grow and shrink with
    // the levels.
    std::string m_sourcePath;
    std::string m_destinationPath;
    EntryStat m_root;
    bool m_readRoot = true;
    dev_t m_copyDevice = 0;
    ino_t m_copyInode = 0;
    // Time steps of the destination's file systems, found once per copy.
    std::vector<std::pair<dev_t, std::int64_t>> m_timeSteps;
    const FolderDigest* m_sourceDigest = nullptr;
    const FolderDigest* m_copyDigest = nullptr;
    bool m_secondsDigest = false;  // the destination keeps times to the second or finer, not exactly
};

}  // namespace orvalen::platform::posix
