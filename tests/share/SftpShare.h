// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>

namespace testsupport {

// A folder shared over SFTP and mounted with sshfs, as a desktop user mounts
// a server: a throwaway sshd on 127.0.0.1 (own configuration, host key, user
// key and port, run in the foreground) exporting `folder`/export. The
// machine's own ssh service is neither used nor touched. Needs root (FUSE,
// sshd's privilege separation) and the packages openssh-server and sshfs.
class SftpShare {
public:
    explicit SftpShare(const std::string& folder);
    ~SftpShare();
    SftpShare(const SftpShare&) = delete;
    SftpShare& operator=(const SftpShare&) = delete;

    const std::string& whyNot() const { return m_whyNot; }

    const std::string& mounted() const { return m_mountPoint; }
    std::string server(const std::string& relative) const { return m_export + "/" + relative; }

    bool mount();
    bool unmount();
    // Stops and continues the server and everything it started (its
    // connections and the SFTP session).
    void pauseServer(bool paused);

private:
    std::string m_root, m_export, m_mountPoint, m_log, m_whyNot;
    int m_port = 0;
    pid_t m_server = -1, m_client = -1;
    bool m_madeRunSshd = false;
};

}  // namespace testsupport
