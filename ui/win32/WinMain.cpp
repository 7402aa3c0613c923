// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows program: the Win32 windows over the same engine as on Linux.
#include "ui/win32/frmMain.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/mdlMain.h"
#include "platform/LocalFileSystem.h"
#include "ui/win32/Win32Window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    orvalen::mdlMain shared;
    shared.MakeFileSystem = orvalen::platform::MakeLocalFileSystemInHelper;

    auto window = std::make_unique<orvalen::ui::win32::frmMain>(shared);
    if (!window->hwnd()) return EXIT_FAILURE;
    window->Form_Load();
    const int code = orvalen::ui::win32::RunMessageLoop();
    if (window->passRunner().passRunning()) {
        // Destroying the window would wait for a pass blocked in a hung
        // network call; what it was writing is under a temporary name.
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
