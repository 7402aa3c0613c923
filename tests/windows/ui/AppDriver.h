// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Starts orvalen.exe and drives its windows from outside, as a user would:
// finding them by class among the process's windows, reading texts and
// states, clicking buttons and answering message boxes. Texts are UTF-8.
class AppDriver {
public:
    explicit AppDriver(const std::string& exe);
    // Ends the program if a test left it running.
    ~AppDriver();
    AppDriver(const AppDriver&) = delete;
    AppDriver& operator=(const AppDriver&) = delete;

    // The visible top-level window of the program with that class; null
    // after the timeout.
    HWND waitWindow(const wchar_t* className, int timeoutMs = 10000) const;
    bool waitHidden(HWND window, int timeoutMs = 10000) const;

    static std::string text(HWND window, int id = 0);
    static bool enabled(HWND window, int id);
    static std::vector<std::string> rows(HWND list);
    // BM_CLICK sent: returns when the handler has; posted: for a handler
    // that opens a modal window.
    static void click(HWND window, int id);
    static void clickPosted(HWND window, int id);
    // Highlights a row of a list or drop-down list by its text and reports
    // the change to the window as the control would; false when no row says it.
    static bool choose(HWND window, int id, const std::string& startOfText, int notification);

    // The message box that is open now (waiting for one), with its text.
    struct Box {
        HWND hwnd = nullptr;
        std::string text;
    };
    Box waitMessageBox(int timeoutMs = 10000) const;
    // Presses a button of the box and waits until it is gone.
    static void answer(const Box& box, int button);

    // The program's exit code once it ends; STILL_ACTIVE after the timeout.
    DWORD waitExit(int timeoutMs = 10000) const;

private:
    PROCESS_INFORMATION m_process{};
};

// Waits up to `timeoutMs` for `condition`, polling.
template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs = 10000) {
    for (int waited = 0; !condition(); waited += 10) {
        if (waited >= timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

}  // namespace testsupport
