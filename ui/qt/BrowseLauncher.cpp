// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/BrowseLauncher.h"

#include <utility>

#include "ui/qt/frmBrowse.h"

namespace orvalen::ui {

BrowseLauncher::BrowseLauncher(mdlMain& shared, PathFields& fields, VolumeSourceFactory makeVolumes)
    : m_shared(shared), m_fields(fields), m_makeVolumes(std::move(makeVolumes)) {}

BrowseLauncher::~BrowseLauncher() = default;

frmBrowse& BrowseLauncher::dialog() {
    if (!m_dialog) m_dialog = std::make_unique<frmBrowse>(m_shared, m_fields, m_makeVolumes());
    return *m_dialog;
}

void BrowseLauncher::show() {
    frmBrowse& browse = dialog();
    // No owner window: exec() makes a parentless dialog application-modal.
    browse.exec();
}

}  // namespace orvalen::ui
