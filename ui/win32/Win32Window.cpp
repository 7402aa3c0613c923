// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/win32/Win32Window.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "core/AppTitle.h"
#include "platform/windows/WideText.h"
#include "ui/win32/ControlIds.h"

namespace orvalen::ui::win32 {

using platform::windows::Narrow;
using platform::windows::Wide;

namespace {

// One line of a control's own font, with the font's leading.
int LineSpacingOf(HWND control) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return tm.tmHeight + tm.tmExternalLeading;
}

std::set<HWND>& OurWindows() {
    static std::set<HWND> windows;
    return windows;
}

std::wstring WindowTextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsPushButton(HWND hwnd) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (lstrcmpiW(name, L"Button") != 0) return false;
    const LONG_PTR type = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// GDI measurement of the controls' texts, in each control's own font.
class GdiMetrics : public LayoutMetrics {
public:
    GdiMetrics(const Win32Window& window, int dpi) : m_window(window), m_dpi(dpi) {}

    PixelSize textSize(const ControlBox& c, std::string_view text, int wrapWidth) const override {
        HWND hwnd = m_window.control(c.name);
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        const std::wstring wide = Wide(text);
        RECT r{0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
        // Buttons show "&" as an underline; labels show it as it is.
        UINT flags = DT_CALCRECT | (c.fit == Fit::Button ? 0u : DT_NOPREFIX);
        if (wrapWidth > 0) flags |= DT_WORDBREAK;
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, flags);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        return {r.right - r.left, r.bottom - r.top};
    }
    PixelSize buttonMargin(const ControlBox&) const override { return {scaled(16), scaled(8)}; }
    int naturalHeight(const ControlBox& c) const override { return lineSpacing(c) + scaled(8); }
    int lineSpacing(const ControlBox& c) const override { return LineSpacingOf(m_window.control(c.name)); }
    std::string currentText(const ControlBox& c) const override {
        return Narrow(WindowTextOf(m_window.control(c.name)));
    }

private:
    int scaled(int px) const { return MulDiv(px, m_dpi, 96); }
    const Win32Window& m_window;
    int m_dpi;
};

class WindowPlacer : public LayoutTarget {
public:
    WindowPlacer(const Win32Window& window, const GdiMetrics& metrics, int dpi)
        : m_window(window), m_metrics(metrics), m_dpi(dpi) {}

    void place(const ControlBox& c, const PixelRect& box) override {
        HWND hwnd = m_window.control(c.name);
        int width = box.width;
        int height = box.height;
        switch (c.fit) {
        case Fit::Picture:
            width = height = MulDiv(84, m_dpi, 96);  // the 80-pixel picture and its margin
            break;
        case Fit::EtchedLine:
            height = 2;
            break;
        case Fit::DropDown:
            // A drop-down list's height includes its open list.
            height += 8 * m_metrics.lineSpacing(c);
            break;
        default:
            break;
        }
        SetWindowPos(hwnd, nullptr, box.left, box.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void placeSized(const ControlBox& c, int left, int top) override {
        const PixelSize size = m_metrics.textSize(c, m_metrics.currentText(c), 0);
        SetWindowPos(m_window.control(c.name), nullptr, left, top, size.width, size.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

private:
    const Win32Window& m_window;
    const GdiMetrics& m_metrics;
    int m_dpi;
};

}  // namespace

HFONT CreateMessageFont(int dpi, const ControlFont& font) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, 96);
    }
    LOGFONTW made = metrics.lfMessageFont;
    if (font.points > 0) made.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi / 72.0));
    else made.lfHeight = static_cast<LONG>(std::lround(made.lfHeight * font.factor));
    if (font.bold) made.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&made);
}

Win32Window::~Win32Window() {
    for (HFONT font : m_fonts) DeleteObject(font);
    if (m_hwnd) {
        OurWindows().erase(m_hwnd);
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

HWND Win32Window::control(std::string_view name) const {
    const auto it = m_controls.find(name);
    return it == m_controls.end() ? nullptr : it->second.hwnd;
}

void Win32Window::create(const wchar_t* className, const std::wstring& title, DWORD style, DWORD exStyle,
                         HMENU menu) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Win32Window::StaticProc;
        wc.hInstance = instance;
        wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_ORVALEN), IMAGE_ICON, 32, 32, 0));
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_ORVALEN), IMAGE_ICON, 16, 16, 0));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }
    m_hwnd = CreateWindowExW(exStyle, className, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                             100, 100, nullptr, menu, instance, this);
    if (!m_hwnd) return;
    OurWindows().insert(m_hwnd);
    m_dpi = static_cast<int>(GetDpiForWindow(m_hwnd));
    if (m_dpi <= 0) m_dpi = 96;
}

HWND Win32Window::addControl(std::string_view name, const wchar_t* className, std::string_view text, DWORD style,
                             int id, DWORD exStyle, ControlFont font) {
    HWND hwnd = CreateWindowExW(exStyle, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                                m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                nullptr);
    m_controls.emplace(std::string(name), Control{hwnd, font});
    return hwnd;
}

void Win32Window::makeFonts() {
    std::vector<HFONT> previous = std::move(m_fonts);
    m_fonts.clear();
    std::map<std::tuple<double, double, bool>, HFONT> made;
    for (auto& [name, c] : m_controls) {
        const auto key = std::make_tuple(c.font.points, c.font.factor, c.font.bold);
        HFONT& font = made[key];
        if (!font) {
            font = CreateMessageFont(m_dpi, c.font);
            m_fonts.push_back(font);
        }
        SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    for (HFONT font : previous) DeleteObject(font);
}

void Win32Window::layOut() {
    makeFonts();
    const GdiMetrics metrics(*this, m_dpi);
    const TwipsScale scale = FitWindow(m_layout, m_dpi, metrics);
    WindowPlacer placer(*this, metrics, m_dpi);
    // Win32 group boxes hold no children: every box is measured from the window.
    PlaceWindow(m_layout, scale, placer, true);

    const PixelSize client = scale.size(m_layout.width, m_layout.height);
    RECT frame{0, 0, client.width, client.height};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&frame, style, GetMenu(m_hwnd) != nullptr, exStyle, static_cast<UINT>(m_dpi));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (!m_placed) {
        m_placed = true;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& area = monitor.rcWork;
        SetWindowPos(m_hwnd, nullptr, area.left + (area.right - area.left - width) / 2,
                     area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(m_hwnd, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Win32Window::fitRowHeight(std::string_view name) {
    HWND list = control(name);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, LineSpacingOf(list));
}

void Win32Window::resizeLabel(std::string_view name) {
    const ControlBox* box = m_layout.find(name);
    HWND hwnd = control(name);
    if (!box || !hwnd) return;
    const GdiMetrics metrics(*this, m_dpi);
    const PixelSize size = metrics.textSize(*box, metrics.currentText(*box), 0);
    SetWindowPos(hwnd, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Win32Window::setText(std::string_view name, std::string_view text) {
    SetWindowTextW(control(name), Wide(text).c_str());
}

std::string Win32Window::text(std::string_view name) const { return Narrow(WindowTextOf(control(name))); }

LRESULT CALLBACK Win32Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->proc(message, wParam, lParam);
}

LRESULT Win32Window::proc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_DPICHANGED: {
        m_dpi = HIWORD(wParam);
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
        layOut();
        return 0;
    }
    case WM_ACTIVATE:
        // As a dialog does: the control that had the focus gets it back, at
        // first the first of the tab chain that is enabled.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(m_hwnd, focus)) m_lastFocus = focus;
        } else {
            HWND focus = m_lastFocus && IsWindow(m_lastFocus) && IsWindowEnabled(m_lastFocus)
                             ? m_lastFocus
                             : GetNextDlgTabItem(m_hwnd, nullptr, FALSE);
            if (focus) SetFocus(focus);
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        // Labels on the window's face, not on white.
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
        return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

void Win32Window::pressButton(int id) {
    HWND button = GetDlgItem(m_hwnd, id);
    if (button && IsWindowEnabled(button)) SendMessageW(button, BM_CLICK, 0, 0);
}

bool Win32Window::preTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) return false;
    if (msg.wParam == VK_ESCAPE) {
        if (cancelButton()) pressButton(cancelButton());
        return cancelButton() != 0;
    }
    HWND focus = GetFocus();
    if (focus && IsChild(m_hwnd, focus) && IsPushButton(focus)) {
        SendMessageW(focus, BM_CLICK, 0, 0);
        return true;
    }
    if (defaultButton()) pressButton(defaultButton());
    return defaultButton() != 0;
}

bool Win32Window::PreTranslate(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!root || !OurWindows().count(root)) return false;
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(root, GWLP_USERDATA));
    if (self && self->preTranslate(msg)) return true;
    return IsDialogMessageW(root, &msg) != FALSE;
}

MessageBox::Answer ShowMessage(HWND owner, const MessageBox& box) {
    UINT flags = box.buttons == MessageBox::Buttons::RetryCancel ? MB_RETRYCANCEL | MB_DEFBUTTON1 : MB_OK;
    if (box.icon == MessageBox::Icon::Exclamation) flags |= MB_ICONEXCLAMATION;
    const int answer = MessageBoxW(owner, Wide(box.text).c_str(), Wide(kTitle).c_str(), flags);
    if (answer == IDRETRY) return MessageBox::Answer::Retry;
    if (answer == IDCANCEL) return MessageBox::Answer::Cancel;
    return MessageBox::Answer::Ok;
}

ModalScope::ModalScope(HWND dialog) {
    struct Walk {
        HWND dialog;
        std::vector<HWND>* disabled;
    } walk{dialog, &m_disabled};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* w = reinterpret_cast<Walk*>(data);
            if (hwnd != w->dialog && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) w->disabled->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    for (HWND hwnd : m_disabled) EnableWindow(hwnd, FALSE);
}

ModalScope::~ModalScope() {
    for (HWND hwnd : m_disabled)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
}

bool RunModalLoop(const bool& done) {
    MSG msg;
    while (!done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (got < 0) return false;
        if (Win32Window::PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

int RunMessageLoop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        if (Win32Window::PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

}  // namespace orvalen::ui::win32
