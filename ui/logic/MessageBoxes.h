// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvalen::ui {

// The program's message boxes, whatever draws them: titled "Orvalen", fixed
// in size with only a close box, OK alone or Retry and Cancel with Retry the
// default and Esc meaning Cancel.
struct MessageBox {
    enum class Icon { None, Exclamation };
    enum class Buttons { Ok, RetryCancel };
    enum class Answer { Ok, Retry, Cancel };

    // May hold file-system bytes (a path in a failure message); the toolkit
    // escapes what is not text when it shows it.
    std::string text;
    Icon icon = Icon::Exclamation;
    Buttons buttons = Buttons::Ok;

    // An exclamation with OK: the entry editor's warnings and the guard's.
    static MessageBox Warning(std::string text) { return {std::move(text), Icon::Exclamation, Buttons::Ok}; }
    // An exclamation with Retry and Cancel.
    static MessageBox RetryCancel(std::string text) {
        return {std::move(text), Icon::Exclamation, Buttons::RetryCancel};
    }
    // OK and no icon.
    static MessageBox Notice(std::string text) { return {std::move(text), Icon::None, Buttons::Ok}; }
};

// Shows a box modally over the window that asks and returns the button that
// closed it (the close box answers as Esc does: OK or Cancel).
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual MessageBox::Answer showMessage(const MessageBox& box) = 0;
};

inline constexpr const char* kMsgNoItemSelected = "Please choose a file/folder from the list.";
inline constexpr const char* kMsgNoSource = "Please specify a source file/folder.";
inline constexpr const char* kMsgNoDestination = "Please specify a destination file/folder.";
inline constexpr const char* kMsgListFull =
    "The list is full: it holds 101 items, the most it can hold.  "
    "Delete an item before you add another.";
inline constexpr const char* kMsgChooseFile = "Please choose a file.";
inline constexpr const char* kMsgDriveNotReady = "The drive you selected is not ready.";
inline constexpr const char* kMsgSysInfoUnavailable = "System Information Is Unavailable At This Time";

}  // namespace orvalen::ui
