// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <Qt>

class QWidget;

namespace orvalen::ui {

// The four windows have a fixed size and a close box, and neither a minimize
// nor a maximize button.
//
// Window flags alone become Motif hints (functions: move, close; no minimize,
// no maximize), which Fluxbox, KWin and Mutter honour. Openbox ignores the
// Motif minimize and maximize functions and drops those buttons only for a
// window of type toolbar (or menu); there the windows name that type first,
// ahead of their usual one. The type is not set everywhere because other
// window managers then treat the windows as tool palettes.

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
