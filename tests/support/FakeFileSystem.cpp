// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeFileSystem.h"

#include <algorithm>

#include "core/PathText.h"
#include "core/RuntimeError.h"

namespace testsupport {

using orvalen::RuntimeError;
namespace err = orvalen::err;
namespace path = orvalen::path;

FakeFileSystem::FakeFileSystem() { m_nodes["/"] = Node{true, 0}; }

std::string FakeFileSystem::key(const std::string& p) {
    std::string k = p;
    while (k.size() > 1 && k.back() == '/') k.pop_back();
    return k;
}

void FakeFileSystem::addFolder(const std::string& p) {
    const std::string k = key(p);
    if (k.empty()) return;
    const std::string parent = path::GetParentFolderName(k);
    if (!parent.empty() && parent != k) addFolder(parent);
    m_nodes[k] = Node{true, 0};
}

void FakeFileSystem::addFile(const std::string& p, std::uint64_t size) {
    addFolder(path::GetParentFolderName(p));
    m_nodes[key(p)] = Node{false, size};
}

void FakeFileSystem::remove(const std::string& p) {
    const std::string k = key(p);
    const std::string prefix = k + "/";
    for (auto it = m_nodes.begin(); it != m_nodes.end();) {
        if (it->first == k || it->first.rfind(prefix, 0) == 0) it = m_nodes.erase(it);
        else ++it;
    }
}

bool FakeFileSystem::hasFile(const std::string& p) const {
    auto it = m_nodes.find(key(p));
    return it != m_nodes.end() && !it->second.folder;
}

bool FakeFileSystem::hasFolder(const std::string& p) const {
    if (p.empty()) return false;
    auto it = m_nodes.find(key(p));
    return it != m_nodes.end() && it->second.folder;
}

std::uint64_t FakeFileSystem::fileSize(const std::string& p) const {
    return m_nodes.at(key(p)).size;
}

bool FakeFileSystem::parentIsFolder(const std::string& p) const {
    return hasFolder(path::GetParentFolderName(key(p)));
}

void FakeFileSystem::failNext(const std::string& operation, int number, int times,
                              std::function<void()> onFail) {
    m_failures.push_back(Failure{operation, number, times, std::move(onFail)});
}

int FakeFileSystem::countOf(const std::string& entry) const {
    return static_cast<int>(std::count(m_log.begin(), m_log.end(), entry));
}

void FakeFileSystem::enter(const std::string& operation, const std::string& p) {
    m_log.push_back(operation + " " + p);
    auto it = std::find_if(m_failures.begin(), m_failures.end(),
                           [&](const Failure& f) { return f.operation == operation; });
    if (it == m_failures.end()) return;
    const int number = it->number;
    auto onFail = it->onFail;
    if (--it->times == 0) m_failures.erase(it);
    if (onFail) onFail();
    throw RuntimeError(number, "injected failure of " + operation + " " + p);
}

bool FakeFileSystem::FileExists(const std::string& p) {
    m_log.push_back("FileExists " + p);
    return hasFile(p);
}

bool FakeFileSystem::FolderExists(const std::string& p) {
    m_log.push_back("FolderExists " + p);
    return hasFolder(p);
}

orvalen::FileRef FakeFileSystem::GetFile(const std::string& p) {
    enter("GetFile", p);
    if (hasFile(p)) return {p};
    throw RuntimeError(parentIsFolder(p) ? err::kFileNotFound : err::kPathNotFound, p);
}

orvalen::FolderRef FakeFileSystem::GetFolder(const std::string& p) {
    enter("GetFolder", p);
    if (hasFolder(p)) return {p};
    throw RuntimeError(err::kPathNotFound, p);
}

std::string FakeFileSystem::GetParentFolderName(const std::string& p) {
    return path::GetParentFolderName(p);
}

void FakeFileSystem::CreateFolder(const std::string& p) {
    enter("CreateFolder", p);
    if (m_nodes.count(key(p))) throw RuntimeError(err::kFileAlreadyExists, p);
    if (!parentIsFolder(p)) throw RuntimeError(err::kPathNotFound, p);
    m_nodes[key(p)] = Node{true, 0};
}

std::uint64_t FakeFileSystem::Size(const orvalen::FileRef& file) {
    enter("SizeFile", file.Path);
    if (!hasFile(file.Path)) throw RuntimeError(err::kFileNotFound, file.Path);
    return fileSize(file.Path);
}

std::uint64_t FakeFileSystem::Size(const orvalen::FolderRef& folder) {
    enter("SizeFolder", folder.Path);
    if (!hasFolder(folder.Path)) throw RuntimeError(err::kPathNotFound, folder.Path);
    const std::string prefix = key(folder.Path) == "/" ? "/" : key(folder.Path) + "/";
    std::uint64_t total = 0;
    for (const auto& [k, node] : m_nodes)
        if (!node.folder && k.rfind(prefix, 0) == 0) total += node.size;
    return total;
}

void FakeFileSystem::Copy(const orvalen::FileRef& source, const std::string& destination) {
    enter("CopyFile", destination);
    if (!hasFile(source.Path)) throw RuntimeError(err::kFileNotFound, source.Path);
    if (!parentIsFolder(destination)) throw RuntimeError(err::kPathNotFound, destination);
    if (hasFolder(destination)) throw RuntimeError(err::kPermissionDenied, destination);
    m_nodes[key(destination)] = Node{false, fileSize(source.Path)};
}

void FakeFileSystem::Copy(const orvalen::FolderRef& source, const std::string& destination) {
    enter("CopyFolder", destination);
    if (!hasFolder(source.Path)) throw RuntimeError(err::kPathNotFound, source.Path);
    const std::string to = key(destination);
    if (!hasFolder(to)) {
        if (!parentIsFolder(to)) throw RuntimeError(err::kPathNotFound, destination);
        m_nodes[to] = Node{true, 0};
    }
    const std::string from = key(source.Path);
    const std::string prefix = from == "/" ? "/" : from + "/";
    std::vector<std::pair<std::string, Node>> copies;
    for (const auto& [k, node] : m_nodes)
        if (k.rfind(prefix, 0) == 0) copies.emplace_back(to + "/" + k.substr(prefix.size()), node);
    for (auto& [k, node] : copies) m_nodes[k] = node;
}

}  // namespace testsupport
