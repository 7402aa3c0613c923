// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/win32/frmBrowse.h"

#include <shlwapi.h>

#include <algorithm>
#include <exception>

#include "core/PathText.h"
#include "core/RuntimeError.h"
#include "platform/windows/WideText.h"
#include "ui/win32/ControlIds.h"

namespace orvalen::ui::win32 {

using platform::windows::Narrow;
using platform::windows::Wide;

namespace {

// Names as people sort them: "a2" before "a10".
void SortForPeople(std::vector<std::string>& names) {
    std::vector<std::pair<std::wstring, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) keyed.emplace_back(Wide(name), std::move(name));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return StrCmpLogicalW(a.first.c_str(), b.first.c_str()) < 0; });
    names.clear();
    for (auto& [wide, name] : keyed) names.push_back(std::move(name));
}

std::string CurrentFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    return length > 0 && length <= MAX_PATH ? Narrow(buffer) : std::string("C:\\");
}

}  // namespace

frmBrowse::frmBrowse(mdlMain& shared, PathFields& fields, std::unique_ptr<platform::VolumeSource> volumes)
    : Win32Window(BrowseLayout()),
      m_volumes(std::move(volumes)),
      m_logic(shared, static_cast<BrowseView&>(*this), *m_volumes, fields) {
    create(ORVALEN_CLASS_BROWSE, Wide(BrowseLayout().title), WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME);
    const WindowLayout& layout = BrowseLayout();
    // Created in the order of the tab chain, the labels after.
    addControl("cmdSelect", L"BUTTON", layout.at("cmdSelect").caption, WS_TABSTOP | BS_DEFPUSHBUTTON,
               IDC_Browse_cmdSelect);
    addControl("cmdCancel", L"BUTTON", layout.at("cmdCancel").caption, WS_TABSTOP | BS_PUSHBUTTON,
               IDC_Browse_cmdCancel);
    addControl("Drive1", L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, IDC_Drive1);
    addControl("Dir1", L"LISTBOX", "",
               WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
               IDC_Dir1, WS_EX_CLIENTEDGE);
    addControl("File1", L"LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, IDC_File1,
               WS_EX_CLIENTEDGE);
    for (const auto& [name, id] : {std::pair{"Label1", IDC_Browse_Label1}, std::pair{"Label2", IDC_Browse_Label2},
                                   std::pair{"Label3", IDC_Browse_Label3}})
        addControl(name, L"STATIC", layout.at(name).caption, SS_LEFT | SS_NOPREFIX, id);
    EnableWindow(control("File1"), FALSE);
    layOut();
    fitRowHeight("Dir1");

    loadVolumes();
    // The first showing starts where the process stands; the program sets no
    // start folder of its own.
    setOpenFolder(CurrentFolder());
}

void frmBrowse::ShowModal() {
    if (m_shownBefore) {
        // Media, shares and files change while the dialog is hidden; what it
        // showed last is kept where it still exists.
        loadVolumes();
        const int row = static_cast<int>(SendMessageW(control("Dir1"), LB_GETCURSEL, 0, 0));
        fillFolders(row >= 0 && static_cast<std::size_t>(row) < m_rows.size() && !m_rows[row].open ? m_rows[row].text
                                                                                                  : std::string());
        fillFiles(highlightedFile());
    }
    m_shownBefore = true;
    m_done = false;
    {
        const ModalScope modal(hwnd());
        m_logic.Form_Activate();
        ShowWindow(hwnd(), SW_SHOW);
        SetForegroundWindow(hwnd());
        RunModalLoop(m_done);
    }
    // The windows below take input again before this one goes, so one of
    // them, not another program, becomes active.
    ShowWindow(hwnd(), SW_HIDE);
}

LRESULT frmBrowse::proc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) m_logic.Form_Activate();
        break;
    case WM_CLOSE:
        // The close box writes no path, as Cancel does.
        m_logic.cmdCancel_Click();
        return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(MulDiv(16, dpi(), 96));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == IDC_Dir1) {
            drawFolderRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_DPICHANGED: {
        const LRESULT result = Win32Window::proc(message, wParam, lParam);
        fitRowHeight("Dir1");
        return result;
    }
    default:
        break;
    }
    return Win32Window::proc(message, wParam, lParam);
}

void frmBrowse::command(int id, int code, HWND) {
    switch (id) {
    case IDC_Drive1:
        if (code == CBN_SELCHANGE) m_logic.Drive1_Change();
        break;
    case IDC_Dir1:
        // Only a double-click opens a folder; highlighting one does not.
        if (code == LBN_DBLCLK) {
            const int row = static_cast<int>(SendMessageW(control("Dir1"), LB_GETCURSEL, 0, 0));
            if (row >= 0 && static_cast<std::size_t>(row) < m_rows.size()) setOpenFolder(m_rows[row].path);
        }
        break;
    case IDC_Browse_cmdSelect:
        m_logic.cmdSelect_Click();
        break;
    case IDC_Browse_cmdCancel:
        m_logic.cmdCancel_Click();
        break;
    default:
        break;
    }
}

int frmBrowse::defaultButton() const { return IDC_Browse_cmdSelect; }

int frmBrowse::cancelButton() const { return IDC_Browse_cmdCancel; }

void frmBrowse::loadVolumes() {
    const std::string shown = shownMountPoint();
    std::vector<platform::Volume> volumes;
    try {
        volumes = m_volumes->volumes();
    } catch (const std::exception&) {
        // Without a drive list the open folder's drive is still there to browse.
    }
    HWND drives = control("Drive1");
    SendMessageW(drives, CB_RESETCONTENT, 0, 0);
    m_mountPoints.clear();
    for (const platform::Volume& v : volumes) {
        m_mountPoints.push_back(v.mountPoint);
        SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(v.displayText()).c_str()));
    }
    const bool kept = std::find(m_mountPoints.begin(), m_mountPoints.end(), shown) != m_mountPoints.end();
    showMountPoint(kept ? shown : VolumeOf(m_openFolder, m_mountPoints));
}

std::string frmBrowse::shownMountPoint() const {
    const auto index = SendMessageW(control("Drive1"), CB_GETCURSEL, 0, 0);
    return index >= 0 && static_cast<std::size_t>(index) < m_mountPoints.size() ? m_mountPoints[index]
                                                                               : std::string();
}

void frmBrowse::showMountPoint(const std::string& mountPoint) {
    const auto it = std::find(m_mountPoints.begin(), m_mountPoints.end(), mountPoint);
    if (it == m_mountPoints.end()) return;
    // CB_SETCURSEL sends no change notification, so no drive change runs.
    SendMessageW(control("Drive1"), CB_SETCURSEL, static_cast<WPARAM>(it - m_mountPoints.begin()), 0);
}

int frmBrowse::setOpenFolder(const std::string& folder) {
    const std::string clean = path::TrimTrailingSeparators(folder);
    const bool changed = clean != m_openFolder;
    m_openFolder = clean;
    const int failure = fillFolders({});
    if (changed) m_logic.Dir1_Change();
    return failure;
}

int frmBrowse::fillFolders(const std::string& highlight) {
    int failure = 0;
    std::vector<std::string> subFolders;
    try {
        subFolders = m_volumes->listFolder(m_openFolder).folders;
    } catch (const RuntimeError& e) {
        failure = e.number();  // the folder stays open, with no sub-folders shown
    } catch (const std::exception&) {
        failure = err::kPathFileAccess;
    }
    SortForPeople(subFolders);
    m_rows = FolderRows(m_openFolder, subFolders);
    HWND list = control("Dir1");
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const FolderRow& row : m_rows)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(row.text).c_str()));
    SendMessageW(list, LB_SETCURSEL, HighlightedRow(m_rows, highlight), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    return failure;
}

void frmBrowse::listFiles(const std::string& folder) {
    m_fileFolder = folder;
    fillFiles({});
}

void frmBrowse::fillFiles(const std::string& highlight) {
    m_files.clear();
    try {
        m_files = m_volumes->listFolder(m_fileFolder).files;
    } catch (const std::exception&) {
        // A folder that cannot be read shows no files; another can be opened.
    }
    SortForPeople(m_files);
    HWND list = control("File1");
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : m_files)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    const auto it = highlight.empty() ? m_files.end() : std::find(m_files.begin(), m_files.end(), highlight);
    if (it != m_files.end()) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(it - m_files.begin()), 0);
}

std::string frmBrowse::highlightedFile() const {
    const auto row = SendMessageW(control("File1"), LB_GETCURSEL, 0, 0);
    return row >= 0 && static_cast<std::size_t>(row) < m_files.size() ? m_files[row] : std::string();
}

void frmBrowse::setFileListEnabled(bool enabled) { EnableWindow(control("File1"), enabled ? TRUE : FALSE); }

void frmBrowse::hideDialog(bool) { m_done = true; }

MessageBox::Answer frmBrowse::showMessage(const MessageBox& box) { return ShowMessage(hwnd(), box); }

void frmBrowse::drawFolderRow(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= m_rows.size()) return;
    const FolderRow& row = m_rows[item.itemID];
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text = item.rcItem;
    // Each level a step further in, so the chain down to the open folder reads as a tree.
    text.left += MulDiv(2 + 10 * row.level, dpi(), 96);
    const std::wstring shown = Wide(row.text);
    DrawTextW(item.hDC, shown.c_str(), static_cast<int>(shown.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace orvalen::ui::win32
