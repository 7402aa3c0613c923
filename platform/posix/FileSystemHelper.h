// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>

#include "core/FileSystem.h"

namespace orvalen::platform::posix {

// The file-system service with its calls carried out in a helper process.
//
// A call into a network share whose server stopped answering can hang for a
// minute, and the kernel waits out a FUSE request already handed to the
// client before the calling process may end: a thread stuck there would keep
// the whole program alive after Exit. Here only the helper is stuck; the
// caller waits on a socket, which ends with the program at once. The helper
// ends when the program has gone and its call has returned.
//
// Each call is one request and one answer on a socket pair; a failure comes
// back as the same RuntimeError number and text. The helper is the program
// `orvalen-file-helper`, started at the first call and again at the next
// call if it has died (err::kPathFileAccess for the call under way then). One caller at
// a time: the guard pass.
class HelperFileSystem : public FileSystem {
public:
    // `program`: the helper to start; empty for HelperProgramPath().
    explicit HelperFileSystem(std::string program = {});
    ~HelperFileSystem() override;
    HelperFileSystem(const HelperFileSystem&) = delete;
    HelperFileSystem& operator=(const HelperFileSystem&) = delete;

    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    bool FolderExistsNoFollow(const std::string& path) override;
    void CheckDestination(const std::string& destinationFolder) override;
    void ForgetSeenFolders() override;
    FileRef GetFile(const std::string& path) override;
    FolderRef GetFolder(const std::string& path) override;
    std::string GetParentFolderName(const std::string& path) override;
    void CreateFolder(const std::string& path) override;
    std::uint64_t Size(const FileRef& file) override;
    std::uint64_t Size(const FolderRef& folder) override;
    void Copy(const FileRef& source, const std::string& destination) override;
    void Copy(const FolderRef& source, const std::string& destination) override;

    // The helper's process id, or -1 before the first call; for tests.
    pid_t helperPid() const { return m_pid; }

private:
    std::string call(const std::string& request);
    bool exists(int op, const std::string& path);
    void start();
    void stop();
    void reap();

    std::string m_program;
    std::mutex m_mutex;
    int m_socket = -1;
    pid_t m_pid = -1;
};

inline constexpr const char* kHelperProgramName = "orvalen-file-helper";
// The helper's end of the socket pair.
inline constexpr int kHelperSocket = 3;

// Where the helper program is: installed beside the running program
// (<prefix>/libexec/orvalen), else where the build put it.
std::string HelperProgramPath();

// The helper's side: answers requests on `socket` until it is closed.
void ServeFileSystem(int socket, FileSystem& service);

}  // namespace orvalen::platform::posix
