// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/posix/DirReader.h"
#include "platform/posix/UniqueFd.h"

namespace orvalen::platform::posix {

// Copies one open source folder into one open destination folder, to any
// depth, one open pair of folders per level instead of recursion. Everything
// below the destination is reached from its open parent without following
// links.
class FolderCopier {
public:
    FolderCopier(UniqueFd source, std::string sourcePath, UniqueFd destination,
                 std::string destinationPath);

    void run();

private:
    struct Level {
        DirReader source;
        UniqueFd destination;
        struct stat sourceStat;
        std::size_t sourcePathLength;
        std::size_t destinationPathLength;
    };

    void enter(UniqueFd source, UniqueFd destination);
    void copyEntry(const dirent& entry);
    void leave();

    std::vector<Level> m_levels;
    // Paths of the folder being copied, for error texts; grow and shrink with
    // the levels.
    std::string m_sourcePath;
    std::string m_destinationPath;
    dev_t m_copyDevice = 0;
    ino_t m_copyInode = 0;
};

}  // namespace orvalen::platform::posix
