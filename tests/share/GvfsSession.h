// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

// GNOME's share client as a desktop session runs it, without a desktop: a
// private D-Bus session bus, gvfsd, and gvfsd-fuse showing every mount as a
// folder of one FUSE mount (a desktop's is $XDG_RUNTIME_DIR/gvfs). All of it
// lives under `folder` and ends with the object. Needs root (FUSE) and the
// packages gvfs-daemons, gvfs-backends and gvfs-fuse.
class GvfsSession {
public:
    explicit GvfsSession(const std::string& folder);
    ~GvfsSession();
    GvfsSession(const GvfsSession&) = delete;
    GvfsSession& operator=(const GvfsSession&) = delete;

    // Empty when the session runs; otherwise why it cannot here.
    const std::string& whyNot() const { return m_whyNot; }

    // `gio mount -a URI` (anonymous, its questions answered with empty
    // lines) and `gio mount -u URI`; each waits until `folder` shows it.
    bool mount(const std::string& uri, const std::string& folder);
    bool unmount(const std::string& uri, const std::string& folder);

    // The gvfsd-fuse mount, and the folder it shows an SMB share as.
    const std::string& fuseRoot() const { return m_fuse; }
    std::string smbShare(const std::string& server, const std::string& share) const {
        return m_fuse + "/smb-share:server=" + server + ",share=" + share;
    }
    // The session's environment, for other clients on the same bus.
    const std::vector<std::string>& env() const { return m_env; }

private:
    std::string m_root, m_fuse, m_log, m_whyNot;
    std::vector<std::string> m_env;
    pid_t m_bus = -1, m_gvfsd = -1, m_fuseDaemon = -1;
};

}  // namespace testsupport
