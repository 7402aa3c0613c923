// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starting and ending the servers and clients of the share tests. Every
// process started here carries a marker in its environment, and so does
// everything it starts (D-Bus activated services, smbd's helpers, KIO's
// workers, which leave their parent's group), so that the end of a suite
// finds them all and ends each by its pid.
namespace testsupport::shareprocs {

// The marker of this run, "ORVALEN_SHARE_TEST=<folder>".
void setMarker(const std::string& folder);

// Starts `argv` in a process group of its own with `env` added to the
// environment, output to `log`. The pid, or -1.
pid_t start(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& log);

// Runs a shell command with `env` added, output to `log` (or dropped); its status.
int run(const std::string& command, const std::vector<std::string>& env = {}, const std::string& log = "");

// SIGTERM, then SIGKILL after `graceMs`, to `pid` and all its descendants; reaps it.
void end(pid_t& pid, int graceMs = 2000);

// Sends `signal` to `pid` and every descendant, parents first.
void signalTree(pid_t pid, int signal);

// Ends whatever still carries this run's marker.
void endMarked();

bool isMountPoint(const std::string& folder);
// Waits up to `ms` until `folder` is (or is not) a mount point.
bool waitMounted(const std::string& folder, bool wanted, int ms = 10000);

std::string quoted(const std::string& text);

}  // namespace testsupport::shareprocs
