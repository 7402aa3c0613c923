// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/win32/Win32Window.h"

namespace orvalen::ui::win32 {

// The Instructions window: modal, without an owner; Close, Enter, Esc and
// the close box discard it.
class frmInstructions : public Win32Window {
public:
    // Creates and loads the window, which shows `mainWindow`, then shows it
    // modally and returns once it is closed.
    static void ShowModal(HWND mainWindow);

private:
    explicit frmInstructions(HWND mainWindow);
    void Form_Load();
    LRESULT proc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void command(int id, int code, HWND control) override;
    int defaultButton() const override;
    int cancelButton() const override;

    HWND m_mainWindow;
    bool m_closed = false;
};

}  // namespace orvalen::ui::win32
