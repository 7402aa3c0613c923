// SPDX-License-Identifier: GPL-3.0-or-later
// orvalen.exe under Wine, driven from outside through its windows: start-up,
// the entry editor with the browse dialog, guard passes, the About box; every
// case ends with File > Exit and checks the exit code.
#include "Version.h"
#include "core/RunControl.h"
#include "ui/logic/MessageBoxes.h"
#include "ui/logic/WindowTexts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/windows/WideText.h"
#include "support/DriveTree.h"
#include "ui/AppDriver.h"
#include "ui/win32/ControlIds.h"

namespace {

using orvalen::platform::windows::Wide;
using testsupport::AppDriver;
using testsupport::DriveTree;
using testsupport::WaitUntil;
namespace ui = orvalen::ui;

class OrvalenWindows : public ::testing::Test {
protected:
    void SetUp() override { app = std::make_unique<AppDriver>(ORVALEN_EXE_PATH); }

    void TearDown() override {
        if (!main) main = app->waitWindow(ORVALEN_CLASS_MAIN);
        PostMessageW(main, WM_COMMAND, IDM_mnuFileExit, 0);
        EXPECT_EQ(app->waitExit(), 0u);
    }

    void closeInstructions() {
        HWND instructions = app->waitWindow(ORVALEN_CLASS_INSTRUCTIONS);
        ASSERT_TRUE(instructions);
        main = app->waitWindow(ORVALEN_CLASS_MAIN);
        AppDriver::click(instructions, IDC_cmdClose);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(instructions); }));
    }

    // Clicks a button whose handler shows a warning, checks it and closes it.
    void expectWarning(HWND window, int button, const std::string& text) {
        AppDriver::clickPosted(window, button);
        const AppDriver::Box box = app->waitMessageBox();
        ASSERT_TRUE(box.hwnd) << text;
        EXPECT_EQ(AppDriver::text(box.hwnd), "Orvalen");
        EXPECT_EQ(box.text, text);
        AppDriver::answer(box, IDOK);
    }

    // Opens the browse dialog, picks a drive, opens folders and highlights a
    // file; leaves the dialog open and returns it.
    HWND browse(int button, const std::string& drive, const std::vector<std::string>& folders,
                const std::string& file = {}) {
        AppDriver::clickPosted(main, button);
        HWND dialog = app->waitWindow(ORVALEN_CLASS_BROWSE);
        EXPECT_TRUE(AppDriver::choose(dialog, IDC_Drive1, drive, CBN_SELCHANGE)) << drive;
        for (const std::string& folder : folders)
            EXPECT_TRUE(AppDriver::choose(dialog, IDC_Dir1, folder, LBN_DBLCLK)) << folder;
        if (!file.empty()) {
            EXPECT_TRUE(AppDriver::choose(dialog, IDC_File1, file, -1)) << file;
        }
        return dialog;
    }

    void select(HWND dialog) {
        AppDriver::click(dialog, IDC_Browse_cmdSelect);
        EXPECT_TRUE(app->waitHidden(dialog));
    }

    void addReportItem() {
        AppDriver::click(main, IDC_cmdAddFile);
        select(browse(IDC_cmdBrowseSource, "C:", {"UiWork"}, "report.doc"));
        select(browse(IDC_cmdBrowseDestination, "D:", {"UiShare"}));
        AppDriver::click(main, IDC_cmdOK);
    }

    std::unique_ptr<AppDriver> app;
    HWND main = nullptr;
};

TEST_F(OrvalenWindows, startUp_instructionsInFrontOfDisabledMainWindow_thenListModeWithEmptyList) {
    HWND instructions = app->waitWindow(ORVALEN_CLASS_INSTRUCTIONS);
    ASSERT_TRUE(instructions);
    main = app->waitWindow(ORVALEN_CLASS_MAIN);
    ASSERT_TRUE(main);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(AppDriver::text(instructions, IDC_lblInstructions), ui::kInstructionsA);
    EXPECT_EQ(AppDriver::text(instructions, IDC_Instructions_Label1), ui::kInstructionsB);
    closeInstructions();
    EXPECT_TRUE(IsWindowEnabled(main));
    // The first of the tab chain that is enabled has the focus.
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    EXPECT_TRUE(WaitUntil([&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &thread) &&
               thread.hwndFocus == GetDlgItem(main, IDC_lstSource);
    }));

    EXPECT_EQ(AppDriver::text(main), "Orvalen");
    EXPECT_EQ(AppDriver::text(main, IDC_txtTimeInterval), "5");
    EXPECT_EQ(AppDriver::text(main, IDC_lblStatus), orvalen::kStatusReady);
    const std::pair<int, bool> states[] = {
        {IDC_cmdStart, false},        {IDC_cmdStop, false},     {IDC_cmdAddFile, true},
        {IDC_cmdAddFolder, true},     {IDC_cmdEditItem, false}, {IDC_cmdDeleteItem, false},
        {IDC_cmdBrowseSource, false}, {IDC_cmdBrowseDestination, false},
        {IDC_cmdOK, false},           {IDC_cmdCancel, false}};
    for (const auto& [id, enabled] : states) EXPECT_EQ(AppDriver::enabled(main, id), enabled) << id;

    // Each frame surrounds its controls, and the client area holds the frames.
    const std::pair<int, std::vector<int>> frames[] = {
        {IDC_fraMode1, {IDC_lblSourceListLabel, IDC_lstSource, IDC_lstDestination, IDC_cmdAddFile, IDC_cmdDeleteItem}},
        {IDC_fraMode2, {IDC_lblSourcePath, IDC_cmdBrowseDestination, IDC_lblDestinationPath, IDC_cmdCancel}},
        {IDC_fraRun, {IDC_txtTimeInterval, IDC_lblStatus, IDC_cmdStart, IDC_cmdStop}}};
    RECT client{};
    GetClientRect(main, &client);
    MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const auto inside = [](const RECT& inner, const RECT& outer) {
        return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
               inner.bottom <= outer.bottom && inner.right > inner.left && inner.bottom > inner.top;
    };
    for (const auto& [frame, controls] : frames) {
        RECT outer{};
        GetWindowRect(GetDlgItem(main, frame), &outer);
        EXPECT_TRUE(inside(outer, client)) << frame;
        for (const int id : controls) {
            RECT inner{};
            GetWindowRect(GetDlgItem(main, id), &inner);
            EXPECT_TRUE(inside(inner, outer)) << id;
        }
    }

    // F1 opens it modally again; Esc closes it.
    PostMessageW(main, WM_KEYDOWN, VK_F1, 0);
    instructions = app->waitWindow(ORVALEN_CLASS_INSTRUCTIONS);
    ASSERT_TRUE(instructions);
    EXPECT_FALSE(IsWindowEnabled(main));
    PostMessageW(instructions, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(instructions); }));
    EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(OrvalenWindows, entryEditor_warnsOfWhatIsMissing_andTakesPathsFromBrowseDialog) {
    DriveTree work{"C:\\UiWork"};
    DriveTree share{"D:\\UiShare"};
    for (const char* name : {"report.doc", "a10.txt", "a2.txt"}) work.writeFile(name, "x");
    closeInstructions();

    AppDriver::click(main, IDC_cmdAddFile);
    expectWarning(main, IDC_cmdOK, ui::kMsgNoSource);
    HWND dialog = browse(IDC_cmdBrowseSource, "C:", {"UiWork"}, "report.doc");
    EXPECT_EQ(AppDriver::rows(GetDlgItem(dialog, IDC_File1)),
              (std::vector<std::string>{"a2.txt", "a10.txt", "report.doc"}));
    EXPECT_TRUE(AppDriver::enabled(dialog, IDC_File1));
    select(dialog);
    EXPECT_EQ(AppDriver::text(main, IDC_lblSourcePath), "C:\\UiWork\\report.doc");

    expectWarning(main, IDC_cmdOK, ui::kMsgNoDestination);
    dialog = browse(IDC_cmdBrowseDestination, "D:", {"UiShare"});
    EXPECT_FALSE(AppDriver::enabled(dialog, IDC_File1));
    // A drive whose device is gone: Retry asks again, Cancel leaves the folder list where it was.
    HWND drives = GetDlgItem(dialog, IDC_Drive1);
    EXPECT_TRUE(AppDriver::choose(dialog, IDC_Drive1, "E:", -1));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_Drive1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
    for (const int answer : {IDRETRY, IDCANCEL}) {
        const AppDriver::Box box = app->waitMessageBox();
        EXPECT_EQ(box.text, ui::kMsgDriveNotReady);
        AppDriver::answer(box, answer);
    }
    EXPECT_EQ(AppDriver::rows(GetDlgItem(dialog, IDC_Dir1)), (std::vector<std::string>{"D:\\", "UiShare"}));
    select(dialog);
    EXPECT_EQ(AppDriver::text(main, IDC_lblDestinationPath), "D:\\UiShare\\");

    AppDriver::click(main, IDC_cmdOK);
    EXPECT_EQ(AppDriver::rows(GetDlgItem(main, IDC_lstSource)), std::vector<std::string>{"C:\\UiWork\\report.doc"});
    EXPECT_EQ(AppDriver::rows(GetDlgItem(main, IDC_lstDestination)), std::vector<std::string>{"D:\\UiShare\\"});
    EXPECT_EQ(AppDriver::text(main, IDC_lblSourcePath), "");
    EXPECT_TRUE(AppDriver::enabled(main, IDC_cmdStart));
    // A new row is not selected.
    expectWarning(main, IDC_cmdEditItem, ui::kMsgNoItemSelected);
}

TEST_F(OrvalenWindows, guardPass_restoresDeletedCopy_andAsksAboutCopyHeldOpen) {
    DriveTree work{"C:\\UiWork"};
    DriveTree share{"D:\\UiShare"};
    work.writeFile("report.doc", "first");
    const std::string copy = share.path("report.doc");
    closeInstructions();
    addReportItem();
    SetDlgItemTextW(main, IDC_txtTimeInterval, L"0.2");
    // Enter in the interval box presses Start.
    PostMessageW(GetDlgItem(main, IDC_txtTimeInterval), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return AppDriver::text(main, IDC_lblStatus) == orvalen::kStatusRunning; }));
    EXPECT_TRUE(WaitUntil([&] { return DriveTree::exists(copy); }));
    DeleteFileW(Wide(copy).c_str());
    EXPECT_TRUE(WaitUntil([&] { return DriveTree::exists(copy); }));

    // A grown source with its copy held open without sharing: Retry once
    // it is closed copies it, Cancel stops the run.
    const std::string held = "The destination file " + copy +
                             " is in use, or you do not have access to the destination path.";
    for (const int answer : {IDRETRY, IDCANCEL}) {
        const std::string content = answer == IDRETRY ? "second, longer" : "third, longer again";
        HANDLE open = CreateFileW(Wide(copy).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(open, INVALID_HANDLE_VALUE);
        work.writeFile("report.doc", content);
        const AppDriver::Box box = app->waitMessageBox();
        EXPECT_EQ(box.text, held);
        CloseHandle(open);
        AppDriver::answer(box, answer);
        if (answer == IDRETRY) {
            EXPECT_TRUE(WaitUntil([&] { return DriveTree::readFile(copy) == content; }));
        }
    }
    EXPECT_TRUE(WaitUntil([&] { return AppDriver::text(main, IDC_lblStatus) == orvalen::kStatusReady; }));
    EXPECT_TRUE(AppDriver::enabled(main, IDC_cmdStart));
    EXPECT_FALSE(AppDriver::enabled(main, IDC_cmdStop));
}

// The System Information tool's place in the registry, set for one case and
// put back as it was.
class SysInfoPath {
public:
    SysInfoPath() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
        DWORD size = sizeof m_old;
        m_hadOld = RegQueryValueExW(m_key, L"PATH", nullptr, nullptr, reinterpret_cast<BYTE*>(m_old), &size) == 0;
    }
    ~SysInfoPath() {
        if (m_hadOld) set(m_old);
        else RegDeleteValueW(m_key, L"PATH");
        RegCloseKey(m_key);
    }
    void set(const std::wstring& path) {
        RegSetValueExW(m_key, L"PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    }

private:
    HKEY m_key = nullptr;
    wchar_t m_old[1024] = {};
    bool m_hadOld = false;
};

TEST_F(OrvalenWindows, aboutBox_showsVersion_andStartsSysInfoFoundInRegistry_orSaysUnavailable) {
    DriveTree tools{"C:\\UiTools"};
    // A copy of its own of the probe the fixture put in the tool's place.
    const std::string tool = tools.path("sysinfo.exe");
    ASSERT_TRUE(CopyFileW(L"C:\\OrvalenTools\\first\\sysinfo.exe", Wide(tool).c_str(), FALSE));
    SysInfoPath registry;
    closeInstructions();

    PostMessageW(main, WM_COMMAND, IDM_mnuHelpAbout, 0);
    HWND about = app->waitWindow(ORVALEN_CLASS_ABOUT);
    ASSERT_TRUE(about);
    EXPECT_EQ(AppDriver::text(about), "About Orvalen");
    EXPECT_EQ(AppDriver::text(about, IDC_lblTitle), "Orvalen");
    EXPECT_EQ(AppDriver::text(about, IDC_lblVersion), std::string("Version ") + orvalen::kVersionText);
    // The menu again brings the same box forward.
    SendMessageW(main, WM_COMMAND, IDM_mnuHelpAbout, 0);
    EXPECT_EQ(app->waitWindow(ORVALEN_CLASS_ABOUT), about);

    registry.set(Wide(tool));
    AppDriver::click(about, IDC_cmdSysInfo);
    EXPECT_TRUE(WaitUntil([&] { return DriveTree::exists(tool + ".started"); }));

    registry.set(Wide(tools.path("absent.exe")));
    expectWarning(about, IDC_cmdSysInfo, ui::kMsgSysInfoUnavailable);

    AppDriver::click(about, IDC_About_cmdOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
}

}  // namespace
