// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildProcess.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace testsupport {

int RunInChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return kChildKilled;
    if (child == 0) {
        int result = kChildThrew;
        try {
            result = body();
        } catch (...) {
            result = kChildThrew;
        }
        // _exit: the parent's test framework state must not run again here.
        ::_exit(result & 0xff);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return kChildKilled;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : kChildKilled;
}

}  // namespace testsupport
