// SPDX-License-Identifier: GPL-3.0-or-later
// Drives a Win32 program's windows under Wine for scripts/screenshots-windows.sh,
// one step per run:
//   wait TITLE | gone TITLE        until a visible top-level window with that title is there / is not
//   rect TITLE                     prints its frame as WIDTHxHEIGHT+LEFT+TOP (for ImageMagick's -crop)
//   click TITLE CAPTION [N]        clicks its N-th (from 1) button with that caption, "&" left out
//   choose TITLE CLASS N TEXT      highlights the row starting with TEXT (any case) in its N-th
//                                  ComboBox or ListBox and tells the window, as the control would
//   open TITLE CLASS N TEXT        the same, reported as a double-click (a folder list opens the row)
//   keys TITLE KEY...              brings it to the front and presses keys: Tab, shift+Tab, Return,
//                                  space, Escape, F1, alt+LETTER, or text:LETTERS
// Exits 1, saying why, when a window or control is not there within 15 s.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(15);

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

// Captions as a person reads them: no "&" marker, nothing after a tab.
std::wstring plain(std::wstring caption) {
    std::wstring out;
    for (size_t i = 0; i < caption.size() && caption[i] != L'\t'; ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

HWND findTop(const std::wstring& title) {
    struct Search {
        const std::wstring* title;
        HWND found;
    } search{&title, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (::IsWindowVisible(window) && textOf(window) == *s.title) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Find>
auto waitFor(Find find) -> decltype(find()) {
    const auto end = Clock::now() + kPatience;
    for (;;) {
        if (auto found = find()) return found;
        if (Clock::now() > end) return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

HWND needTop(const std::wstring& title) {
    HWND window = waitFor([&] { return findTop(title); });
    if (!window) std::fwprintf(stderr, L"no window titled \"%ls\"\n", title.c_str());
    return window;
}

// The N-th (from 1) visible child of that class, in creation order.
HWND findChild(HWND top, const std::wstring& kind, int index) {
    struct Search {
        const std::wstring* kind;
        int left;
        HWND found;
    } search{&kind, index, nullptr};
    ::EnumChildWindows(
        top,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            wchar_t kind[32] = {};
            ::GetClassNameW(child, kind, 32);
            if (lstrcmpiW(kind, s.kind->c_str()) == 0 && ::IsWindowVisible(child) && --s.left == 0) {
                s.found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Highlights the first row that starts with `start` and sends the window
// the notification the control sends when a user does that.
bool chooseRow(HWND top, HWND list, const std::wstring& start, bool open) {
    wchar_t kind[32] = {};
    ::GetClassNameW(list, kind, 32);
    const bool isCombo = lstrcmpiW(kind, L"ComboBox") == 0;
    const LRESULT count = ::SendMessageW(list, isCombo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        wchar_t text[512] = {};
        const LRESULT length = ::SendMessageW(list, isCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, row, 0);
        if (length < 0 || length >= 512) continue;
        ::SendMessageW(list, isCombo ? CB_GETLBTEXT : LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        if (_wcsnicmp(text, start.c_str(), start.size()) != 0) continue;
        ::SendMessageW(list, isCombo ? CB_SETCURSEL : LB_SETCURSEL, row, 0);
        const int id = ::GetDlgCtrlID(list);
        const WORD code = isCombo ? CBN_SELCHANGE : open ? LBN_DBLCLK : LBN_SELCHANGE;
        ::SendMessageW(top, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(list));
        return true;
    }
    return false;
}

// The N-th (from 1) button with that caption, once it is enabled.
HWND findButton(HWND top, const std::wstring& caption, int index) {
    for (int i = 1; HWND button = findChild(top, L"Button", i); ++i) {
        if (plain(textOf(button)) == caption && --index == 0)
            return ::IsWindowEnabled(button) ? button : nullptr;
    }
    return nullptr;
}

void press(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof input);
}

void typeChar(wchar_t c) {
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wScan = c;
        input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    ::SendInput(2, input, sizeof input[0]);
}

bool sendKey(const std::wstring& name) {
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(120)); };
    if (name.rfind(L"text:", 0) == 0) {
        for (wchar_t c : name.substr(5)) {
            typeChar(c);
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        pause();
        return true;
    }
    WORD modifier = 0;
    std::wstring key = name;
    if (key.rfind(L"shift+", 0) == 0) modifier = VK_SHIFT, key = key.substr(6);
    if (key.rfind(L"alt+", 0) == 0) modifier = VK_MENU, key = key.substr(4);
    WORD code = 0;
    if (key == L"Tab") code = VK_TAB;
    else if (key == L"Return") code = VK_RETURN;
    else if (key == L"space") code = VK_SPACE;
    else if (key == L"Escape") code = VK_ESCAPE;
    else if (key == L"F1") code = VK_F1;
    else if (key.size() == 1 && iswalnum(key[0])) code = static_cast<WORD>(towupper(key[0]));
    if (!code) return false;
    if (modifier) press(modifier, false);
    press(code, false);
    press(code, true);
    if (modifier) press(modifier, true);
    pause();
    return true;
}

int usage() {
    std::fwprintf(stderr, L"usage: wait|gone|rect TITLE; click TITLE CAPTION [N]; choose|open TITLE CLASS N TEXT; "
                          L"keys TITLE KEY...\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return usage();
    const std::wstring step = argv[1], title = argv[2];
    if (step == L"gone") {
        const bool gone = waitFor([&] { return findTop(title) == nullptr; });
        if (!gone) std::fwprintf(stderr, L"still open: \"%ls\"\n", title.c_str());
        return gone ? 0 : 1;
    }
    HWND top = needTop(title);
    if (!top) return 1;
    if (step == L"wait") return 0;
    if (step == L"rect") {
        RECT r{};
        ::GetWindowRect(top, &r);
        std::wprintf(L"%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        return 0;
    }
    if (step == L"click" && argc >= 4) {
        const int index = argc >= 5 ? _wtoi(argv[4]) : 1;
        HWND button = waitFor([&] { return findButton(top, argv[3], index); });
        if (!button) {
            std::fwprintf(stderr, L"no enabled button \"%ls\" (%d) in \"%ls\"\n", argv[3], index, title.c_str());
            return 1;
        }
        // Posted: the click may open a modal window, which would hold a sent one.
        ::PostMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    if ((step == L"choose" || step == L"open") && argc >= 6) {
        HWND list = waitFor([&] { return findChild(top, argv[3], _wtoi(argv[4])); });
        if (!list || !chooseRow(top, list, argv[5], step == L"open")) {
            std::fwprintf(stderr, L"no row \"%ls\" in %ls %ls of \"%ls\"\n", argv[5], argv[3], argv[4], title.c_str());
            return 1;
        }
        return 0;
    }
    if (step == L"keys") {
        ::SetForegroundWindow(top);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        for (int i = 3; i < argc; ++i) {
            if (!sendKey(argv[i])) {
                std::fwprintf(stderr, L"unknown key \"%ls\"\n", argv[i]);
                return 2;
            }
        }
        return 0;
    }
    return usage();
}
