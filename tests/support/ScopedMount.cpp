// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScopedMount.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace testsupport {

ScopedMount ScopedMount::readOnlyBind(const std::string& folder) {
    ScopedMount m(folder);
    if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        m.m_whyNot = std::string("bind mount not possible: ") + std::strerror(errno);
        return m;
    }
    m.m_mounts = 1;
    if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        m.m_whyNot = std::string("read-only remount not possible: ") + std::strerror(errno);
        ::umount2(folder.c_str(), MNT_DETACH);
        m.m_mounts = 0;
    }
    return m;
}

ScopedMount ScopedMount::smallTmpfs(const std::string& folder, std::uint64_t bytes) {
    ScopedMount m(folder);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        m.m_whyNot = std::string("tmpfs mount not possible: ") + std::strerror(errno);
        return m;
    }
    m.m_mounts = 1;
    return m;
}

ScopedMount::ScopedMount(ScopedMount&& other) noexcept
    : m_folder(std::move(other.m_folder)),
      m_mounts(std::exchange(other.m_mounts, 0)),
      m_whyNot(std::move(other.m_whyNot)) {}

ScopedMount::~ScopedMount() {
    for (; m_mounts > 0; --m_mounts) ::umount2(m_folder.c_str(), MNT_DETACH);
}

}  // namespace testsupport
