// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include "platform/FileProbe.h"
#include "platform/windows/Win32Files.h"

namespace orvalen::platform {

namespace {

class WindowsFileProbe : public FileProbe {
public:
    bool IsOrdinaryFile(const std::string& path) override {
        if (path.empty() || path.find('\0') != std::string::npos) return false;
        // Hidden and system are the entry's own attributes.
        const DWORD own = ::GetFileAttributesW(windows::Win32Path(path).c_str());
        if (own == INVALID_FILE_ATTRIBUTES || (own & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) return false;
        // A link to a program is as good as the program.
        BY_HANDLE_FILE_INFORMATION info{};
        DWORD error = 0;
        return windows::FollowedInfo(path, info, error) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
};

}  // namespace

std::unique_ptr<FileProbe> MakeSystemFileProbe() { return std::make_unique<WindowsFileProbe>(); }

}  // namespace orvalen::platform
