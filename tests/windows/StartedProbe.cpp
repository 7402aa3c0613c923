// SPDX-License-Identifier: GPL-3.0-or-later
// Started by the System Information tests in the tool's place: writes a file
// named after itself plus ".started", so a test can see which one ran.
#include <windows.h>

int wmain() {
    wchar_t self[MAX_PATH + 16] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    lstrcatW(self, L".started");
    HANDLE mark = ::CreateFileW(self, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (mark == INVALID_HANDLE_VALUE) return 1;
    ::CloseHandle(mark);
    return 0;
}
