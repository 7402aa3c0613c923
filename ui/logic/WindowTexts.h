// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace orvalen::ui {

// Texts of the windows that more than one toolkit shows. UTF-8.

inline constexpr std::string_view kMakerName = "Orvalen Team";
inline constexpr std::string_view kDateLine = "Copyright \xC2\xA9 2024 the Orvalen Team";
inline constexpr std::string_view kDisclaimer =
    "Orvalen is provided as is, without warranty of any kind. Use it only on drives and "
    "folders you are allowed to write to. The makers accept no liability for any loss of "
    "data or other damage arising from its use.";

inline constexpr std::string_view kInstructionsA =
    "Using this program you can prevent the deletion of certain files/folders on a shared drive "
    "in your network.  For example you've got a file you want to show to your friends.  So you "
    "copy it to a shared drive in your network, and ask your friends to check it out.  But some "
    "jealous freak keeps on deleting it.  This program will check whether your file exists on "
    "the shared drive, and if not, it recopies the file.  This process is repeated at a defined "
    "interval of time.  So the jealous guy will get tired and stop after a while!";
inline constexpr std::string_view kInstructionsB =
    "Here's how it works:  You give your file/folder's source and destination paths.  You can do "
    "this with several files/folders, each with different sources and destinations.  You can "
    "also choose the interval of time at which the recopying process is repeated.  Then you tell "
    "the program to start running.  You can stop the program at any time.";

// Shown by a path field's accessible name while it is empty.
inline constexpr std::string_view kNoneChosen = "none chosen";

// The main window's menu, in order; "-" is a separator. `menu` is empty for
// a menu of the bar and names the menu an entry belongs to.
struct MenuEntry {
    std::string_view name;
    std::string_view caption;
    std::string_view menu;
    std::string_view shortcut;  // as people write it: "Ctrl+Q", "F1"
};
inline constexpr MenuEntry kMainMenu[] = {
    {"mnuFile", "&File", "", ""},
    {"mnuFileExit", "E&xit", "mnuFile", "Ctrl+Q"},
    {"mnuHelp", "&Help", "", ""},
    {"mnuHelpInstructions", "&Instructions", "mnuHelp", "F1"},
    {"mnuHelpDash", "-", "mnuHelp", ""},
    {"mnuHelpAbout", "&About Orvalen", "mnuHelp", ""},
};

}  // namespace orvalen::ui
