// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

// A mount made for one test and undone at its end. Needs root; when mounting
// is not possible, mounted() is false and whyNot() tells why, so the test can
// skip with that reason.
class ScopedMount {
public:
    // `folder` bound onto itself read-only: writes fail with EROFS even for root.
    static ScopedMount readOnlyBind(const std::string& folder);
    // A tmpfs of `bytes` bytes on `folder`: writes beyond it fail with ENOSPC.
    static ScopedMount smallTmpfs(const std::string& folder, std::uint64_t bytes);

    ~ScopedMount();
    ScopedMount(ScopedMount&& other) noexcept;
    ScopedMount& operator=(ScopedMount&&) = delete;
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;

    bool mounted() const { return m_mounts > 0; }
    const std::string& whyNot() const { return m_whyNot; }

private:
    explicit ScopedMount(std::string folder) : m_folder(std::move(folder)) {}

    std::string m_folder;
    int m_mounts = 0;  // layers to take off again
    std::string m_whyNot;
};

}  // namespace testsupport
