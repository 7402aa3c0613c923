// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "platform/VolumeSource.h"
#include "ui/logic/BrowseLogic.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace orvalen {
struct mdlMain;
}

namespace orvalen::ui {

class DirListBox;
class FileListBox;
class PathCaptions;

// The browse dialog: a drive list, a folder list and a file list, linked so
// that a drive change opens a folder on that drive and a folder change lists
// its files. What its events do is BrowseLogic's; this dialog shows it. It is
// never closed, only hidden, so one instance keeps its drive, folder and file
// for the whole run.
class frmBrowse : public QDialog, private BrowseView {
    Q_OBJECT

public:
    frmBrowse(mdlMain& shared, PathFields& fields,
              std::unique_ptr<platform::VolumeSource> volumes = platform::MakeSystemVolumeSource());
    ~frmBrowse() override;

    QComboBox* Drive1() const { return m_Drive1; }
    DirListBox* Dir1() const { return m_Dir1; }
    FileListBox* File1() const { return m_File1; }
    QPushButton* cmdSelect() const { return m_cmdSelect; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // BrowseView
    std::vector<std::string> mountPoints() const override;
    std::string shownMountPoint() const override;
    void showMountPoint(const std::string& mountPoint) override;
    std::string openFolder() const override;
    int setOpenFolder(const std::string& folder) override;
    void listFiles(const std::string& folder) override;
    std::string fileFolder() const override;
    std::string highlightedFile() const override;
    void setFileListEnabled(bool enabled) override;
    void hideDialog(bool selected) override;
    MessageBox::Answer showMessage(const MessageBox& box) override;

    void createControls();
    // Fills Drive1 afresh, keeping the entry it shows when that is still mounted.
    void loadVolumes();

    // Dir1 and File1 read through it; they never do while being destroyed,
    // so it may go before them.
    std::unique_ptr<platform::VolumeSource> m_volumes;
    BrowseLogic m_logic;

    QLabel* m_Label1 = nullptr;
    QComboBox* m_Drive1 = nullptr;
    QPushButton* m_cmdSelect = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QLabel* m_Label2 = nullptr;
    DirListBox* m_Dir1 = nullptr;
    QLabel* m_Label3 = nullptr;
    FileListBox* m_File1 = nullptr;

    bool m_shownBefore = false;
};

}  // namespace orvalen::ui
