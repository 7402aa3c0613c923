// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The program's own MessageBox (ui/logic) is meant, not the system's macro.
#undef MessageBox

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/logic/Layout.h"
#include "ui/logic/MessageBoxes.h"

namespace orvalen::ui::win32 {

// A font of its own for one control, relative to the system's message font.
struct ControlFont {
    double points = 0;  // > 0: this size; 0: the message font's
    double factor = 1;  // applied to the message font's size when points is 0
    bool bold = false;
};

// One top-level window of the program: its controls by design name, laid out
// from its table at the window's DPI in the system's message font. The
// message loop gives each window first look at its keys (preTranslate), then
// the dialog manager's Tab and arrow handling.
class Win32Window {
public:
    virtual ~Win32Window();
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    HWND hwnd() const { return m_hwnd; }
    HWND control(std::string_view name) const;

    // Called by the message loops for every message before it is dispatched.
    static bool PreTranslate(MSG& msg);

protected:
    explicit Win32Window(const WindowLayout& layout) : m_layout(layout) {}

    // Registers `className` once and makes the window, hidden, with a fixed border.
    void create(const wchar_t* className, const std::wstring& title, DWORD style, DWORD exStyle,
                HMENU menu = nullptr);
    HWND addControl(std::string_view name, const wchar_t* className, std::string_view text, DWORD style,
                    int id, DWORD exStyle = 0, ControlFont font = {});
    // Fits the scale to the texts and places every control; the first call
    // centres the window on its monitor.
    void layOut();
    // An owner-drawn list box's rows: one line of its font.
    void fitRowHeight(std::string_view name);
    // A label sized to its text, after its text changed.
    void resizeLabel(std::string_view name);
    void setText(std::string_view name, std::string_view text);
    std::string text(std::string_view name) const;
    int dpi() const { return m_dpi; }

    // Window messages not handled here; commands come to command().
    virtual LRESULT proc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void command(int id, int code, HWND control) = 0;
    // Enter and Esc: a dialog's default and cancel buttons, unless a focused
    // push button takes Enter itself. 0: none.
    virtual int defaultButton() const { return 0; }
    virtual int cancelButton() const { return 0; }
    virtual bool preTranslate(MSG& msg);

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void makeFonts();
    void pressButton(int id);

    const WindowLayout& m_layout;
    HWND m_hwnd = nullptr;
    HWND m_lastFocus = nullptr;  // the control to give the focus back to on activation
    int m_dpi = 96;
    bool m_placed = false;
    struct Control {
        HWND hwnd;
        ControlFont font;
    };
    std::map<std::string, Control, std::less<>> m_controls;
    std::vector<HFONT> m_fonts;
};

// The system's message font at `dpi`, scaled and weighted as `font` asks.
HFONT CreateMessageFont(int dpi, const ControlFont& font);

// A message box over `owner`, titled with the program's title; the text is UTF-8.
MessageBox::Answer ShowMessage(HWND owner, const MessageBox& box);

// While it lives, every other window of the thread takes no input.
class ModalScope {
public:
    explicit ModalScope(HWND dialog);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    std::vector<HWND> m_disabled;
};

// Runs the thread's messages until `done` turns true (true) or the program
// is quitting (false; the quit message is left for the outer loop).
bool RunModalLoop(const bool& done);
// The program's own loop; returns the exit code.
int RunMessageLoop();

}  // namespace orvalen::ui::win32
