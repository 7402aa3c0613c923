// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/logic/MessageBoxes.h"
#include "ui/logic/PathFields.h"

namespace orvalen {
struct mdlMain;
namespace platform {
class VolumeSource;
}
}  // namespace orvalen

namespace orvalen::ui {

// Only a source file is picked from the file list; for a folder source or a
// destination it stays visible but cannot be used.
bool FileListEnabled(bool addingFile, bool browsingDestination);

// One row of the folder list: the open folder's ancestors from the root down
// to it, each a level further in, then its sub-folders one level deeper.
struct FolderRow {
    std::string text;  // the name as stored (the root: its full path)
    std::string path;  // the full path the row opens
    int level = 0;
    bool open = false;  // an ancestor or the open folder itself
};
// `subFolders` come sorted as people sort names.
std::vector<FolderRow> FolderRows(const std::string& openFolder, const std::vector<std::string>& subFolders);
// The row highlighted after listing: the sub-folder named `name`, else the open folder.
std::size_t HighlightedRow(const std::vector<FolderRow>& rows, const std::string& name);

// The mount point of the volume holding `folder`: the longest that contains
// it; empty when none does.
std::string VolumeOf(const std::string& folder, const std::vector<std::string>& mountPoints);

// What the browse dialog's toolkit shows: its three lists.
class BrowseView : public MessagePresenter {
public:
    // Drive1: the mount points it lists, the one it shows, and showing another
    // without running the drive change.
    virtual std::vector<std::string> mountPoints() const = 0;
    virtual std::string shownMountPoint() const = 0;
    virtual void showMountPoint(const std::string& mountPoint) = 0;
    // Dir1: the open folder; opening another lists it (and runs Dir1_Change
    // when it differs) and returns 0 or the failure number of the listing.
    virtual std::string openFolder() const = 0;
    virtual int setOpenFolder(const std::string& folder) = 0;
    // File1: the folder listed and its highlighted file's name (empty: none).
    virtual void listFiles(const std::string& folder) = 0;
    virtual std::string fileFolder() const = 0;
    virtual std::string highlightedFile() const = 0;
    virtual void setFileListEnabled(bool enabled) = 0;
    // Hides the dialog, Select or Cancel.
    virtual void hideDialog(bool selected) = 0;
};

// The browse dialog's events, with the program-wide flags.
class BrowseLogic {
public:
    BrowseLogic(mdlMain& shared, BrowseView& view, platform::VolumeSource& volumes, PathFields& fields);

    void Form_Activate();
    // A drive chosen in Drive1: opens the folder last used on it in this run,
    // else its root; a drive that is not ready asks Retry or Cancel.
    void Drive1_Change();
    // The open folder changed: File1 lists it, and Drive1 follows to its volume.
    void Dir1_Change();
    // Writes the chosen path into one of the editor's fields and hides the
    // dialog; a file source with no file highlighted only asks for one.
    void cmdSelect_Click();
    void cmdCancel_Click();

private:
    void openOnVolume(const std::string& mountPoint);

    mdlMain& m_shared;
    BrowseView& m_view;
    platform::VolumeSource& m_volumes;
    PathFields& m_fields;
    std::map<std::string, std::string> m_lastFolder;  // per mount point, for this run
    bool m_inDriveChange = false;
};

}  // namespace orvalen::ui
