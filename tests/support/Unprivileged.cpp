// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Unprivileged.h"

#include <grp.h>
#include <unistd.h>

namespace testsupport {

bool CanDropPrivileges() {
    return ::geteuid() == 0;
}

int RunAsNobody(const std::function<int()>& body) {
    return RunInChild([&]() -> int {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobodyId, kNobodyId, kNobodyId) != 0 ||
            ::setresuid(kNobodyId, kNobodyId, kNobodyId) != 0)
            return kChildCannotDropPrivileges;
        // Make sure the way back is closed before trusting the result.
        if (::geteuid() != kNobodyId || ::setresuid(0, 0, 0) == 0) return kChildCannotDropPrivileges;
        return body();
    });
}

}  // namespace testsupport
