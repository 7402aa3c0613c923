// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace testsupport {

// Exit codes the helpers use for themselves; a scenario's own results should
// stay below them.
inline constexpr int kChildThrew = 250;
inline constexpr int kChildCannotDropPrivileges = 251;
inline constexpr int kChildKilled = -1;

// Runs `body` in a forked child and returns its result (0..255) as the child's
// exit code, kChildThrew when it threw, kChildKilled when a signal ended it.
// For scenarios that change process-wide state (credentials, limits). GoogleTest
// assertions inside the body do not reach the parent: return a result instead.
int RunInChild(const std::function<int()>& body);

}  // namespace testsupport
