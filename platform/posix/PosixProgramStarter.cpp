// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/ProgramStarter.h"

namespace orvalen::platform {

namespace {

// Writes all of `size` bytes, retrying when interrupted; safe after fork.
void WriteAll(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

// Started through a double fork: the middle process ends at once and is
// collected here, so the program becomes a child of init (or of the nearest
// subreaper) and nobody is left to wait for it. A close-on-exec pipe carries
// the error of a failed exec back; a successful exec just closes it.
class PosixProgramStarter : public ProgramStarter {
public:
    bool StartProgram(const std::string& path) override {
        if (path.empty() || path.find('\0') != std::string::npos) return false;

        // Built before forking: only async-signal-safe calls follow in the children.
        char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};

        int report[2];
        if (::pipe2(report, O_CLOEXEC) != 0) return false;

        const pid_t middle = ::fork();
        if (middle < 0) {
            ::close(report[0]);
            ::close(report[1]);
            return false;
        }
        if (middle == 0) {
            ::close(report[0]);
            ::setsid();  // its own session: closing our terminal does not end it
            const pid_t program = ::fork();
            if (program < 0) {
                const int error = errno;
                WriteAll(report[1], &error, sizeof error);
                ::_exit(127);
            }
            if (program > 0) ::_exit(0);

            // The program should not inherit a blocked or ignored signal of ours.
            sigset_t none;
            ::sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::signal(SIGPIPE, SIG_DFL);
            ::signal(SIGCHLD, SIG_DFL);

            ::execv(argv[0], argv);
            const int error = errno;
            WriteAll(report[1], &error, sizeof error);
            ::_exit(127);
        }

        ::close(report[1]);
        int status = 0;
        // ECHILD: SIGCHLD is ignored here, so the middle process was never ours to collect.
        while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
        }

        int error = 0;
        ssize_t got;
        do {
            got = ::read(report[0], &error, sizeof error);
        } while (got < 0 && errno == EINTR);
        ::close(report[0]);

        // Nothing read: the pipe was closed by a successful exec.
        return got == 0;
    }
};

}  // namespace

std::unique_ptr<ProgramStarter> MakeSystemProgramStarter() {
    return std::make_unique<PosixProgramStarter>();
}

}  // namespace orvalen::platform
