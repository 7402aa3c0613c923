// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AppDriver.h"

#include <stdexcept>

#include "platform/windows/WideText.h"

namespace testsupport {

using orvalen::platform::windows::Narrow;
using orvalen::platform::windows::Wide;

namespace {

struct Search {
    DWORD process;
    const wchar_t* className;
    HWND found;
};

HWND FindTopLevel(DWORD process, const wchar_t* className) {
    Search search{process, className, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            wchar_t name[64] = {};
            GetClassNameW(hwnd, name, 64);
            if (owner != s->process || !IsWindowVisible(hwnd) || lstrcmpW(name, s->className) != 0) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

AppDriver::AppDriver(const std::string& exe) {
    // A build path of the host: Wine shows the host's root as Z:.
    std::wstring path = Wide(exe);
    if (!path.empty() && path[0] == L'/') {
        for (wchar_t& c : path)
            if (c == L'/') c = L'\\';
        path = L"Z:" + path;
    }
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // The browse dialog starts in the folder the program starts in.
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\", &startup,
                        &m_process))
        throw std::runtime_error("cannot start " + exe);
}

AppDriver::~AppDriver() {
    if (waitExit(0) == STILL_ACTIVE) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

HWND AppDriver::waitWindow(const wchar_t* className, int timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevel(m_process.dwProcessId, className)) != nullptr; }, timeoutMs);
    return found;
}

bool AppDriver::waitHidden(HWND window, int timeoutMs) const {
    return WaitUntil([&] { return !IsWindowVisible(window); }, timeoutMs);
}

std::string AppDriver::text(HWND window, int id) {
    HWND control = id ? GetDlgItem(window, id) : window;
    wchar_t buffer[1024] = {};
    SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return Narrow(buffer);
}

bool AppDriver::enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

std::vector<std::string> AppDriver::rows(HWND list) {
    wchar_t name[32] = {};
    GetClassNameW(list, name, 32);
    const bool combo = lstrcmpiW(name, L"ComboBox") == 0;
    std::vector<std::string> rows;
    const auto count = SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t row[1024] = {};
        SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(row));
        rows.push_back(Narrow(row));
    }
    return rows;
}

void AppDriver::click(HWND window, int id) { SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

void AppDriver::clickPosted(HWND window, int id) { PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

bool AppDriver::choose(HWND window, int id, const std::string& startOfText, int notification) {
    HWND list = GetDlgItem(window, id);
    const std::vector<std::string> texts = rows(list);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].rfind(startOfText, 0) != 0) continue;
        wchar_t name[32] = {};
        GetClassNameW(list, name, 32);
        SendMessageW(list, lstrcmpiW(name, L"ComboBox") == 0 ? CB_SETCURSEL : LB_SETCURSEL, i, 0);
        if (notification >= 0)
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(list));
        return true;
    }
    return false;
}

AppDriver::Box AppDriver::waitMessageBox(int timeoutMs) const {
    Box box;
    box.hwnd = waitWindow(L"#32770", timeoutMs);
    if (box.hwnd) box.text = text(box.hwnd, 0xFFFF);
    return box;
}

void AppDriver::answer(const Box& box, int button) {
    PostMessageW(box.hwnd, WM_COMMAND, button, 0);
    // Gone, not merely hidden, or the next step stalls.
    WaitUntil([&] { return !IsWindow(box.hwnd); });
}

DWORD AppDriver::waitExit(int timeoutMs) const {
    WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(timeoutMs));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

}  // namespace testsupport
