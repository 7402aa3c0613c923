// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LocalFileSystem.h"

#include <windows.h>

#include <vector>

#include "core/PathText.h"
#include "core/RuntimeError.h"
#include "platform/MissingFileNumber.h"
#include "platform/windows/Win32ErrorMap.h"
#include "platform/windows/Win32Files.h"
#include "platform/windows/WideText.h"

namespace orvalen::platform {

using windows::FollowedInfo;
using windows::HeldFolder;
using windows::IsFolder;
using windows::LastWin32Error;
using windows::Win32Path;

namespace {

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
bool IsDirectory(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

std::uint64_t SizeOf(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }

RuntimeError fileError(DWORD code, const std::string& what, const std::string& path) {
    const int notFound = code == ERROR_FILE_NOT_FOUND ? MissingFileNumber(path, IsFolder) : err::kPathNotFound;
    return windows::ErrorFromWin32(code, what, path, notFound);
}

BY_HANDLE_FILE_INFORMATION regularFileInfo(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    DWORD error = 0;
    if (!FollowedInfo(path, info, error)) throw fileError(error, "Cannot find file", path);
    if (IsDirectory(info.dwFileAttributes)) throw RuntimeError(err::kFileNotFound, path + " is not a file");
    return info;
}

bool isRoot(const std::string& trimmed) {
    return path::GetParentFolderName(trimmed).empty() && trimmed.find(path::kSeparator) != std::string::npos;
}

bool isUsableName(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

// Writes `source` as `name` inside `folder`: through the temporary name,
// renamed into place when complete. The system's copy carries the
// modification time and attributes along.
void copyFileInto(const std::string& source, const std::string& folder, const std::string& name,
                  const std::string& pathForErrors) {
    const std::string temp = path::Join(folder, LocalFileSystem::TemporaryNameFor(name));
    const std::wstring wideTemp = Win32Path(temp);
    const std::wstring wideSource = Win32Path(source);
    // Fail-if-exists creates the temporary file anew and never opens what
    // stands there already, a planted link included.
    BOOL copied = ::CopyFileExW(wideSource.c_str(), wideTemp.c_str(), nullptr, nullptr, nullptr,
                                COPY_FILE_FAIL_IF_EXISTS);
    if (!copied && (::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS)) {
        // Left by a copy that was cut off, or planted: removed, never followed.
        windows::RemoveEntryQuietly(temp);
        copied = ::CopyFileExW(wideSource.c_str(), wideTemp.c_str(), nullptr, nullptr, nullptr,
                               COPY_FILE_FAIL_IF_EXISTS);
    }
    if (!copied) {
        const DWORD error = ::GetLastError();
        windows::RemoveEntryQuietly(temp);
        if (error == ERROR_FILE_NOT_FOUND) throw fileError(error, "Cannot copy", source);
        throw windows::ErrorFromWin32(error, "Cannot create the copy", pathForErrors);
    }
    // Renaming replaces a link at the copy's path instead of writing through it.
    if (!::MoveFileExW(wideTemp.c_str(), Win32Path(path::Join(folder, name)).c_str(),
                       MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = ::GetLastError();
        windows::RemoveEntryQuietly(temp);
        throw windows::ErrorFromWin32(error, "Cannot put the copy in place at", pathForErrors);
    }
}

// Holds the folder `path` for filling, creating it when missing. A link there is replaced by a real
// folder; a file there is someone's data: err::kFileAlreadyExists, left alone.
HeldFolder openOrCreateFolder(const std::string& path, const std::string& pathForErrors) {
    // A few rounds: someone else may change the entry between two calls.
    for (int round = 0; round < 4; ++round) {
        HeldFolder held;
        DWORD error = 0;
        if (windows::OpenHeld(path, held, error)) {
            const DWORD attributes = held.info.dwFileAttributes;
            if (!IsLink(attributes) && IsDirectory(attributes)) return held;
            held.handle.reset();
            if (!IsLink(attributes))
                throw RuntimeError(err::kFileAlreadyExists,
                                   "A file stands where the folder " + pathForErrors + " belongs");
            // Following it could lead the copy anywhere; the link goes.
            windows::RemoveEntryQuietly(path);
            continue;
        }
        if (error != ERROR_FILE_NOT_FOUND) throw windows::ErrorFromWin32(error, "Cannot open folder", pathForErrors);
        if (!::CreateDirectoryW(Win32Path(path).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            throw LastWin32Error("Cannot create folder", pathForErrors);
    }
    throw RuntimeError(err::kPathFileAccess, "The folder " + pathForErrors + " keeps changing");
}

bool sameEntry(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// One folder of a folder copy: its source, its held copy, and the source's
// times, given to the copy once its content is written.
struct CopyLevel {
    std::string source;
    std::string copy;
    HeldFolder held;
    FILETIME written{};
    std::vector<WIN32_FIND_DATAW> entries;
    std::size_t next = 0;
};

void listSource(CopyLevel& level) {
    const DWORD error = windows::ForEachEntry(level.source, [&](const WIN32_FIND_DATAW& entry) {
        // Links inside the source are neither copied nor counted in its size,
        // so the sizes of source and copy stay comparable.
        if (!IsLink(entry.dwFileAttributes)) level.entries.push_back(entry);
    });
    if (error != 0) throw windows::ErrorFromWin32(error, "Cannot read folder", level.source);
}

}  // namespace

// Nothing is kept between walks here.
void LocalFileSystem::ForgetSeenFolders() {}

// A mapped drive whose share is gone answers "not ready" itself (err::kDeviceUnavailable), so
// there is no empty local folder to guard against here.
void LocalFileSystem::CheckDestination(const std::string&) {}

bool LocalFileSystem::FileExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(Win32Path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !IsDirectory(attributes) && !IsLink(attributes);
}

bool LocalFileSystem::FolderExists(const std::string& path) { return IsFolder(path); }

bool LocalFileSystem::FolderExistsNoFollow(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(Win32Path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && IsDirectory(attributes) && !IsLink(attributes);
}

FileRef LocalFileSystem::GetFile(const std::string& path) {
    regularFileInfo(path);
    return FileRef{path};
}

FolderRef LocalFileSystem::GetFolder(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    DWORD error = 0;
    if (!FollowedInfo(path, info, error)) throw windows::ErrorFromWin32(error, "Cannot find folder", path);
    if (!IsDirectory(info.dwFileAttributes)) throw RuntimeError(err::kPathNotFound, path + " is not a folder");
    return FolderRef{path};
}

void LocalFileSystem::CreateFolder(const std::string& path) {
    // A missing drive answers "file not found" here; it is a missing path.
    if (!::CreateDirectoryW(Win32Path(path).c_str(), nullptr)) throw LastWin32Error("Cannot create folder", path);
}

std::uint64_t LocalFileSystem::Size(const FileRef& file) {
    const BY_HANDLE_FILE_INFORMATION info = regularFileInfo(file.Path);
    return SizeOf(info.nFileSizeHigh, info.nFileSizeLow);
}

std::uint64_t LocalFileSystem::Size(const FolderRef& folder) {
    GetFolder(folder.Path);
    // A list of folders still to walk instead of recursion: a deep tree never
    // costs the call stack.
    std::vector<std::string> pending{folder.Path};
    std::uint64_t total = 0;
    while (!pending.empty()) {
        const std::string here = std::move(pending.back());
        pending.pop_back();
        const DWORD error = windows::ForEachEntry(here, [&](const WIN32_FIND_DATAW& entry) {
            if (IsLink(entry.dwFileAttributes)) return;
            if (IsDirectory(entry.dwFileAttributes))
                pending.push_back(path::Join(here, windows::Narrow(entry.cFileName)));
            else
                total += SizeOf(entry.nFileSizeHigh, entry.nFileSizeLow);
        });
        // A subfolder removed meanwhile holds nothing any more.
        if (error == ERROR_PATH_NOT_FOUND && here != folder.Path) continue;
        if (error != 0) throw windows::ErrorFromWin32(error, "Cannot read folder", here);
    }
    return total;
}

void LocalFileSystem::Copy(const FileRef& source, const std::string& destination) {
    regularFileInfo(source.Path);
    const std::string trimmed = path::TrimTrailingSeparators(destination);
    const std::string name(path::LastComponent(trimmed));
    if (isRoot(trimmed) || !isUsableName(name))
        throw windows::ErrorFromWin32(ERROR_ACCESS_DENIED, "Cannot copy onto", destination);
    // Fail before writing anything when a folder holds the copy's name.
    const DWORD there = ::GetFileAttributesW(Win32Path(trimmed).c_str());
    if (there != INVALID_FILE_ATTRIBUTES && IsDirectory(there) && !IsLink(there))
        throw windows::ErrorFromWin32(ERROR_ACCESS_DENIED, "Cannot copy onto", destination);
    copyFileInto(source.Path, path::GetParentFolderName(trimmed), name, destination);
}

void LocalFileSystem::Copy(const FolderRef& source, const std::string& destination) {
    CopyLevel top;
    top.source = source.Path;
    BY_HANDLE_FILE_INFORMATION sourceInfo{};
    DWORD error = 0;
    if (!FollowedInfo(source.Path, sourceInfo, error) || !IsDirectory(sourceInfo.dwFileAttributes))
        throw windows::ErrorFromWin32(error ? error : ERROR_PATH_NOT_FOUND, "Cannot read folder", source.Path);
    top.written = sourceInfo.ftLastWriteTime;

    const std::string trimmed = path::TrimTrailingSeparators(destination);
    top.copy = trimmed;
    if (isRoot(trimmed)) {
        // A root can only be filled, never created or replaced.
        if (!windows::OpenHeld(trimmed, top.held, error))
            throw windows::ErrorFromWin32(error, "Cannot open folder", destination);
    } else {
        if (!isUsableName(std::string(path::LastComponent(trimmed))))
            throw windows::ErrorFromWin32(ERROR_INVALID_NAME, "Cannot copy a folder to", destination);
        if (!IsFolder(path::GetParentFolderName(trimmed)))
            throw windows::ErrorFromWin32(ERROR_PATH_NOT_FOUND, "Cannot copy a folder to", destination);
        top.held = openOrCreateFolder(trimmed, destination);
    }
    const BY_HANDLE_FILE_INFORMATION copyInfo = top.held.info;

    std::vector<CopyLevel> levels;
    levels.push_back(std::move(top));
    listSource(levels.back());
    while (!levels.empty()) {
        CopyLevel& here = levels.back();
        if (here.next == here.entries.size()) {
            // A folder's own time comes last: writing its content changes it.
            ::SetFileTime(here.held.handle.get(), nullptr, nullptr, &here.written);
            levels.pop_back();
            continue;
        }
        const WIN32_FIND_DATAW& entry = here.entries[here.next++];
        const std::string name = windows::Narrow(entry.cFileName);
        const std::string from = path::Join(here.source, name);
        const std::string to = path::Join(here.copy, name);
        if (!IsDirectory(entry.dwFileAttributes)) {
            if (::GetFileAttributesW(Win32Path(from).c_str()) == INVALID_FILE_ATTRIBUTES) continue;  // gone meanwhile
            copyFileInto(from, here.copy, name, to);
            continue;
        }
        BY_HANDLE_FILE_INFORMATION subInfo{};
        if (!FollowedInfo(from, subInfo, error)) {
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) continue;
            throw windows::ErrorFromWin32(error, "Cannot read folder", from);
        }
        // The copy placed inside its own source is not copied into itself again.
        if (sameEntry(subInfo, copyInfo)) continue;
        CopyLevel sub;
        sub.source = from;
        sub.copy = to;
        sub.written = entry.ftLastWriteTime;
        sub.held = openOrCreateFolder(to, to);
        listSource(sub);
        levels.push_back(std::move(sub));
    }
}

// No helper process on Windows yet: the service itself.
std::unique_ptr<FileSystem> MakeLocalFileSystemInHelper() { return MakeLocalFileSystem(); }

}  // namespace orvalen::platform
