// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/logic/BrowseLogic.h"

#include <exception>

#include "core/PathText.h"
#include "core/RuntimeError.h"
#include "core/mdlMain.h"
#include "platform/VolumeSource.h"

namespace orvalen::ui {

bool FileListEnabled(bool addingFile, bool browsingDestination) { return addingFile && !browsingDestination; }

std::vector<FolderRow> FolderRows(const std::string& openFolder, const std::vector<std::string>& subFolders) {
    std::vector<FolderRow> rows;
    // The root: "/" here, a drive's "C:\" on Windows.
    const std::size_t first = openFolder.find(path::kSeparator);
    const std::string root = first == std::string::npos ? openFolder + path::kSeparator
                                                        : openFolder.substr(0, first + 1);
    rows.push_back({root, root, 0, true});
    std::string walked = root;
    for (std::size_t at = root.size(); at < openFolder.size();) {
        std::size_t end = openFolder.find(path::kSeparator, at);
        if (end == std::string::npos) end = openFolder.size();
        if (end > at) {
            const std::string part = openFolder.substr(at, end - at);
            walked = path::Join(walked, part);
            rows.push_back({part, walked, rows.back().level + 1, true});
        }
        at = end + 1;
    }
    const int level = rows.back().level + 1;
    for (const std::string& name : subFolders) rows.push_back({name, path::Join(walked, name), level, false});
    return rows;
}

std::size_t HighlightedRow(const std::vector<FolderRow>& rows, const std::string& name) {
    std::size_t openRow = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].open) openRow = i;
        else if (!name.empty() && rows[i].text == name) return i;
    }
    return openRow;
}

std::string VolumeOf(const std::string& folder, const std::vector<std::string>& mountPoints) {
    std::string best;
    for (const std::string& mountPoint : mountPoints)
        if (path::IsAtOrBelow(folder, mountPoint) && mountPoint.size() > best.size()) best = mountPoint;
    return best;
}

BrowseLogic::BrowseLogic(mdlMain& shared, BrowseView& view, platform::VolumeSource& volumes, PathFields& fields)
    : m_shared(shared), m_view(view), m_volumes(volumes), m_fields(fields) {}

void BrowseLogic::Form_Activate() {
    m_view.setFileListEnabled(FileListEnabled(m_shared.AddingFile, m_shared.BrowsingDestination));
}

void BrowseLogic::Drive1_Change() {
    // A change made while the not-ready message is up is picked up by Retry,
    // which reads Drive1 afresh.
    if (m_inDriveChange) return;
    m_inDriveChange = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_inDriveChange};
    for (;;) {
        const std::string mountPoint = m_view.shownMountPoint();
        try {
            m_volumes.openVolume(mountPoint);
        } catch (const RuntimeError& e) {
            if (e.number() == err::kDeviceUnavailable &&
                m_view.showMessage(MessageBox::RetryCancel(kMsgDriveNotReady)) == MessageBox::Answer::Retry)
                continue;
            return;  // Cancel, or any other failure: both lists stay where they were
        } catch (const std::exception&) {
            return;
        }
        openOnVolume(mountPoint);
        return;
    }
}

void BrowseLogic::openOnVolume(const std::string& mountPoint) {
    // Like a drive's current folder: coming back to a volume reopens the
    // folder last used on it in this run; the first visit opens its root.
    const auto last = m_lastFolder.find(mountPoint);
    if (last != m_lastFolder.end() && last->second != mountPoint) {
        if (m_view.setOpenFolder(last->second) != err::kPathNotFound) return;
        // That folder has gone meanwhile: fall back to the root.
    }
    m_view.setOpenFolder(mountPoint);
}

void BrowseLogic::Dir1_Change() {
    const std::string folder = m_view.openFolder();
    m_view.listFiles(folder);
    const std::string volume = VolumeOf(folder, m_view.mountPoints());
    m_lastFolder[volume] = folder;
    m_view.showMountPoint(volume);
}

void BrowseLogic::cmdSelect_Click() {
    const std::string folder = m_view.openFolder();
    if (m_shared.BrowsingDestination) {
        // A destination always ends with the separator; a root already does.
        m_fields.setDestinationPath(path::EndsWithSeparator(folder) ? folder : folder + path::kSeparator);
    } else if (!m_shared.AddingFile) {
        m_fields.setSourcePath(folder);
    } else {
        const std::string name = m_view.highlightedFile();
        if (name.empty()) {
            m_view.showMessage(MessageBox::Warning(kMsgChooseFile));
            return;
        }
        m_fields.setSourcePath(path::Join(m_view.fileFolder(), name));
    }
    m_view.hideDialog(true);
}

void BrowseLogic::cmdCancel_Click() { m_view.hideDialog(false); }

}  // namespace orvalen::ui
