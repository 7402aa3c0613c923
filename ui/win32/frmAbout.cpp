// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/win32/frmAbout.h"

#include <memory>

#include "Version.h"
#include "core/AppTitle.h"
#include "platform/FileProbe.h"
#include "platform/KeyValueStore.h"
#include "platform/ProgramStarter.h"
#include "platform/SysInfoLauncher.h"
#include "platform/windows/WideText.h"
#include "ui/logic/WindowTexts.h"
#include "ui/win32/ControlIds.h"

namespace orvalen::ui::win32 {

using platform::windows::Wide;

namespace {
std::unique_ptr<frmAbout> s_open;
}

void frmAbout::ShowSingle() {
    if (!s_open) s_open.reset(new frmAbout());  // loads itself
    ShowWindow(s_open->hwnd(), SW_SHOW);
    SetForegroundWindow(s_open->hwnd());
}

void frmAbout::Discard() {
    // Deleted last thing in the handler that closes it: nothing of it runs after.
    s_open.reset();
}

frmAbout::frmAbout() : Win32Window(AboutLayout()) {
    create(ORVALEN_CLASS_ABOUT, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME);
    const WindowLayout& layout = AboutLayout();
    // The tab chain: OK, then System Info...
    addControl("cmdOK", L"BUTTON", layout.at("cmdOK").caption, WS_TABSTOP | BS_DEFPUSHBUTTON, IDC_About_cmdOK);
    addControl("cmdSysInfo", L"BUTTON", layout.at("cmdSysInfo").caption, WS_TABSTOP | BS_PUSHBUTTON,
               IDC_cmdSysInfo);
    HWND picture = addControl("picIcon", L"STATIC", "", SS_ICON | SS_CENTERIMAGE, IDC_picIcon);
    m_picture = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ORVALEN), IMAGE_ICON, 80, 80, 0));
    SendMessageW(picture, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_picture));
    addControl("lblTitle", L"STATIC", "", SS_LEFT | SS_NOPREFIX, IDC_lblTitle, 0, ControlFont{0, 1.25, true});
    addControl("lblVersion", L"STATIC", "", SS_LEFT | SS_NOPREFIX, IDC_lblVersion);
    addControl("lblByMe", L"STATIC", kMakerName, SS_LEFT | SS_NOPREFIX, IDC_About_lblByMe);
    addControl("lblDate", L"STATIC", kDateLine, SS_LEFT | SS_NOPREFIX, IDC_lblDate);
    addControl("Line1", L"STATIC", "", SS_ETCHEDHORZ, IDC_Line1);
    addControl("lblDisclaimer", L"STATIC", kDisclaimer, SS_LEFT | SS_NOPREFIX, IDC_lblDisclaimer);
    Form_Load();
    // The labels sized to their text are placed once Load gave them their text.
    layOut();
}

void frmAbout::Form_Load() {
    const std::string title = kTitle;
    SetWindowTextW(hwnd(), Wide("About " + title).c_str());
    setText("lblVersion", "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
                              std::to_string(kVersionRevision));
    setText("lblTitle", title);
}

void frmAbout::StartSysInfo() {
    // Looked up afresh at each click: the registry may have changed meanwhile.
    const auto store = platform::MakeSystemKeyValueStore();
    const auto probe = platform::MakeSystemFileProbe();
    const auto starter = platform::MakeSystemProgramStarter();
    if (platform::FindAndStartSysInfo(*store, *probe, *starter) == platform::SysInfoOutcome::Started) return;
    ShowMessage(hwnd(), MessageBox::Notice(kMsgSysInfoUnavailable));
}

LRESULT frmAbout::proc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        Discard();
        return 0;
    }
    if (message == WM_NCDESTROY && m_picture) {
        DestroyIcon(m_picture);
        m_picture = nullptr;
    }
    return Win32Window::proc(message, wParam, lParam);
}

void frmAbout::command(int id, int, HWND) {
    if (id == IDC_About_cmdOK) Discard();
    else if (id == IDC_cmdSysInfo) StartSysInfo();
}

int frmAbout::defaultButton() const { return IDC_About_cmdOK; }

int frmAbout::cancelButton() const { return IDC_About_cmdOK; }

}  // namespace orvalen::ui::win32
