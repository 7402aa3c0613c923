// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace testsupport {

// Sets the immutable attribute (chattr +i) on a file or folder for one test:
// even root then gets EPERM for changing it or, for a folder, its entries.
// Needs root and a file system that has the attribute; otherwise active() is
// false and whyNot() tells why.
class ScopedImmutable {
public:
    explicit ScopedImmutable(std::string path);
    ~ScopedImmutable();
    ScopedImmutable(const ScopedImmutable&) = delete;
    ScopedImmutable& operator=(const ScopedImmutable&) = delete;

    bool active() const { return m_active; }
    const std::string& whyNot() const { return m_whyNot; }

private:
    std::string m_path;
    bool m_active = false;
    std::string m_whyNot;
};

}  // namespace testsupport
