// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/SystemVolumeSource.h"

#include <windows.h>
#include <winnetwk.h>

#include "core/PathText.h"
#include "core/RuntimeError.h"
#include "platform/windows/Win32ErrorMap.h"
#include "platform/windows/Win32Files.h"
#include "platform/windows/WideText.h"

namespace orvalen::platform {

std::unique_ptr<VolumeSource> MakeSystemVolumeSource() {
    return std::make_unique<windows::SystemVolumeSource>();
}

namespace windows {

namespace {

constexpr int kDriveLetters = 26;

std::string VolumeName(const std::string& root) {
    const std::wstring wideRoot = Wide(root);
    if (::GetDriveTypeW(wideRoot.c_str()) == DRIVE_REMOTE) {
        // "\\server\share", as the drive list has always shown a network drive.
        const std::wstring device = wideRoot.substr(0, 2);
        wchar_t remote[MAX_PATH + 1] = {};
        DWORD length = MAX_PATH + 1;
        if (::WNetGetConnectionW(device.c_str(), remote, &length) == NO_ERROR) return Narrow(remote);
    }
    wchar_t label[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(wideRoot.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
        return {};
    return Narrow(label);
}

}  // namespace

std::vector<Volume> SystemVolumeSource::volumes() {
    QuietDriveErrors quiet;
    const DWORD letters = ::GetLogicalDrives();
    std::vector<Volume> list;
    for (int i = 0; i < kDriveLetters; ++i) {
        if (!(letters & (DWORD{1} << i))) continue;
        const std::string root = std::string{static_cast<char>('A' + i), ':'} + std::string(path::kSeparatorText);
        list.push_back(Volume{root, VolumeName(root)});
    }
    return list;
}

void SystemVolumeSource::openVolume(const std::string& mountPoint) {
    QuietDriveErrors quiet;
    const DWORD error = ForEachEntry(mountPoint, [](const WIN32_FIND_DATAW&) {});
    if (error == 0) return;
    const int number = RuntimeNumberForWin32Error(error);
    if (number == err::kPathNotFound)
        throw RuntimeError(err::kDeviceUnavailable, "The drive " + mountPoint + " is not ready");
    throw ErrorFromWin32(error, "Cannot open volume", mountPoint);
}

FolderListing SystemVolumeSource::listFolder(const std::string& path) {
    QuietDriveErrors quiet;
    return ListFolder(path);
}

}  // namespace windows
}  // namespace orvalen::platform
