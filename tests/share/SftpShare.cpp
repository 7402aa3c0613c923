// SPDX-License-Identifier: GPL-3.0-or-later
#include "SftpShare.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ShareProcesses.h"

namespace testsupport {

namespace {

namespace fs = std::filesystem;
namespace procs = shareprocs;

// A port of 127.0.0.1 nobody listens on now.
int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

bool answers(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool up = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(s);
    return up;
}

}  // namespace

SftpShare::SftpShare(const std::string& folder) : m_root(folder) {
    if (::geteuid() != 0) { m_whyNot = "sshd and FUSE need root"; return; }
    for (const char* tool : {"/usr/sbin/sshd", "/usr/bin/sshfs", "/usr/bin/ssh-keygen"})
        if (::access(tool, X_OK) != 0) { m_whyNot = std::string(tool) + " is not installed"; return; }
    m_export = m_root + "/export";
    m_mountPoint = m_root + "/mnt";
    m_log = m_root + "/ssh.log";
    fs::create_directories(m_export);
    fs::create_directories(m_mountPoint);
    ::chmod(m_root.c_str(), 0700);
    if (procs::run("ssh-keygen -q -t ed25519 -N '' -f " + procs::quoted(m_root + "/host_key") +
                   " && ssh-keygen -q -t ed25519 -N '' -f " + procs::quoted(m_root + "/user_key") + " && cp " +
                   procs::quoted(m_root + "/user_key.pub") + " " + procs::quoted(m_root + "/authorized_keys"),
                   {}, m_log) != 0) {
        m_whyNot = "ssh-keygen failed";
        return;
    }
    m_port = freePort();
    std::ofstream(m_root + "/sshd_config")
        << "Port " << m_port << "\nListenAddress 127.0.0.1\nHostKey " << m_root << "/host_key\nPidFile " << m_root
        << "/sshd.pid\nAuthorizedKeysFile " << m_root << "/authorized_keys\nStrictModes no\nUsePAM no\n"
        << "PasswordAuthentication no\nKbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n"
        << "Subsystem sftp internal-sftp\n";
    // sshd insists on its privilege separation folder; it goes again with us.
    if (!fs::exists("/run/sshd")) {
        std::error_code e;
        m_madeRunSshd = fs::create_directory("/run/sshd", e);
        ::chmod("/run/sshd", 0755);
    }
    m_server = procs::start({"/usr/sbin/sshd", "-D", "-e", "-f", m_root + "/sshd_config"}, {}, m_log);
    for (int i = 0; i < 100 && !answers(m_port); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!answers(m_port)) { m_whyNot = "sshd did not answer on 127.0.0.1:" + std::to_string(m_port); return; }
    if (!mount()) m_whyNot = "sshfs could not mount the export";
}

SftpShare::~SftpShare() {
    unmount();
    procs::end(m_server);
    if (m_madeRunSshd) ::rmdir("/run/sshd");
    std::error_code ignored;
    if (!procs::isMountPoint(m_mountPoint)) fs::remove_all(m_root, ignored);
}

bool SftpShare::mount() {
    if (procs::isMountPoint(m_mountPoint)) return true;
    const std::string options = "IdentityFile=" + m_root + "/user_key,UserKnownHostsFile=/dev/null," +
                                "StrictHostKeyChecking=no,BatchMode=yes,port=" + std::to_string(m_port);
    m_client = procs::start({"/usr/bin/sshfs", "-f", "-o", options, "root@127.0.0.1:" + m_export, m_mountPoint}, {},
                            m_log);
    return procs::waitMounted(m_mountPoint, true);
}

bool SftpShare::unmount() {
    if (m_client > 0) procs::end(m_client);
    if (procs::isMountPoint(m_mountPoint)) procs::run("umount -l " + procs::quoted(m_mountPoint));
    return procs::waitMounted(m_mountPoint, false);
}

void SftpShare::pauseServer(bool paused) { procs::signalTree(m_server, paused ? SIGSTOP : SIGCONT); }

}  // namespace testsupport
