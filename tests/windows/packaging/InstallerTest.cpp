// SPDX-License-Identifier: GPL-3.0-or-later
// The installer as an administrator runs it: silent install, the installed
// program started from its Start-menu shortcut and closed, silent uninstall
// through the command Add/Remove Programs holds. The outcome is judged by
// the files, the shortcut and the key, never by exit codes: a setup.exe
// that installs nothing can still exit 0.
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvalen";
constexpr auto kPatience = std::chrono::seconds(20);

fs::path knownFolder(REFKNOWNFOLDERID id) {
    PWSTR text = nullptr;
    if (FAILED(::SHGetKnownFolderPath(id, 0, nullptr, &text))) return {};
    fs::path folder(text);
    ::CoTaskMemFree(text);
    return folder;
}

fs::path installFolder() { return knownFolder(FOLDERID_ProgramFiles) / L"Orvalen"; }
fs::path shortcutPath() { return knownFolder(FOLDERID_CommonPrograms) / L"Orvalen.lnk"; }

bool present(const fs::path& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

bool uninstallKeyExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

std::wstring uninstallValue(const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr,
                       text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

struct Started {
    HANDLE process = nullptr;
    DWORD id = 0;
};

Started start(std::wstring commandLine, const fs::path& folder = {}) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return {};
    ::CloseHandle(info.hThread);
    return {info.hProcess, info.dwProcessId};
}

// Waits for the process and closes its handle; ends it if it outstays.
bool endsInTime(Started started) {
    const bool ended = ::WaitForSingleObject(started.process, 20000) == WAIT_OBJECT_0;
    if (!ended) ::TerminateProcess(started.process, 1);
    ::CloseHandle(started.process);
    return ended;
}

// An NSIS uninstaller copies itself to the temporary folder, starts the copy
// and returns at once; the copy does the work.
void waitForChildrenOf(DWORD parent) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        if (HANDLE child = ::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            ::WaitForSingleObject(child, 20000);
            ::CloseHandle(child);
        }
    }
    ::CloseHandle(snapshot);
}

struct ShortcutTarget {
    fs::path program;
    fs::path folder;
};

ShortcutTarget readShortcut(const fs::path& link) {
    ShortcutTarget target;
    IShellLinkW* shell = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&shell))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(link.c_str(), STGM_READ))) {
            wchar_t text[MAX_PATH] = {};
            if (SUCCEEDED(shell->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) target.program = text;
            text[0] = 0;
            if (SUCCEEDED(shell->GetWorkingDirectory(text, MAX_PATH))) target.folder = text;
        }
        file->Release();
    }
    shell->Release();
    return target;
}

std::vector<std::pair<HWND, std::wstring>> visibleWindowsOf(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<std::pair<HWND, std::wstring>> found;
    } search{processId, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == search.processId && ::IsWindowVisible(window)) {
                wchar_t title[256] = {};
                ::GetWindowTextW(window, title, 256);
                search.found.emplace_back(window, title);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Condition>
bool within(std::chrono::milliseconds limit, Condition condition) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// What an earlier run that failed half-way left behind, so that every check
// below sees only what this run's installer did.
void removeLeftovers() {
    std::error_code ignored;
    fs::remove_all(installFolder(), ignored);
    fs::remove(shortcutPath(), ignored);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { ::CoUninitialize(); }
};

TEST_F(InstallerTest, silentInstall_runsProgram_silentUninstallLeavesNothing) {
    const char* setup = std::getenv("ORVALEN_SETUP");
    ASSERT_NE(setup, nullptr) << "ORVALEN_SETUP names the installer";
    ASSERT_TRUE(present(setup)) << setup;
    removeLeftovers();
    const fs::path folder = installFolder();
    const fs::path program = folder / L"orvalen.exe";
    ASSERT_FALSE(folder.empty());

    // Install.
    Started installer = start(L"\"" + fs::path(setup).wstring() + L"\" /S");
    ASSERT_NE(installer.process, nullptr) << "could not start " << setup;
    ASSERT_TRUE(endsInTime(installer)) << "the installer did not end";
    EXPECT_TRUE(present(program));
    EXPECT_TRUE(present(folder / L"uninstall.exe"));
    EXPECT_TRUE(present(folder / L"LICENSE.txt"));
    const ShortcutTarget shortcut = readShortcut(shortcutPath());
    std::error_code error;
    EXPECT_TRUE(fs::equivalent(shortcut.program, program, error)) << shortcut.program;
    EXPECT_EQ(uninstallValue(L"DisplayName"), L"Orvalen");
    EXPECT_EQ(uninstallValue(L"InstallLocation"), folder.wstring());
    ASSERT_FALSE(HasFailure());

    // Start it as the shortcut does; end it as a user would: the
    // Instructions first if they are up, then the main window.
    Started run = start(L"\"" + shortcut.program.wstring() + L"\"", shortcut.folder);
    ASSERT_NE(run.process, nullptr) << "could not start " << shortcut.program;
    std::vector<std::wstring> closed;
    const bool ended = within(kPatience, [&] {
        if (::WaitForSingleObject(run.process, 0) == WAIT_OBJECT_0) return true;
        const auto windows = visibleWindowsOf(run.id);
        for (const wchar_t* title : {L"Instructions", L"Orvalen"}) {
            for (const auto& [window, text] : windows) {
                if (text != title) continue;
                ::PostMessageW(window, WM_CLOSE, 0, 0);
                within(kPatience, [w = window] { return !::IsWindow(w); });
                closed.push_back(text);
                return false;
            }
        }
        return false;
    });
    EXPECT_FALSE(closed.empty()) << "no window titled Orvalen or Instructions";
    EXPECT_TRUE(ended) << "the program did not end";
    DWORD exitCode = 1;
    ::GetExitCodeProcess(run.process, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    ::TerminateProcess(run.process, 1);  // nothing if it ended
    ::CloseHandle(run.process);

    // Uninstall with the key's own command, as Add/Remove Programs does.
    const std::wstring quiet = uninstallValue(L"QuietUninstallString");
    ASSERT_FALSE(quiet.empty());
    Started uninstall = start(quiet);
    ASSERT_NE(uninstall.process, nullptr) << "could not start " << quiet;
    const DWORD uninstallId = uninstall.id;
    ASSERT_TRUE(endsInTime(uninstall)) << "the uninstaller did not end";
    waitForChildrenOf(uninstallId);
    EXPECT_TRUE(within(kPatience, [&] { return !present(folder); })) << "left behind: " << folder;
    EXPECT_FALSE(present(shortcutPath()));
    EXPECT_FALSE(uninstallKeyExists());
}

}  // namespace
