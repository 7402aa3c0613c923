// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/Win32ErrorMap.h"

#include <windows.h>

#include "platform/windows/WideText.h"

namespace orvalen::platform::windows {

namespace {

std::string SystemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = length ? std::wstring(text, length) : L"error " + std::to_wstring(code);
    if (text) ::LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.'))
        words.pop_back();
    return Narrow(words);
}

}  // namespace

int RuntimeNumberForWin32Error(unsigned long code, int notFound) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return notFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
        return err::kPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_PRIVILEGE_NOT_HELD:
        return err::kPermissionDenied;
    // No medium in the drive, and the ways a mapped network drive answers
    // once its server or the connection is gone.
    case ERROR_NOT_READY:
    case ERROR_NO_MEDIA_IN_DRIVE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NET_NAME:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_HOST_UNREACHABLE:
    case ERROR_CONNECTION_UNAVAIL:
    case ERROR_NOT_CONNECTED:
    case ERROR_SEM_TIMEOUT:
    case ERROR_GEN_FAILURE:
        return err::kDeviceUnavailable;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return err::kFileAlreadyExists;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case 1295:  // ERROR_DISK_QUOTA_EXCEEDED, missing from mingw's headers
        return err::kDiskFull;
    default:
        return err::kPathFileAccess;
    }
}

RuntimeError ErrorFromWin32(unsigned long code, const std::string& what, const std::string& path,
                            int notFound) {
    return RuntimeError(RuntimeNumberForWin32Error(code, notFound),
                        what + " " + path + ": " + SystemText(code));
}

RuntimeError LastWin32Error(const std::string& what, const std::string& path, int notFound) {
    return ErrorFromWin32(::GetLastError(), what, path, notFound);
}

}  // namespace orvalen::platform::windows
