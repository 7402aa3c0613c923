// SPDX-License-Identifier: GPL-3.0-or-later
#include "SambaShare.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "ShareProcesses.h"

namespace testsupport {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

int Run(const std::string& command) { return shareprocs::run(command); }

const auto& Quoted = shareprocs::quoted;

bool Write(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path) << text;
    return ::chmod(path.c_str(), mode) == 0;
}

const auto& IsMountPoint = shareprocs::isMountPoint;

}  // namespace

SambaShare::SambaShare() {
    if (::geteuid() != 0) { fail("the Samba server needs root for port 445"); return; }
    if (::access("/dev/fuse", R_OK | W_OK) != 0) { fail("no /dev/fuse to mount the share with"); return; }
    for (const char* tool : {"/usr/sbin/smbd", "/usr/bin/smbnetfs", "/usr/bin/smbclient"})
        if (::access(tool, X_OK) != 0) { fail(std::string(tool) + " is not installed"); return; }

    char pattern[] = "/tmp/orvalen-share-XXXXXX";
    if (!::mkdtemp(pattern)) { fail("no temporary folder"); return; }
    m_root = pattern;
    ::chmod(m_root.c_str(), 0755);
    m_export = m_root + "/export";
    m_mountPoint = m_root + "/mnt";
    m_share = m_mountPoint + "/127.0.0.1/share";
    m_home = m_root + "/home";
    m_conf = m_root + "/smb.conf";
    for (const std::string& folder : {m_export, m_mountPoint, m_home + "/.smb", m_root + "/outside",
                                      m_root + "/state/lock", m_root + "/state/state", m_root + "/state/cache",
                                      m_root + "/state/private", m_root + "/state/pid", m_root + "/state/log"})
        fs::create_directories(folder);
    if (Run("mount -t tmpfs -o size=16m,mode=0777 tmpfs " + Quoted(m_export)) != 0)
        { fail("cannot mount a tmpfs for the share"); return; }
    m_tmpfs = true;

    const std::string state = m_root + "/state";
    Write(m_conf,
          "[global]\n"
          "  interfaces = 127.0.0.1\n  bind interfaces only = yes\n  smb ports = 445\n"
          "  lock directory = " + state + "/lock\n  state directory = " + state + "/state\n"
          "  cache directory = " + state + "/cache\n  private dir = " + state + "/private\n"
          "  pid directory = " + state + "/pid\n  log file = " + state + "/log/log.%m\n"
          "  server role = standalone server\n  map to guest = Bad User\n  guest account = nobody\n"
          "  load printers = no\n  printcap name = /dev/null\n  disable spoolss = yes\n"
          "  server min protocol = SMB2\n  unix extensions = no\n"
          "[share]\n  path = " + m_export + "\n  guest ok = yes\n  read only = no\n  force user = root\n",
          0644);
    // smbnetfs ignores its auth lines unless its configuration is private.
    Write(m_home + "/.smb/smbnetfs.conf", "smb_query_browsers false\nauth \"guest\" \"\"\n", 0600);
    Write(m_home + "/.smb/smb.conf", "[global]\n  client min protocol = SMB2\n", 0600);

    if (portAnswers()) { fail("port 445 of 127.0.0.1 is taken by another server"); return; }
    if (!startServer()) { fail("smbd did not answer on 127.0.0.1:445"); return; }
    if (!mount()) { fail("smbnetfs could not mount the share"); return; }
}

SambaShare::~SambaShare() {
    if (m_root.empty()) return;
    unmount();
    killServer();
    if (m_tmpfs) Run("umount -l " + Quoted(m_export));
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

bool SambaShare::startServer() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);  // its own group, so that killing it takes its children too
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execl("/usr/sbin/smbd", "smbd", "--foreground", "--no-process-group", "-s", m_conf.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (child < 0) return false;
    ::setpgid(child, child);
    m_server = child;
    return waitForPort();
}

void SambaShare::killServer() {
    if (m_server <= 0) return;
    ::kill(-m_server, SIGKILL);
    ::waitpid(m_server, nullptr, 0);
    m_server = -1;
    // Its connection children die with the group; give the port back at once.
    std::this_thread::sleep_for(200ms);
}

void SambaShare::pauseServer(bool paused) {
    if (m_server > 0) ::kill(-m_server, paused ? SIGSTOP : SIGCONT);
}

bool SambaShare::portAnswers() const {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(445);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool up = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(s);
    return up;
}

bool SambaShare::waitForPort() const {
    for (int i = 0; i < 100; ++i) {
        if (portAnswers()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

bool SambaShare::mount() {
    if (IsMountPoint(m_mountPoint)) return true;
    const std::string command = "HOME=" + Quoted(m_home) + " smbnetfs " + Quoted(m_mountPoint) +
                                " -o local_charset=ISO-8859-1";
    if (Run(command) != 0) return false;
    if (!waitUntilMounted(true)) return false;
    // The share's folder appears once smbnetfs has reached the server.
    struct stat st{};
    for (int i = 0; i < 100; ++i) {
        if (::stat(m_share.c_str(), &st) == 0) return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

bool SambaShare::unmount() {
    if (!IsMountPoint(m_mountPoint)) return true;
    // Not fusermount: it comes with a package smbnetfs only recommends, and
    // root may unmount a FUSE mount itself.
    Run("umount -l " + Quoted(m_mountPoint));
    return waitUntilMounted(false);
}

bool SambaShare::waitUntilMounted(bool wanted) const { return shareprocs::waitMounted(m_mountPoint, wanted, 5000); }

bool SambaShare::setReadOnly(bool readOnly) {
    return Run(std::string("mount -o remount,") + (readOnly ? "ro" : "rw") + " " + Quoted(m_export)) == 0;
}

bool SambaShare::otherClient(const std::string& commands) const {
    return Run("smbclient -N //127.0.0.1/share -c " + Quoted(commands)) == 0;
}

}  // namespace testsupport
