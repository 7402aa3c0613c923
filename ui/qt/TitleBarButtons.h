// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <Qt>

class QWidget;

namespace orvalen::ui {

// The program's windows and message boxes have a fixed size and a close box,
// and neither a minimize nor a maximize button.
//
// Window flags alone become Motif hints without the minimize and maximize
// functions, which Fluxbox honours. Openbox ignores those two functions and
// drops the buttons only for a window of type toolbar (or menu); there the
// windows name that type first, ahead of their usual one. Only there: to
// the window-manager hints a toolbar is a torn-off tool palette, which other
// managers may treat as such.

// The flags of a fixed-size window of `kind` (Qt::Window or Qt::Dialog) whose
// title bar holds only the close box.
Qt::WindowFlags CloseBoxOnlyFlags(Qt::WindowType kind);

// Adds what the running window manager needs beyond the flags. Call before
// the window is first shown.
void KeepCloseBoxOnly(QWidget& window);

// The running X11 window manager's own name (_NET_WM_NAME of its check
// window); empty without one or on another platform.
QString WindowManagerName();

}  // namespace orvalen::ui
