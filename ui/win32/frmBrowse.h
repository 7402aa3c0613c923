// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// First: it takes back the name MessageBox from <windows.h>.
#include "ui/win32/Win32Window.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/VolumeSource.h"
#include "ui/logic/BrowseLogic.h"

namespace orvalen {
struct mdlMain;
}

namespace orvalen::ui::win32 {

// The browse dialog: Drive1 a drop-down list of the drives, Dir1 a list box
// drawing the open folder's chain and sub-folders indented by level, File1
// the open folder's files. One dialog serves the whole run: Select and
// Cancel only hide it, so each showing starts where the last one ended.
class frmBrowse : public Win32Window, private BrowseView {
public:
    frmBrowse(mdlMain& shared, PathFields& fields, std::unique_ptr<platform::VolumeSource> volumes);

    // Shows the dialog modally; returns once Select or Cancel hid it.
    void ShowModal();

private:
    LRESULT proc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void command(int id, int code, HWND control) override;
    int defaultButton() const override;
    int cancelButton() const override;

    // BrowseView
    std::vector<std::string> mountPoints() const override { return m_mountPoints; }
    std::string shownMountPoint() const override;
    void showMountPoint(const std::string& mountPoint) override;
    std::string openFolder() const override { return m_openFolder; }
    int setOpenFolder(const std::string& folder) override;
    void listFiles(const std::string& folder) override;
    std::string fileFolder() const override { return m_fileFolder; }
    std::string highlightedFile() const override;
    void setFileListEnabled(bool enabled) override;
    void hideDialog(bool selected) override;
    MessageBox::Answer showMessage(const MessageBox& box) override;

    void loadVolumes();
    // Lists the open folder again; `highlight` names the sub-folder to highlight.
    int fillFolders(const std::string& highlight);
    void fillFiles(const std::string& highlight);
    void drawFolderRow(const DRAWITEMSTRUCT& item) const;

    std::unique_ptr<platform::VolumeSource> m_volumes;
    BrowseLogic m_logic;
    std::vector<std::string> m_mountPoints;
    std::string m_openFolder;
    std::vector<FolderRow> m_rows;
    std::string m_fileFolder;
    std::vector<std::string> m_files;
    bool m_shownBefore = false;
    bool m_done = true;
};

}  // namespace orvalen::ui::win32
