// SPDX-License-Identifier: GPL-3.0-or-later
#include "GvfsSession.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ShareProcesses.h"

namespace testsupport {

namespace {

namespace fs = std::filesystem;
namespace procs = shareprocs;

bool waitFor(const std::string& path, bool wanted, int ms) {
    struct stat st{};
    for (int waited = 0; waited < ms; waited += 50) {
        if ((::stat(path.c_str(), &st) == 0) == wanted) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

GvfsSession::GvfsSession(const std::string& folder) : m_root(folder) {
    for (const char* tool : {"/usr/bin/dbus-daemon", "/usr/libexec/gvfsd", "/usr/libexec/gvfsd-fuse",
                             "/usr/libexec/gvfsd-smb", "/usr/bin/gio"})
        if (::access(tool, X_OK) != 0) { m_whyNot = std::string(tool) + " is not installed"; return; }
    m_fuse = m_root + "/gvfs";
    m_log = m_root + "/gvfs.log";
    for (const std::string& f : {m_fuse, m_root + "/runtime", m_root + "/home"}) {
        fs::create_directories(f);
        ::chmod(f.c_str(), 0700);
    }
    const std::string bus = "unix:path=" + m_root + "/bus";
    m_env = {"DBUS_SESSION_BUS_ADDRESS=" + bus, "XDG_RUNTIME_DIR=" + m_root + "/runtime", "HOME=" + m_root + "/home",
             "GIO_USE_VOLUME_MONITOR=unix"};
    m_bus = procs::start({"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + bus},
                         m_env, m_log);
    if (!waitFor(m_root + "/bus", true, 5000)) { m_whyNot = "the session bus did not start"; return; }
    // gvfsd would mount its own gvfsd-fuse in XDG_RUNTIME_DIR; this one is started by hand.
    m_gvfsd = procs::start({"/usr/libexec/gvfsd", "--no-fuse", "--replace"}, m_env, m_log);
    m_fuseDaemon = procs::start({"/usr/libexec/gvfsd-fuse", "-f", m_fuse}, m_env, m_log);
    if (!procs::waitMounted(m_fuse, true)) m_whyNot = "gvfsd-fuse did not mount " + m_fuse;
}

GvfsSession::~GvfsSession() {
    procs::end(m_fuseDaemon);
    if (procs::isMountPoint(m_fuse)) procs::run("umount -l " + procs::quoted(m_fuse));
    procs::end(m_gvfsd);
    procs::end(m_bus);
}

bool GvfsSession::mount(const std::string& uri, const std::string& folder) {
    if (procs::run("printf '\\n\\n\\n\\n' | timeout 60 gio mount -a " + procs::quoted(uri), m_env, m_log) != 0)
        return false;
    return waitFor(folder, true, 10000);
}

bool GvfsSession::unmount(const std::string& uri, const std::string& folder) {
    procs::run("timeout 60 gio mount -u " + procs::quoted(uri), m_env, m_log);
    return waitFor(folder, false, 10000);
}

}  // namespace testsupport
