// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

#include "platform/VolumeSource.h"

namespace orvalen {
struct mdlMain;
}

namespace orvalen::ui {

class PathFields;
class frmBrowse;

// Holds the one browse dialog of the run: made at its first showing, then
// only hidden and shown again, so it keeps its drive, folder and file.
class BrowseLauncher {
public:
    using VolumeSourceFactory = std::function<std::unique_ptr<platform::VolumeSource>()>;

    BrowseLauncher(mdlMain& shared, PathFields& fields,
                   VolumeSourceFactory makeVolumes = &platform::MakeSystemVolumeSource);
    ~BrowseLauncher();

    // Shows the dialog application-modally and returns when it hides itself.
    void show();

    // The dialog, made on first use.
    frmBrowse& dialog();
    // The dialog, or nullptr before its first use.
    frmBrowse* existing() const { return m_dialog.get(); }

private:
    mdlMain& m_shared;
    PathFields& m_fields;
    VolumeSourceFactory m_makeVolumes;
    std::unique_ptr<frmBrowse> m_dialog;
};

}  // namespace orvalen::ui
