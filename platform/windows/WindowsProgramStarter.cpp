// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include <string>

#include "platform/ProgramStarter.h"
#include "platform/windows/WideText.h"

namespace orvalen::platform {

namespace {

// The program starts in a normal window that takes the focus; both handles
// are closed at once, so nothing waits for it or keeps it.
class WindowsProgramStarter : public ProgramStarter {
public:
    bool StartProgram(const std::string& path) override {
        if (path.empty() || path.find('\0') != std::string::npos) return false;
        const std::wstring program = windows::Wide(path);
        // The command line names the program again, quoted for the blanks in
        // "Program Files"; CreateProcessW may write into it.
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &started))
            return false;
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
        return true;
    }
};

}  // namespace

std::unique_ptr<ProgramStarter> MakeSystemProgramStarter() { return std::make_unique<WindowsProgramStarter>(); }

}  // namespace orvalen::platform
