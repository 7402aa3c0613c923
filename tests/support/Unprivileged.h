// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include "support/ChildProcess.h"

namespace testsupport {

inline constexpr unsigned kNobodyId = 65534;

// Tests run as root in CI, and root may do anything: a refused-access scenario
// only means something in a process that has given up root.
bool CanDropPrivileges();

// Runs `body` in a forked child whose user, group and supplementary groups are
// nobody's, and returns its result as RunInChild does. Returns
// kChildCannotDropPrivileges when the child could not become nobody, so the
// scenario never runs with more rights than intended.
int RunAsNobody(const std::function<int()>& body);

}  // namespace testsupport
