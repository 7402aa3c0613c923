// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/logic/MainWindowLogic.h"

#include "core/mdlMain.h"

namespace orvalen::ui {

ButtonStates Mode1States(int rowCount) {
    ButtonStates states = {{MainButton::cmdBrowseSource, false}, {MainButton::cmdBrowseDestination, false},
                           {MainButton::cmdOK, false},           {MainButton::cmdCancel, false},
                           {MainButton::cmdAddFile, true},       {MainButton::cmdAddFolder, true}};
    // An empty list leaves them as they are: Delete turned them off already.
    if (rowCount > 0)
        for (MainButton b : {MainButton::cmdEditItem, MainButton::cmdDeleteItem, MainButton::cmdStart})
            states.emplace_back(b, true);
    return states;
}

ButtonStates Mode2States() {
    return {{MainButton::cmdBrowseSource, true}, {MainButton::cmdBrowseDestination, true},
            {MainButton::cmdOK, true},           {MainButton::cmdCancel, true},
            {MainButton::cmdAddFile, false},     {MainButton::cmdAddFolder, false},
            {MainButton::cmdEditItem, false},    {MainButton::cmdDeleteItem, false}};
}

std::optional<MainButton> DefaultKeyTarget(DialogKey key, std::optional<MainButton> focused,
                                           const std::array<bool, kMainButtonCount>& enabled) {
    MainButton target = MainButton::cmdStart;
    if (key == DialogKey::Escape) target = MainButton::cmdStop;
    else if (focused) target = *focused;
    if (!enabled[static_cast<std::size_t>(target)]) return std::nullopt;
    return target;
}

MainWindowLogic::MainWindowLogic(mdlMain& shared, MainWindowView& view) : m_shared(shared), m_view(view) {}

void MainWindowLogic::apply(const ButtonStates& states) {
    m_view.setSourcePath({});
    m_view.setDestinationPath({});
    for (const auto& [button, enabled] : states) m_view.setButtonEnabled(button, enabled);
}

void MainWindowLogic::Mode1() { apply(Mode1States(m_view.rowCount())); }

void MainWindowLogic::Mode2() { apply(Mode2States()); }

void MainWindowLogic::warn(const char* text) { m_view.showMessage(MessageBox::Warning(text)); }

void MainWindowLogic::NoItemSelected() { warn(kMsgNoItemSelected); }

void MainWindowLogic::cmdAddFile_Click() {
    m_shared.AddingFile = true;
    Mode2();
}

void MainWindowLogic::cmdAddFolder_Click() {
    m_shared.AddingFile = false;
    Mode2();
}

void MainWindowLogic::cmdEditItem_Click() {
    const int row = m_view.selectedRow();
    if (row < 0) {
        NoItemSelected();
        return;
    }
    Mode2();
    m_shared.EditingItem = true;
    m_editedRow = static_cast<std::int16_t>(row);
    // The browse dialog offers what the edited row holds, a file or a folder.
    m_shared.AddingFile = m_shared.Items.ItemIsFile(row);
    m_view.setSourcePath(m_shared.Items.source(row));
    m_view.setDestinationPath(m_shared.Items.destination(row));
}

void MainWindowLogic::cmdDeleteItem_Click() {
    const int row = m_view.selectedRow();
    if (row < 0) {
        NoItemSelected();
        return;
    }
    m_view.removeItem(row);
    if (m_view.rowCount() == 0) m_view.setButtonEnabled(MainButton::cmdStart, false);
}

void MainWindowLogic::cmdBrowseSource_Click() {
    m_shared.BrowsingDestination = false;
    m_view.showBrowseDialog();
}

void MainWindowLogic::cmdBrowseDestination_Click() {
    m_shared.BrowsingDestination = true;
    m_view.showBrowseDialog();
}

void MainWindowLogic::cmdOK_Click() {
    const std::string source = m_view.sourcePath();
    const std::string destination = m_view.destinationPath();
    if (source.empty()) {
        warn(kMsgNoSource);
        return;
    }
    if (destination.empty()) {
        warn(kMsgNoDestination);
        return;
    }
    if (!m_shared.EditingItem) {
        if (!m_view.appendItem(source, destination, m_shared.AddingFile)) {
            // The entry stays open, so the user can Cancel, delete and try again.
            warn(kMsgListFull);
            return;
        }
    } else {
        m_view.replaceItem(m_editedRow, source, destination);
    }
    m_shared.EditingItem = false;
    Mode1();
}

void MainWindowLogic::cmdCancel_Click() {
    m_shared.EditingItem = false;
    Mode1();
}

}  // namespace orvalen::ui
