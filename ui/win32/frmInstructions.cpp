// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/win32/frmInstructions.h"

#include "platform/windows/WideText.h"
#include "ui/logic/WindowTexts.h"
#include "ui/win32/ControlIds.h"

namespace orvalen::ui::win32 {

using platform::windows::Wide;

namespace {
// The heading's blue and the maker's light blue, as designed.
constexpr COLORREF kHeadingColour = RGB(0, 0, 255);
constexpr COLORREF kMakerColour = RGB(0, 128, 255);
frmInstructions* s_open = nullptr;
}  // namespace

void frmInstructions::ShowModal(HWND mainWindow) {
    if (s_open) {
        SetForegroundWindow(s_open->hwnd());
        return;
    }
    frmInstructions window(mainWindow);
    s_open = &window;
    window.Form_Load();
    {
        const ModalScope modal(window.hwnd());
        ShowWindow(window.hwnd(), SW_SHOW);
        SetForegroundWindow(window.hwnd());
        RunModalLoop(window.m_closed);
    }
    s_open = nullptr;
}

frmInstructions::frmInstructions(HWND mainWindow) : Win32Window(InstructionsLayout()), m_mainWindow(mainWindow) {
    const WindowLayout& layout = InstructionsLayout();
    create(ORVALEN_CLASS_INSTRUCTIONS, Wide(layout.title), WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME);
    addControl("cmdClose", L"BUTTON", layout.at("cmdClose").caption, WS_TABSTOP | BS_DEFPUSHBUTTON, IDC_cmdClose);
    addControl("lblInstructionsLabel", L"STATIC", layout.at("lblInstructionsLabel").caption, SS_LEFT | SS_NOPREFIX,
               IDC_lblInstructionsLabel, 0, ControlFont{12, 1, true});
    addControl("lblInstructions", L"STATIC", kInstructionsA, SS_LEFT | SS_NOPREFIX, IDC_lblInstructions);
    addControl("Label1", L"STATIC", kInstructionsB, SS_LEFT | SS_NOPREFIX, IDC_Instructions_Label1);
    addControl("lblByMe", L"STATIC", kMakerName, SS_CENTER | SS_NOPREFIX, IDC_Instructions_lblByMe, 0,
               ControlFont{17.25, 1, false});
    addControl("frmByMe", L"BUTTON", layout.at("frmByMe").caption, BS_GROUPBOX, IDC_frmByMe);
    layOut();
}

void frmInstructions::Form_Load() {
    // At start-up this puts the main window on the screen before this one.
    if (m_mainWindow) ShowWindow(m_mainWindow, SW_SHOW);
}

LRESULT frmInstructions::proc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        m_closed = true;
        return 0;
    case WM_CTLCOLORSTATIC: {
        const LRESULT brush = Win32Window::proc(message, wParam, lParam);
        const HWND label = reinterpret_cast<HWND>(lParam);
        if (label == control("lblInstructionsLabel")) SetTextColor(reinterpret_cast<HDC>(wParam), kHeadingColour);
        if (label == control("lblByMe")) SetTextColor(reinterpret_cast<HDC>(wParam), kMakerColour);
        return brush;
    }
    default:
        return Win32Window::proc(message, wParam, lParam);
    }
}

void frmInstructions::command(int id, int, HWND) {
    if (id == IDC_cmdClose) m_closed = true;
}

int frmInstructions::defaultButton() const { return IDC_cmdClose; }

int frmInstructions::cancelButton() const { return IDC_cmdClose; }

}  // namespace orvalen::ui::win32
