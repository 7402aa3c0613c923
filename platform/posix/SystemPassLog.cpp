// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SystemPassLog.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/posix/UniqueFd.h"

namespace orvalen::platform {

namespace {

constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

// systemd sets JOURNAL_STREAM to the device and inode of the stream it
// connected standard error to; lines written there reach the journal anyway.
bool StderrIsJournal() {
    const char* stream = std::getenv("JOURNAL_STREAM");
    struct stat st{};
    if (!stream || ::fstat(STDERR_FILENO, &st) != 0) return false;
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) == stream;
}

bool InUserSession() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st{};
    return runtime && ::stat((std::string(runtime) + "/systemd").c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class SystemPassLog : public PassLog {
public:
    SystemPassLog(std::FILE* out, std::string socketPath) : m_out(out) {
        if (socketPath.empty()) {
            if (!InUserSession() || StderrIsJournal()) return;
            socketPath = kJournalSocket;
        }
        if (socketPath.size() >= sizeof(m_address.sun_path)) return;
        m_address.sun_family = AF_UNIX;
        std::memcpy(m_address.sun_path, socketPath.c_str(), socketPath.size() + 1);
        m_socket.reset(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    }

    void write(const std::string& line) override {
        if (m_out) {
            std::fprintf(m_out, "%s\n", line.c_str());
            std::fflush(m_out);
        }
        if (!m_socket.valid()) return;
        // The journal's native form; the line holds no line feed.
        const std::string entry = "SYSLOG_IDENTIFIER=orvalen\nPRIORITY=4\nMESSAGE=" + line + "\n";
        // A journal that is not there loses the line; standard error has it.
        (void)::sendto(m_socket.get(), entry.data(), entry.size(), MSG_NOSIGNAL,
                       reinterpret_cast<const sockaddr*>(&m_address), sizeof(m_address));
    }

private:
    std::FILE* m_out;
    posix::UniqueFd m_socket;
    sockaddr_un m_address{};
};

}  // namespace

std::unique_ptr<PassLog> MakeSystemPassLog(std::FILE* out, std::string journalSocket) {
    return std::make_unique<SystemPassLog>(out, std::move(journalSocket));
}

}  // namespace orvalen::platform
