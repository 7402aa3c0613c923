// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScopedImmutable.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace testsupport {

namespace {

bool changeFlag(const std::string& path, bool on, std::string* why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (why) *why = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!ok && why) *why = std::string("immutable attribute not available: ") + std::strerror(errno);
    ::close(fd);
    return ok;
}

}  // namespace

ScopedImmutable::ScopedImmutable(std::string path) : m_path(std::move(path)) {
    m_active = changeFlag(m_path, true, &m_whyNot);
}

ScopedImmutable::~ScopedImmutable() {
    if (m_active) changeFlag(m_path, false, nullptr);
}

}  // namespace testsupport
