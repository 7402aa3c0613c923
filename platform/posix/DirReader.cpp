// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/DirReader.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/posix/ErrnoMap.h"

namespace orvalen::platform::posix {

DirReader::DirReader(UniqueFd folder, std::string path) : m_path(std::move(path)) {
    m_dir = ::fdopendir(folder.get());
    if (!m_dir) throw ErrorFromErrno(errno, "Cannot read folder", m_path);
    folder.release();  // the stream owns it now
}

DirReader::~DirReader() {
    if (m_dir) ::closedir(m_dir);
}

DirReader::DirReader(DirReader&& other) noexcept
    : m_dir(std::exchange(other.m_dir, nullptr)), m_path(std::move(other.m_path)) {}

const dirent* DirReader::next() {
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(m_dir);
        if (!entry) {
            // A share whose server went away answers here with EIO.
            if (errno != 0) throw ErrorFromErrno(errno, "Cannot read folder", m_path);
            return nullptr;
        }
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
        return entry;
    }
}

}  // namespace orvalen::platform::posix
