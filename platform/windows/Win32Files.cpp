// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/Win32Files.h"

#include "core/PathText.h"
#include "platform/windows/WideText.h"

namespace orvalen::platform::windows {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Room left under MAX_PATH for a name appended by the system (a search pattern).
constexpr std::size_t kShortPathLimit = MAX_PATH - 12;

bool IsDrivePath(const std::string& path) {
    return path.size() >= 3 && path[1] == ':' && path[2] == path::kSeparator;
}

}  // namespace

std::wstring Win32Path(const std::string& path) {
    std::wstring wide = Wide(path);
    if (wide.size() >= kShortPathLimit && IsDrivePath(path)) {
        const std::wstring prefix{static_cast<wchar_t>(path::kSeparator), static_cast<wchar_t>(path::kSeparator),
                                  L'?', static_cast<wchar_t>(path::kSeparator)};
        wide.insert(0, prefix);
    }
    return wide;
}

bool FollowedInfo(const std::string& path, BY_HANDLE_FILE_INFORMATION& info, DWORD& error) {
    if (path.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    // Asking for attributes only never collides with the share mode of
    // someone who holds the file open.
    UniqueHandle handle(::CreateFileW(Win32Path(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.valid() || !::GetFileInformationByHandle(handle.get(), &info)) {
        error = ::GetLastError();
        return false;
    }
    return true;
}

bool IsFolder(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(Win32Path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    BY_HANDLE_FILE_INFORMATION info{};
    DWORD error = 0;
    return FollowedInfo(path, info, error) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD ForEachEntry(const std::string& folder, const std::function<void(const WIN32_FIND_DATAW&)>& visit) {
    WIN32_FIND_DATAW data{};
    UniqueFind find(::FindFirstFileExW(Win32Path(path::Join(folder, "*")).c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        visit(data);
    } while (::FindNextFileW(find.get(), &data));
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : error;
}

void RemoveEntryQuietly(const std::string& path) {
    const std::wstring wide = Win32Path(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // Removing a link removes the link only.
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) ::RemoveDirectoryW(wide.c_str());
        else ::DeleteFileW(wide.c_str());
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return;
    // A read-only file refuses deletion until the attribute is gone.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    ::DeleteFileW(wide.c_str());
}

bool OpenHeld(const std::string& path, HeldFolder& held, DWORD& error) {
    const std::wstring wide = Win32Path(path);
    // No FILE_SHARE_DELETE: that is what keeps the folder in its place.
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
    constexpr DWORD kFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    held.handle.reset(::CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                    kShare, nullptr, OPEN_EXISTING, kFlags, nullptr));
    // The folder's times are a nicety; a share that refuses them still takes files.
    if (!held.handle.valid() && ::GetLastError() == ERROR_ACCESS_DENIED)
        held.handle.reset(::CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShare, nullptr,
                                        OPEN_EXISTING, kFlags, nullptr));
    if (!held.handle.valid() || !::GetFileInformationByHandle(held.handle.get(), &held.info)) {
        error = ::GetLastError();
        held.handle.reset();
        return false;
    }
    return true;
}

}  // namespace orvalen::platform::windows
