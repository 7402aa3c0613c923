// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/win32/frmMain.h"

#include <commctrl.h>

#include <cctype>
#include <string_view>

#include "core/AppTitle.h"
#include "platform/VolumeSource.h"
#include "platform/windows/WideText.h"
#include "ui/logic/WindowTexts.h"
#include "ui/win32/ControlIds.h"
#include "ui/win32/frmAbout.h"
#include "ui/win32/frmBrowse.h"
#include "ui/win32/frmInstructions.h"

namespace orvalen::ui::win32 {

using platform::windows::Narrow;
using platform::windows::Wide;

namespace {

// A call of the pass thread, carried in lParam as a heap std::function.
constexpr UINT WM_ORVALEN_CALL = WM_APP + 1;
constexpr UINT_PTR kTimerId = 1;

struct ButtonControl {
    MainButton button;
    const char* name;
    int id;
};
// In the order of the tab chain.
constexpr ButtonControl kButtons[] = {
    {MainButton::cmdStart, "cmdStart", IDC_cmdStart},
    {MainButton::cmdAddFile, "cmdAddFile", IDC_cmdAddFile},
    {MainButton::cmdAddFolder, "cmdAddFolder", IDC_cmdAddFolder},
    {MainButton::cmdEditItem, "cmdEditItem", IDC_cmdEditItem},
    {MainButton::cmdDeleteItem, "cmdDeleteItem", IDC_cmdDeleteItem},
    {MainButton::cmdBrowseSource, "cmdBrowseSource", IDC_cmdBrowseSource},
    {MainButton::cmdBrowseDestination, "cmdBrowseDestination", IDC_cmdBrowseDestination},
    {MainButton::cmdOK, "cmdOK", IDC_cmdOK},
    {MainButton::cmdCancel, "cmdCancel", IDC_cmdCancel},
    {MainButton::cmdStop, "cmdStop", IDC_cmdStop},
};

const ButtonControl& ButtonFor(MainButton button) {
    for (const ButtonControl& b : kButtons)
        if (b.button == button) return b;
    return kButtons[0];
}

int MenuId(std::string_view name) {
    if (name == "mnuFileExit") return IDM_mnuFileExit;
    if (name == "mnuHelpInstructions") return IDM_mnuHelpInstructions;
    if (name == "mnuHelpAbout") return IDM_mnuHelpAbout;
    return 0;
}

// "Ctrl+Q", "F1" as an accelerator; false for anything else.
bool AcceleratorFor(std::string_view shortcut, ACCEL& accel) {
    accel.fVirt = FVIRTKEY;
    constexpr std::string_view ctrl = "Ctrl+";
    if (shortcut.substr(0, ctrl.size()) == ctrl) {
        accel.fVirt |= FCONTROL;
        shortcut.remove_prefix(ctrl.size());
    }
    if (shortcut.size() == 1 && std::isalnum(static_cast<unsigned char>(shortcut[0]))) {
        accel.key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(shortcut[0])));
        return true;
    }
    if (shortcut.size() >= 2 && shortcut[0] == 'F') {
        accel.key = static_cast<WORD>(VK_F1 + std::stoi(std::string(shortcut.substr(1))) - 1);
        return true;
    }
    return false;
}

}  // namespace

frmMain::frmMain(mdlMain& shared)
    : Win32Window(MainWindowLayout()),
      m_shared(shared),
      m_logic(shared, static_cast<MainWindowView&>(*this)),
      m_run(shared.Items, static_cast<RunView&>(*this), static_cast<RunTimer&>(*this),
            static_cast<UserPrompt&>(*this)),
      m_runner(shared, static_cast<UserPrompt&>(*this), m_run, static_cast<WindowThread&>(*this)) {
    m_runner.setBusyIndicator(this);
    buildMenu();
    create(ORVALEN_CLASS_MAIN, Wide(kTitle), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, m_menu);
    buildControls();
    layOut();
    fitRowHeight("lstSource");
    fitRowHeight("lstDestination");
    // The initial state is list mode with an empty list.
    m_logic.Mode1();
}

frmMain::PostedCalls::~PostedCalls() {
    MSG pending;
    while (PeekMessageW(&pending, window.hwnd(), WM_ORVALEN_CALL, WM_ORVALEN_CALL, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(pending.lParam);
}

frmMain::~frmMain() {
    if (m_accelerators) DestroyAcceleratorTable(m_accelerators);
}

void frmMain::buildMenu() {
    m_menu = CreateMenu();
    HMENU current = nullptr;
    std::vector<ACCEL> accelerators;
    for (const MenuEntry& entry : kMainMenu) {
        if (entry.menu.empty()) {
            current = CreatePopupMenu();
            AppendMenuW(m_menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(current),
                        Wide(entry.caption).c_str());
        } else if (entry.caption == "-") {
            AppendMenuW(current, MF_SEPARATOR, 0, nullptr);
        } else {
            std::string caption(entry.caption);
            if (!entry.shortcut.empty()) caption += "\t" + std::string(entry.shortcut);
            const int id = MenuId(entry.name);
            AppendMenuW(current, MF_STRING, static_cast<UINT_PTR>(id), Wide(caption).c_str());
            ACCEL accel{};
            accel.cmd = static_cast<WORD>(id);
            if (!entry.shortcut.empty() && AcceleratorFor(entry.shortcut, accel)) accelerators.push_back(accel);
        }
    }
    m_accelerators = CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()));
}

void frmMain::buildControls() {
    const WindowLayout& layout = MainWindowLayout();
    const auto button = [&](const char* name, int id) {
        const ControlBox& box = layout.at(name);
        HWND b = addControl(name, L"BUTTON", box.caption, WS_TABSTOP | BS_PUSHBUTTON, id);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(b);
        std::wstring tip = Wide(box.tip);
        tool.lpszText = tip.data();
        SendMessageW(m_tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    };
    // Drawn by the window, so that a long path loses its start, not its name.
    const auto list = [&](const char* name, int id) {
        addControl(name, L"LISTBOX", "",
                   WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                   id, WS_EX_CLIENTEDGE);
    };
    const auto label = [&](const char* name, int id, DWORD style = 0) {
        addControl(name, L"STATIC", layout.at(name).caption, SS_LEFT | SS_NOPREFIX | style, id);
    };
    m_tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    // Created in the order of the tab chain; the frames last, below the
    // controls they surround.
    button("cmdStart", IDC_cmdStart);
    list("lstSource", IDC_lstSource);
    list("lstDestination", IDC_lstDestination);
    for (const ButtonControl& b : kButtons)
        if (b.button != MainButton::cmdStart && b.button != MainButton::cmdStop) button(b.name, b.id);
    addControl("txtTimeInterval", L"EDIT", layout.at("txtTimeInterval").caption, WS_TABSTOP | ES_AUTOHSCROLL,
               IDC_txtTimeInterval, WS_EX_CLIENTEDGE);
    button("cmdStop", IDC_cmdStop);

    label("lblSourceListLabel", IDC_lblSourceListLabel);
    label("lblDestinationListLabel", IDC_lblDestinationListLabel);
    label("lblSourcePathLabel", IDC_lblSourcePathLabel);
    label("lblSourcePath", IDC_lblSourcePath, SS_OWNERDRAW);
    label("lblDestinationPathLabel", IDC_lblDestinationPathLabel);
    label("lblDestinationPath", IDC_lblDestinationPath, SS_OWNERDRAW);
    label("lblIntervalLabel", IDC_lblIntervalLabel);
    label("lblStatusLabel", IDC_lblStatusLabel);
    label("lblStatus", IDC_lblStatus);
    addControl("fraMode1", L"BUTTON", "", BS_GROUPBOX, IDC_fraMode1);
    addControl("fraMode2", L"BUTTON", "", BS_GROUPBOX, IDC_fraMode2);
    addControl("fraRun", L"BUTTON", "", BS_GROUPBOX, IDC_fraRun);

    // The design's initial states; Mode1 leaves these alone while the list is empty.
    for (MainButton b : {MainButton::cmdStart, MainButton::cmdStop, MainButton::cmdEditItem,
                         MainButton::cmdDeleteItem})
        setButtonEnabled(b, false);
    SendMessageW(control("txtTimeInterval"), EM_LIMITTEXT, 0, 0);
}

void frmMain::Form_Load() {
    frmInstructions::ShowModal(hwnd());
    SetForegroundWindow(hwnd());
}

LRESULT frmMain::proc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kTimerId) m_runner.tmrTimer_Timer();
        return 0;
    case WM_ORVALEN_CALL: {
        const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lParam));
        (*call)();
        return 0;
    }
    case WM_DRAWITEM:
        if (wParam == IDC_lblSourcePath || wParam == IDC_lblDestinationPath) {
            drawPath(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        if (wParam == IDC_lstSource || wParam == IDC_lstDestination) {
            drawListRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_DPICHANGED: {
        const LRESULT result = Win32Window::proc(message, wParam, lParam);
        fitRowHeight("lstSource");
        fitRowHeight("lstDestination");
        return result;
    }
    case WM_SETCURSOR:
        if (m_busy && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        // Closing the window is Exit: no question, no Stop, no further pass.
        mnuFileExit_Click();
        return 0;
    default:
        break;
    }
    return Win32Window::proc(message, wParam, lParam);
}

bool frmMain::preTranslate(MSG& msg) {
    if (TranslateAcceleratorW(hwnd(), m_accelerators, &msg)) return true;
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) return false;
    std::optional<MainButton> focused;
    std::array<bool, kMainButtonCount> enabled{};
    HWND focus = GetFocus();
    for (const ButtonControl& b : kButtons) {
        HWND h = control(b.name);
        enabled[static_cast<std::size_t>(b.button)] = IsWindowEnabled(h) != FALSE;
        if (h == focus) focused = b.button;
    }
    const auto target =
        DefaultKeyTarget(msg.wParam == VK_ESCAPE ? DialogKey::Escape : DialogKey::Enter, focused, enabled);
    if (target) SendMessageW(control(ButtonFor(*target).name), BM_CLICK, 0, 0);
    return true;
}

void frmMain::command(int id, int code, HWND) {
    switch (id) {
    case IDC_cmdAddFile: m_logic.cmdAddFile_Click(); break;
    case IDC_cmdAddFolder: m_logic.cmdAddFolder_Click(); break;
    case IDC_cmdEditItem: m_logic.cmdEditItem_Click(); break;
    case IDC_cmdDeleteItem: m_logic.cmdDeleteItem_Click(); break;
    case IDC_cmdBrowseSource: m_logic.cmdBrowseSource_Click(); break;
    case IDC_cmdBrowseDestination: m_logic.cmdBrowseDestination_Click(); break;
    case IDC_cmdOK: m_logic.cmdOK_Click(); break;
    case IDC_cmdCancel: m_logic.cmdCancel_Click(); break;
    case IDC_cmdStart: m_run.Start(); break;
    case IDC_cmdStop: m_run.Stop(); break;
    case IDM_mnuFileExit: mnuFileExit_Click(); break;
    case IDM_mnuHelpInstructions: frmInstructions::ShowModal(hwnd()); break;
    case IDM_mnuHelpAbout: frmAbout::ShowSingle(); break;
    case IDC_lstSource:
    case IDC_lstDestination:
        if (code == LBN_SELCHANGE) listSelectionChanged(control(id == IDC_lstSource ? "lstSource" : "lstDestination"));
        break;
    default: break;
    }
}

void frmMain::drawPath(const DRAWITEMSTRUCT& item) const {
    constexpr UINT kFlags = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
    const std::wstring path = Wide(item.CtlID == IDC_lblSourcePath ? m_sourcePath : m_destinationPath);
    RECT area = item.rcItem;
    const auto fits = [&](const std::wstring& text) {
        RECT need{0, 0, area.right - area.left, 0};
        DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &need, kFlags | DT_CALCRECT);
        return need.bottom <= area.bottom - area.top;
    };
    // A path too long for its two lines is shortened in the middle: its start
    // tells the place, its end the item.
    const auto shortened = [&](std::size_t keep) {
        return path.substr(0, keep / 2) + L"\u2026" + path.substr(path.size() - (keep - keep / 2));
    };
    std::wstring shown = path;
    if (!fits(path)) {
        std::size_t low = 0;
        std::size_t high = path.size();
        while (low + 1 < high) {
            const std::size_t mid = (low + high) / 2;
            (fits(shortened(mid)) ? low : high) = mid;
        }
        shown = shortened(low);
    }
    FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(item.hDC, shown.c_str(), static_cast<int>(shown.size()), &area, kFlags);
}

void frmMain::drawListRow(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1)) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    std::wstring path(static_cast<std::size_t>(SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0)), L'\0');
    SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(path.data()));
    RECT area = item.rcItem;
    area.left += MulDiv(2, dpi(), 96);
    // The end of a path, its name, tells the rows apart: a long one loses its start.
    const int room = area.right - area.left;
    const auto width = [&](const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(item.hDC, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    std::wstring shown = path;
    for (std::size_t cut = 1; cut < path.size() && width(shown) > room; ++cut) shown = L"\u2026" + path.substr(cut);
    DrawTextW(item.hDC, shown.c_str(), static_cast<int>(shown.size()), &area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

void frmMain::listSelectionChanged(HWND list) {
    // The two boxes are one list: a row selected in either is selected in both.
    m_shared.Items.setSelectedRow(static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)));
    showSelection();
}

void frmMain::showSelection() {
    const int row = m_shared.Items.selectedRow();
    for (const char* name : {"lstSource", "lstDestination"})
        SendMessageW(control(name), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

void frmMain::mnuFileExit_Click() {
    if (m_exiting) return;
    m_exiting = true;
    stop();
    m_runner.stopPass();
    // No window's own close step runs: they simply disappear.
    EnumThreadWindows(
        GetCurrentThreadId(), [](HWND h, LPARAM) -> BOOL { return ShowWindow(h, SW_HIDE), TRUE; }, 0);
    PostQuitMessage(0);
}

// --- Entry editor -----------------------------------------------------------

void frmMain::setButtonEnabled(MainButton button, bool enabled) {
    EnableWindow(control(ButtonFor(button).name), enabled ? TRUE : FALSE);
}

void frmMain::setSourcePath(const std::string& path) {
    m_sourcePath = path;
    setText("lblSourcePath", path);
    InvalidateRect(control("lblSourcePath"), nullptr, TRUE);
}

void frmMain::setDestinationPath(const std::string& path) {
    m_destinationPath = path;
    setText("lblDestinationPath", path);
    InvalidateRect(control("lblDestinationPath"), nullptr, TRUE);
}

bool frmMain::appendItem(const std::string& source, const std::string& destination, bool isFile) {
    if (!m_shared.Items.append(source, destination, isFile)) return false;
    SendMessageW(control("lstSource"), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(source).c_str()));
    SendMessageW(control("lstDestination"), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(destination).c_str()));
    showSelection();
    return true;
}

void frmMain::replaceItem(int row, const std::string& source, const std::string& destination) {
    m_shared.Items.replace(row, source, destination);
    for (const auto& [name, text] : {std::pair{"lstSource", &source}, std::pair{"lstDestination", &destination}}) {
        HWND list = control(name);
        SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(row), 0);
        SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(Wide(*text).c_str()));
    }
    showSelection();
}

void frmMain::removeItem(int row) {
    m_shared.Items.remove(row);
    for (const char* name : {"lstSource", "lstDestination"})
        SendMessageW(control(name), LB_DELETESTRING, static_cast<WPARAM>(row), 0);
    showSelection();
}

void frmMain::showBrowseDialog() {
    // One dialog for the whole run: Select and Cancel only hide it.
    if (!m_browse)
        m_browse = std::make_unique<frmBrowse>(m_shared, static_cast<PathFields&>(*this),
                                               platform::MakeSystemVolumeSource());
    m_browse->ShowModal();
}

MessageBox::Answer frmMain::showMessage(const MessageBox& box) { return ShowMessage(hwnd(), box); }

// --- Run control ------------------------------------------------------------

void frmMain::warn(const std::string& text) { ShowMessage(hwnd(), MessageBox::Warning(text)); }

UserPrompt::Answer frmMain::askRetryCancel(const std::string& text) {
    if (m_exiting) return Answer::Cancel;
    return ShowMessage(hwnd(), MessageBox::RetryCancel(text)) == MessageBox::Answer::Retry ? Answer::Retry
                                                                                          : Answer::Cancel;
}

std::string frmMain::intervalText() const { return text("txtTimeInterval"); }

void frmMain::setStatus(const std::string& status) {
    setText("lblStatus", status);
    resizeLabel("lblStatus");
}

void frmMain::focusStop() { SetFocus(control("cmdStop")); }

void frmMain::focusInterval() { SetFocus(control("txtTimeInterval")); }

void frmMain::setInterval(int milliseconds) {
    m_intervalMs = milliseconds;
    if (m_timerOn) start();
}

void frmMain::start() {
    m_timerOn = true;
    // SetTimer on a running timer restarts its countdown.
    if (m_intervalMs > 0) SetTimer(hwnd(), kTimerId, static_cast<UINT>(m_intervalMs), nullptr);
    else KillTimer(hwnd(), kTimerId);
}

void frmMain::stop() {
    m_timerOn = false;
    KillTimer(hwnd(), kTimerId);
}

void frmMain::setBusy(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    // The window answers while a pass copies: the pointer says "working", not "wait".
    POINT at;
    GetCursorPos(&at);
    if (WindowFromPoint(at) && GetAncestor(WindowFromPoint(at), GA_ROOT) == hwnd())
        SetCursor(LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
}

void frmMain::post(std::function<void()> call) {
    auto* carried = new std::function<void()>(std::move(call));
    if (!PostMessageW(hwnd(), WM_ORVALEN_CALL, 0, reinterpret_cast<LPARAM>(carried))) delete carried;
}

}  // namespace orvalen::ui::win32
