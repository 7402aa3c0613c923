// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

// KDE's share client: kio-fuse on a session bus (`env`, for instance a
// GvfsSession's), its mount at `folder`/kio (a desktop's is
// $XDG_RUNTIME_DIR/kio-fuse-XXXXXX). It has no way to eject one share: a
// share goes only when kio-fuse ends, at the end of the desktop session.
// Needs the packages kio-fuse and kio-extras (the smb worker).
class KioFuse {
public:
    KioFuse(const std::string& folder, std::vector<std::string> env);
    ~KioFuse() { stop(); }
    KioFuse(const KioFuse&) = delete;
    KioFuse& operator=(const KioFuse&) = delete;

    const std::string& whyNot() const { return m_whyNot; }

    // Starts kio-fuse and mounts `url`; the local folder that shows it, or empty.
    std::string start(const std::string& url);
    void stop();

private:
    std::string m_root, m_mountPoint, m_log, m_whyNot;
    std::vector<std::string> m_env;
    pid_t m_daemon = -1;
};

}  // namespace testsupport
