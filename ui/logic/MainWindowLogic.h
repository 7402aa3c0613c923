// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/logic/MessageBoxes.h"
#include "ui/logic/PathFields.h"

namespace orvalen {
struct mdlMain;
}

namespace orvalen::ui {

// The main window's buttons, in the order of its tab chain.
enum class MainButton {
    cmdStart,
    cmdAddFile,
    cmdAddFolder,
    cmdEditItem,
    cmdDeleteItem,
    cmdBrowseSource,
    cmdBrowseDestination,
    cmdOK,
    cmdCancel,
    cmdStop,
};
inline constexpr std::size_t kMainButtonCount = 10;

// What a mode sets: the buttons it enables or disables. A button the mode
// does not name keeps its state.
using ButtonStates = std::vector<std::pair<MainButton, bool>>;

// List mode: the editor's buttons off, the two Add buttons on, and with a
// non-empty list Edit, Delete and Start on.
ButtonStates Mode1States(int rowCount);
// Entry mode: the editor's buttons on, the list's off.
ButtonStates Mode2States();

// Which button a key presses, as a dialog's default and cancel buttons
// would: Esc presses Stop, Enter presses a focused button other than Start
// for itself and Start otherwise. Nothing when that button is disabled.
enum class DialogKey { Enter, Escape };
std::optional<MainButton> DefaultKeyTarget(DialogKey key, std::optional<MainButton> focused,
                                           const std::array<bool, kMainButtonCount>& enabled);

// What the main window shows and does for the editor, in its toolkit.
// Paths are the file system's bytes.
class MainWindowView : public MessagePresenter, public PathFields {
public:
    virtual void setButtonEnabled(MainButton button, bool enabled) = 0;
    virtual std::string sourcePath() const = 0;       // lblSourcePath
    virtual std::string destinationPath() const = 0;  // lblDestinationPath
    // The item list as the list boxes show it; every change goes through here
    // so that the boxes follow.
    virtual int rowCount() const = 0;
    virtual int selectedRow() const = 0;  // -1: none
    virtual bool appendItem(const std::string& source, const std::string& destination, bool isFile) = 0;
    virtual void replaceItem(int row, const std::string& source, const std::string& destination) = 0;
    virtual void removeItem(int row) = 0;
    // The browse dialog, modal; it writes the path fields itself.
    virtual void showBrowseDialog() = 0;
};

// The entry editor of the main window: its modes and its buttons, with the
// program-wide flags.
class MainWindowLogic {
public:
    MainWindowLogic(mdlMain& shared, MainWindowView& view);

    void Mode1();
    void Mode2();
    void NoItemSelected();
    std::int16_t EditedRow() const { return m_editedRow; }

    void cmdAddFile_Click();
    void cmdAddFolder_Click();
    void cmdEditItem_Click();
    void cmdDeleteItem_Click();
    void cmdBrowseSource_Click();
    void cmdBrowseDestination_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void apply(const ButtonStates& states);
    void warn(const char* text);

    mdlMain& m_shared;
    MainWindowView& m_view;
    std::int16_t m_editedRow = 0;
};

}  // namespace orvalen::ui
