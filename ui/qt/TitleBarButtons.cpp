// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/TitleBarButtons.h"

#include <QGuiApplication>
#include <QStringList>
#include <QWindow>
#include <QWidget>

#include <cstdlib>
#include <memory>

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define ORVALEN_HAVE_XCB 1
#endif

namespace orvalen::ui {

namespace {

// Window managers that read the buttons off the window type only. Openbox
// drops minimize and maximize for a toolbar or menu window (not for a utility
// or dialog one); toolbar is the type that is otherwise treated as a window.
const QStringList kTypeOnlyManagers = {QStringLiteral("Openbox")};

#ifdef ORVALEN_HAVE_XCB
xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<uint16_t>(qstrlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The property's value, or empty when missing or not of `type`.
QByteArray property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
    if (name == XCB_ATOM_NONE || type == XCB_ATOM_NONE) return {};
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr),
        &std::free);
    if (!reply || reply->type != type) return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}
#endif

}  // namespace

Qt::WindowFlags CloseBoxOnlyFlags(Qt::WindowType kind) {
    return kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
           Qt::MSWindowsFixedSizeDialogHint;
}

QString WindowManagerName() {
#ifdef ORVALEN_HAVE_XCB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return {};
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return {};
    // The check window names the manager; it must point at itself, or it is a
    // leftover of a manager that has gone.
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    const QByteArray rootCheck = property(c, screen->root, check, XCB_ATOM_WINDOW);
    if (rootCheck.size() != sizeof(xcb_window_t)) return {};
    const xcb_window_t wm = *reinterpret_cast<const xcb_window_t*>(rootCheck.constData());
    if (property(c, wm, check, XCB_ATOM_WINDOW) != rootCheck) return {};
    return QString::fromUtf8(property(c, wm, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING")));
#else
    return {};
#endif
}

void KeepCloseBoxOnly(QWidget& window) {
    static const bool typeOnly = kTypeOnlyManagers.contains(WindowManagerName());
    if (!typeOnly) return;
    // Qt passes the type on only to a window that exists already.
    window.winId();
    window.setAttribute(Qt::WA_X11NetWmWindowTypeToolBar);
    // A dialog shown again gets a new X window, typed from this property of
    // Qt's X11 code (0x8 is its toolbar type); without it the second showing
    // would be an ordinary dialog again.
    if (QWindow* handle = window.windowHandle()) handle->setProperty("_q_xcb_wm_window_type", 0x8);
}

}  // namespace orvalen::ui
