// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/win32/Win32Window.h"

namespace orvalen::ui::win32 {

// The About box: modeless, without an owner, at most one at a time; OK,
// Enter, Esc and the close box discard it.
class frmAbout : public Win32Window {
public:
    // Opens the box, or brings the open one to the front.
    static void ShowSingle();

    void Form_Load();
    void StartSysInfo();

private:
    frmAbout();
    LRESULT proc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void command(int id, int code, HWND control) override;
    int defaultButton() const override;
    int cancelButton() const override;
    static void Discard();

    HICON m_picture = nullptr;
};

}  // namespace orvalen::ui::win32
