// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>

namespace testsupport {

// A real SMB share for the tests: smbd bound to 127.0.0.1 only, with its own
// configuration and state under a temporary folder, exporting a small tmpfs
// (so the share can be filled), mounted through FUSE by smbnetfs. The mount
// shows names in Latin-1, as an older client writes them, so names that are
// not UTF-8 travel to and from the share. Needs root, /dev/fuse and port 445.
class SambaShare {
public:
    SambaShare();
    ~SambaShare();
    SambaShare(const SambaShare&) = delete;
    SambaShare& operator=(const SambaShare&) = delete;

    // Empty when the share is up; otherwise why it cannot be had here.
    const std::string& whyNot() const { return m_whyNot; }

    // The share as this machine sees it through the mount, and the same
    // folder on the server's own disk (for looking behind the client's back).
    const std::string& mounted() const { return m_share; }
    const std::string& mountPoint() const { return m_mountPoint; }
    std::string client(const std::string& relative) const { return m_share + "/" + relative; }
    std::string server(const std::string& relative) const { return m_export + "/" + relative; }
    // A folder beside the share that the server can reach but does not export.
    std::string outside(const std::string& relative) const { return m_root + "/outside/" + relative; }
    const std::string& root() const { return m_root; }

    // The second client, the person who deletes: smbclient's commands.
    bool otherClient(const std::string& commands) const;

    void killServer();
    // SIGSTOP or SIGCONT to the server and its connections.
    void pauseServer(bool paused);
    bool startServer();
    bool unmount();
    bool mount();
    bool setReadOnly(bool readOnly);

private:
    bool portAnswers() const;
    bool waitForPort() const;
    bool waitUntilMounted(bool wanted) const;
    void fail(const std::string& why) { if (m_whyNot.empty()) m_whyNot = why; }

    std::string m_root, m_export, m_mountPoint, m_share, m_home, m_conf;
    pid_t m_server = -1;
    bool m_tmpfs = false;
    std::string m_whyNot;
};

}  // namespace testsupport
