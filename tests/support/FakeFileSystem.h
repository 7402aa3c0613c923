// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/FileSystem.h"

namespace testsupport {

// An in-memory file system that logs every call and fails on request, so the
// engine's order of steps and its Retry behaviour can be checked exactly.
class FakeFileSystem : public orvalen::FileSystem {
public:
    FakeFileSystem();

    // Tree building: folders are created with their ancestors.
    void addFolder(const std::string& path);
    void addFile(const std::string& path, std::uint64_t size);
    void remove(const std::string& path);  // with everything below it
    bool hasFile(const std::string& path) const;
    bool hasFolder(const std::string& path) const;
    std::uint64_t fileSize(const std::string& path) const;

    // The next call of `operation` (as it appears in the log, e.g. "Copy",
    // "GetFile") fails with `number`, `times` times in a row. `onFail` runs at
    // each failure, before the throw.
    void failNext(const std::string& operation, int number, int times = 1,
                  std::function<void()> onFail = {});

    // "Operation path" for every call, in order.
    const std::vector<std::string>& log() const { return m_log; }
    void clearLog() { m_log.clear(); }
    int countOf(const std::string& entry) const;

    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    void CheckDestination(const std::string& destinationFolder) override { enter("CheckDestination", destinationFolder); }
    void ForgetSeenFolders() override { m_log.push_back("ForgetSeenFolders"); }
    orvalen::FileRef GetFile(const std::string& path) override;
    orvalen::FolderRef GetFolder(const std::string& path) override;
    std::string GetParentFolderName(const std::string& path) override;
    void CreateFolder(const std::string& path) override;
    std::uint64_t Size(const orvalen::FileRef& file) override;
    std::uint64_t Size(const orvalen::FolderRef& folder) override;
    void Copy(const orvalen::FileRef& source, const std::string& destination) override;
    void Copy(const orvalen::FolderRef& source, const std::string& destination) override;

private:
    struct Node {
        bool folder = false;
        std::uint64_t size = 0;
    };
    struct Failure {
        std::string operation;
        int number;
        int times;
        std::function<void()> onFail;
    };

    void enter(const std::string& operation, const std::string& path);
    static std::string key(const std::string& path);
    bool parentIsFolder(const std::string& path) const;

    std::map<std::string, Node> m_nodes;
    std::deque<Failure> m_failures;
    std::vector<std::string> m_log;
};

}  // namespace testsupport
