// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

#include <map>
#include <memory>

#include "platform/VolumeSource.h"

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
// its files. Select writes the chosen path into one of the entry editor's
// path fields, as the shared flags ask, and hides the dialog; it is never
// closed, so one instance keeps its drive, folder and file for the whole run.
class frmBrowse : public QDialog {
    Q_OBJECT

public:
    frmBrowse(mdlMain& shared, PathCaptions& captions,
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
    void Form_Activate();
    void Drive1_Change();
    void Dir1_Change();
    void cmdSelect_Click();
    void cmdCancel_Click();

    void createControls();
    void applyGeometry();
    // Fills Drive1 afresh, keeping the entry it shows when that is still mounted.
    void loadVolumes();
    // Opens the folder last used on the volume at `mountPoint`, else its root.
    void openOnVolume(const QString& mountPoint);
    // The mount point of the volume holding `folder` (the longest that contains it).
    QString volumeOf(const QString& folder) const;
    // Shows `mountPoint` in Drive1 without running the drive change.
    void showVolume(const QString& mountPoint);
    bool askDriveNotReady();

    mdlMain& m_shared;
    PathCaptions& m_captions;
    // Dir1 and File1 read through it; they never do while being destroyed,
    // so it may go before them.
    std::unique_ptr<platform::VolumeSource> m_volumes;

    QLabel* m_Label1 = nullptr;
    QComboBox* m_Drive1 = nullptr;
    QPushButton* m_cmdSelect = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QLabel* m_Label2 = nullptr;
    DirListBox* m_Dir1 = nullptr;
    QLabel* m_Label3 = nullptr;
    FileListBox* m_File1 = nullptr;

    std::map<QString, QString> m_lastFolder;  // per mount point, for this run
    bool m_shownBefore = false;
    bool m_inDriveChange = false;
};

}  // namespace orvalen::ui
