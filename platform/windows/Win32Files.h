// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/windows/UniqueHandle.h"

// The steps that the Windows file-system service, the folder listing and the
// drive list are made of. Paths are UTF-8 texts as the program holds them.
namespace orvalen::platform::windows {

// The path as the wide-character calls take it; a long one gets the "\\?\"
// prefix that lifts the 260-character limit.
std::wstring Win32Path(const std::string& path);

// What the path leads to, links followed. False with `error` set when it
// cannot be reached.
bool FollowedInfo(const std::string& path, BY_HANDLE_FILE_INFORMATION& info, DWORD& error);

// A folder there, reached through links.
bool IsFolder(const std::string& path);

// Calls `visit` for every entry of `folder` but "." and "..". Returns 0, or
// the error that stopped the listing. An empty drive root answers "no file",
// which is an empty folder here.
DWORD ForEachEntry(const std::string& folder, const std::function<void(const WIN32_FIND_DATAW&)>& visit);

// Removes a file, or a link standing where a file or folder belongs, without
// touching what a link points to. Quiet: the caller decides what is left.
void RemoveEntryQuietly(const std::string& path);

// While it is held, the folder cannot be renamed or removed, so its path
// goes on naming this folder and nobody can put a link in its place.
struct HeldFolder {
    UniqueHandle handle;
    BY_HANDLE_FILE_INFORMATION info{};
};

// Opens the entry at `path` itself (a link there is not followed) to hold it.
// False with `error` set when it cannot be opened.
bool OpenHeld(const std::string& path, HeldFolder& held, DWORD& error);

// Keeps fatal "insert a disk" boxes of the system away while it lives: a
// drive without a medium must answer with an error, not a dialog.
class QuietDriveErrors {
public:
    QuietDriveErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_previous); }
    ~QuietDriveErrors() { ::SetThreadErrorMode(m_previous, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD m_previous = 0;
};

}  // namespace orvalen::platform::windows
