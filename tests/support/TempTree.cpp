// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <gtest/gtest.h>

namespace testsupport {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void makeParents(const std::string& path) {
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        const std::string folder = path.substr(0, at);
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) fail("mkdir", folder);
    }
}

// Removes everything inside the open folder; modes the test set do not stop it.
void removeContent(int folder) {
    ::fchmod(folder, 0700);
    const int again = ::dup(folder);
    DIR* dir = again >= 0 ? ::fdopendir(again) : nullptr;
    if (!dir) return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st{};
        if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            const int sub = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) {
                removeContent(sub);
                ::close(sub);
            }
            ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
        } else {
            ::unlinkat(folder, name.c_str(), 0);
        }
    }
    ::closedir(dir);
}

}  // namespace

TempTree::TempTree() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/orvalen-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) fail("mkdtemp", pattern);
    m_root = pattern;
    if (::chmod(m_root.c_str(), 0755) != 0) fail("chmod", m_root);
}

TempTree::~TempTree() {
    const int fd = ::open(m_root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        removeContent(fd);
        ::close(fd);
    }
    ::rmdir(m_root.c_str());
}

std::string TempTree::path(std::string_view relative) const {
    return relative.empty() ? m_root : m_root + "/" + std::string(relative);
}

std::string TempTree::makeFolder(std::string_view relative, unsigned mode) const {
    const std::string p = path(relative);
    makeParents(p);
    if (::mkdir(p.c_str(), 0700) != 0 && errno != EEXIST) fail("mkdir", p);
    if (::chmod(p.c_str(), mode) != 0) fail("chmod", p);
    return p;
}

std::string TempTree::writeFile(std::string_view relative, std::string_view content, unsigned mode) const {
    const std::string p = path(relative);
    makeParents(p);
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) fail("open", p);
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            ::close(fd);
            fail("write", p);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, mode) != 0 || ::close(fd) != 0) fail("finish", p);
    return p;
}

std::string TempTree::makeLink(std::string_view relative, const std::string& target) const {
    const std::string p = path(relative);
    makeParents(p);
    if (::symlink(target.c_str(), p.c_str()) != 0) fail("symlink", p);
    return p;
}

std::string TempTree::makeFifo(std::string_view relative) const {
    const std::string p = path(relative);
    makeParents(p);
    if (::mkfifo(p.c_str(), 0644) != 0) fail("mkfifo", p);
    return p;
}

std::string TempTree::readFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("open", path);
    std::string out;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            ::close(fd);
            fail("read", path);
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

std::vector<std::string> TempTree::entryNames(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) fail("opendir", folder);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

struct stat lstatOf(const std::string& path) {
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0) ADD_FAILURE() << "cannot lstat " << path;
    return st;
}

}  // namespace testsupport
