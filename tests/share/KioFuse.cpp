// SPDX-License-Identifier: GPL-3.0-or-later
#include "KioFuse.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "ShareProcesses.h"

namespace testsupport {

namespace {
constexpr const char* kDaemon = "/usr/lib/x86_64-linux-gnu/libexec/kio-fuse";
}

KioFuse::KioFuse(const std::string& folder, std::vector<std::string> env) : m_root(folder), m_env(std::move(env)) {
    if (::access(kDaemon, X_OK) != 0) { m_whyNot = std::string(kDaemon) + " is not installed"; return; }
    if (::access("/usr/lib/x86_64-linux-gnu/qt5/plugins/kf5/kio/smb.so", R_OK) != 0)
        { m_whyNot = "KIO's smb worker (kio-extras) is not installed"; return; }
    m_mountPoint = m_root + "/kio";
    m_log = m_root + "/kio.log";
    std::filesystem::create_directories(m_mountPoint);
    ::chmod(m_mountPoint.c_str(), 0700);
}

std::string KioFuse::start(const std::string& url) {
    if (!m_whyNot.empty()) return {};
    if (m_daemon <= 0) m_daemon = shareprocs::start({kDaemon, "-f", m_mountPoint}, m_env, m_log);
    if (!shareprocs::waitMounted(m_mountPoint, true)) return {};
    // The bus name comes a moment after the mount.
    const std::string reply = m_root + "/kio-reply";
    for (int i = 0; i < 50; ++i) {
        if (shareprocs::run("timeout 30 dbus-send --session --print-reply=literal --dest=org.kde.KIOFuse "
                            "/org/kde/KIOFuse org.kde.KIOFuse.VFS.mountUrl string:" + shareprocs::quoted(url) +
                            " >" + shareprocs::quoted(reply), m_env, m_log) == 0) {
            char path[4096] = {};
            FILE* in = std::fopen(reply.c_str(), "r");
            const bool read = in && std::fscanf(in, " %4095s", path) == 1;
            if (in) std::fclose(in);
            return read ? path : std::string();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

void KioFuse::stop() {
    shareprocs::end(m_daemon);
    if (shareprocs::isMountPoint(m_mountPoint)) shareprocs::run("umount -l " + shareprocs::quoted(m_mountPoint));
    shareprocs::waitMounted(m_mountPoint, false);
}

}  // namespace testsupport
