// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/FileSystemHelper.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "core/PathText.h"
#include "core/RuntimeError.h"
#include "platform/LocalFileSystem.h"

namespace orvalen::platform::posix {

namespace {

enum class Op : std::uint8_t {
    FileExists,
    FolderExists,
    FolderExistsNoFollow,
    CheckDestination,
    GetFile,
    GetFolder,
    CreateFolder,
    FileSize,
    FolderSize,
    CopyFile,
    CopyFolder,
    ForgetSeenFolders,
};

enum class Status : std::uint8_t { Ok, Failed };

class Writer {
public:
    Writer& u8(std::uint8_t v) {
        m_bytes.push_back(static_cast<char>(v));
        return *this;
    }
    Writer& u64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) m_bytes.push_back(static_cast<char>(v >> (8 * i)));
        return *this;
    }
    Writer& text(const std::string& s) {
        u64(s.size());
        m_bytes += s;
        return *this;
    }
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// Reads what Writer wrote; a short or malformed message throws.
class Reader {
public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes) {}
    std::uint8_t u8() {
        need(1);
        return static_cast<std::uint8_t>(m_bytes[m_pos++]);
    }
    std::uint64_t u64() {
        need(8);
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= std::uint64_t{static_cast<std::uint8_t>(m_bytes[m_pos++])} << (8 * i);
        return v;
    }
    std::string text() {
        const std::uint64_t size = u64();
        need(size);
        std::string s = m_bytes.substr(m_pos, size);
        m_pos += size;
        return s;
    }

private:
    void need(std::uint64_t n) const {
        if (n > m_bytes.size() - m_pos) throw std::runtime_error("malformed message of the file-system helper");
    }
    const std::string& m_bytes;
    std::size_t m_pos = 0;
};

// A frame is its length, then its bytes. MSG_NOSIGNAL: a helper that died
// must fail the call, not kill the program with SIGPIPE.
bool sendFrame(int socket, const std::string& payload) {
    Writer frame;
    frame.u64(payload.size());
    const std::string bytes = frame.bytes() + payload;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool receiveExactly(int socket, char* data, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::recv(socket, data + got, size - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool receiveFrame(int socket, std::string& payload) {
    std::string header(8, '\0');
    if (!receiveExactly(socket, header.data(), header.size())) return false;
    const std::uint64_t size = Reader(header).u64();
    if (size > (std::uint64_t{1} << 30)) return false;
    payload.assign(size, '\0');
    return receiveExactly(socket, payload.data(), payload.size());
}

std::string answer(FileSystem& fs, const std::string& request) {
    Reader in(request);
    const auto op = static_cast<Op>(in.u8());
    const std::string path = in.text();
    Writer out;
    out.u8(static_cast<std::uint8_t>(Status::Ok));
    switch (op) {
    case Op::FileExists: out.u8(fs.FileExists(path)); break;
    case Op::FolderExists: out.u8(fs.FolderExists(path)); break;
    case Op::FolderExistsNoFollow: out.u8(fs.FolderExistsNoFollow(path)); break;
    case Op::CheckDestination: fs.CheckDestination(path); break;
    case Op::GetFile: out.text(fs.GetFile(path).Path); break;
    case Op::GetFolder: out.text(fs.GetFolder(path).Path); break;
    case Op::CreateFolder: fs.CreateFolder(path); break;
    case Op::FileSize: out.u64(fs.Size(FileRef{path})); break;
    case Op::FolderSize: out.u64(fs.Size(FolderRef{path})); break;
    case Op::CopyFile: fs.Copy(FileRef{path}, in.text()); break;
    case Op::CopyFolder: fs.Copy(FolderRef{path}, in.text()); break;
    case Op::ForgetSeenFolders: fs.ForgetSeenFolders(); break;
    default: throw std::runtime_error("unknown request to the file-system helper");
    }
    return out.bytes();
}

std::string request(Op op, const std::string& path) {
    return Writer().u8(static_cast<std::uint8_t>(op)).text(path).bytes();
}

std::string request(Op op, const std::string& path, const std::string& destination) {
    return Writer().u8(static_cast<std::uint8_t>(op)).text(path).text(destination).bytes();
}

}  // namespace

void ServeFileSystem(int socket, FileSystem& service) {
    std::string incoming;
    while (receiveFrame(socket, incoming)) {
        std::string reply;
        try {
            reply = answer(service, incoming);
        } catch (const RuntimeError& e) {
            reply = Writer().u8(static_cast<std::uint8_t>(Status::Failed)).u64(static_cast<std::uint64_t>(e.number()))
                        .text(e.what()).bytes();
        } catch (const std::exception& e) {
            reply = Writer().u8(static_cast<std::uint8_t>(Status::Failed)).u64(err::kPathFileAccess)
                        .text(e.what()).bytes();
        }
        if (!sendFrame(socket, reply)) return;
    }
}

HelperFileSystem::HelperFileSystem(std::string program) : m_program(std::move(program)) {}

HelperFileSystem::~HelperFileSystem() { stop(); }

namespace {

bool isExecutable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

}  // namespace

std::string HelperProgramPath() {
    // Installed: <prefix>/libexec/orvalen/ beside <prefix>/bin/orvalen.
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string folder(self, static_cast<std::size_t>(n));
        folder = folder.substr(0, folder.rfind('/'));
        const std::string installed = folder + "/../libexec/orvalen/" + kHelperProgramName;
        if (isExecutable(installed)) return installed;
    }
    // Run from the build tree: the program, its tests and its benchmarks.
    return ORVALEN_FILE_HELPER_BUILD_PATH;
}

void HelperFileSystem::start() {
    reap();
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        throw RuntimeError(err::kPathFileAccess, std::string("Cannot start the file-system helper: ") +
                                                     std::strerror(errno));
    // A fresh program, not a fork: a fork of a program with threads may hold
    // another thread's locks for ever. It keeps nothing of ours but the
    // socket, and no standard stream either: a helper stuck in a dead share
    // after the program ended must not hold a terminal's or a pipe's end.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd <= 2; ++fd) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    posix_spawn_file_actions_adddup2(&actions, pair[1], kHelperSocket);
    const std::string program = m_program.empty() ? HelperProgramPath() : m_program;
    char* const argv[] = {const_cast<char*>(kHelperProgramName), nullptr};
    char* const envp[] = {nullptr};
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    if (failed != 0) {
        ::close(pair[0]);
        throw RuntimeError(err::kPathFileAccess,
                           "Cannot start the file-system helper " + program + ": " + std::strerror(failed));
    }
    m_pid = pid;
    m_socket = pair[0];
}

void HelperFileSystem::stop() {
    // The helper sees the socket close and ends once its call (if any) returns.
    if (m_socket >= 0) ::close(m_socket);
    m_socket = -1;
    reap();
}

void HelperFileSystem::reap() {
    // An idle helper ends within moments of its socket closing. One still
    // stuck in a call is left to end by itself, and to init if the program
    // ends first.
    for (int i = 0; m_pid > 0 && i < 40; ++i) {
        if (::waitpid(m_pid, nullptr, WNOHANG) != 0) m_pid = -1;
        else ::usleep(5000);
    }
}

std::string HelperFileSystem::call(const std::string& req) {
    std::lock_guard lock(m_mutex);
    if (m_socket < 0) start();
    std::string reply;
    if (!sendFrame(m_socket, req) || !receiveFrame(m_socket, reply)) {
        stop();
        throw RuntimeError(err::kPathFileAccess, "The file-system helper ended during a call");
    }
    Reader in(reply);
    if (static_cast<Status>(in.u8()) == Status::Ok) return reply.substr(1);
    const auto number = static_cast<int>(in.u64());
    throw RuntimeError(number, in.text());
}

namespace {

bool flag(const std::string& value) { return !value.empty() && value[0] != 0; }

std::uint64_t number(const std::string& value) { return Reader(value).u64(); }

std::string text(const std::string& value) { return Reader(value).text(); }

}  // namespace

// Looking never fails: a helper that cannot be reached counts as "not there".
bool HelperFileSystem::exists(int op, const std::string& path) {
    try {
        return flag(call(request(static_cast<Op>(op), path)));
    } catch (const RuntimeError&) {
        return false;
    }
}

bool HelperFileSystem::FileExists(const std::string& path) { return exists(int(Op::FileExists), path); }

bool HelperFileSystem::FolderExists(const std::string& path) { return exists(int(Op::FolderExists), path); }

bool HelperFileSystem::FolderExistsNoFollow(const std::string& path) {
    return exists(int(Op::FolderExistsNoFollow), path);
}

void HelperFileSystem::CheckDestination(const std::string& destinationFolder) {
    call(request(Op::CheckDestination, destinationFolder));
}

FileRef HelperFileSystem::GetFile(const std::string& path) { return FileRef{text(call(request(Op::GetFile, path)))}; }

FolderRef HelperFileSystem::GetFolder(const std::string& path) {
    return FolderRef{text(call(request(Op::GetFolder, path)))};
}

// Text only: nothing to carry to the helper.
std::string HelperFileSystem::GetParentFolderName(const std::string& path) { return path::GetParentFolderName(path); }

void HelperFileSystem::ForgetSeenFolders() { call(request(Op::ForgetSeenFolders, {})); }

void HelperFileSystem::CreateFolder(const std::string& path) { call(request(Op::CreateFolder, path)); }

std::uint64_t HelperFileSystem::Size(const FileRef& file) { return number(call(request(Op::FileSize, file.Path))); }

std::uint64_t HelperFileSystem::Size(const FolderRef& folder) {
    return number(call(request(Op::FolderSize, folder.Path)));
}

void HelperFileSystem::Copy(const FileRef& source, const std::string& destination) {
    call(request(Op::CopyFile, source.Path, destination));
}

void HelperFileSystem::Copy(const FolderRef& source, const std::string& destination) {
    call(request(Op::CopyFolder, source.Path, destination));
}

}  // namespace orvalen::platform::posix

namespace orvalen::platform {

std::unique_ptr<FileSystem> MakeLocalFileSystemInHelper() {
    return std::make_unique<posix::HelperFileSystem>();
}

}  // namespace orvalen::platform
