// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <dirent.h>

#include <string>

#include "platform/posix/UniqueFd.h"

namespace orvalen::platform::posix {

// Reads the entries of one open folder, without "." and "..". Takes over the
// folder's descriptor.
class DirReader {
public:
    // `path` only names the folder in error texts.
    DirReader(UniqueFd folder, std::string path);
    ~DirReader();

    DirReader(DirReader&& other) noexcept;
    DirReader& operator=(DirReader&&) = delete;
    DirReader(const DirReader&) = delete;
    DirReader& operator=(const DirReader&) = delete;

    // The next entry, or nullptr at the end. Throws when the folder cannot be read.
    const dirent* next();

    int fd() const noexcept { return ::dirfd(m_dir); }
    const std::string& path() const noexcept { return m_path; }

private:
    DIR* m_dir = nullptr;
    std::string m_path;
};

}  // namespace orvalen::platform::posix
