// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "core/UserPrompt.h"
#include "ui/logic/MessageBoxes.h"

class QMessageBox;
class QWidget;

namespace orvalen::ui {

// Shows `box` modally over `parent` and returns the button that closed it.
MessageBox::Answer ShowMessageBox(QWidget* parent, const MessageBox& box);

// The box as it would be shown, not yet shown.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const MessageBox& box);

// What a box answered through setNextAnswer looked like.
struct AnsweredBox {
    bool seen = false;
    QString text;
    QString title;
    int icon = -1;  // QMessageBox::Icon
    QStringList buttons;
    int defaultButton = -1;  // QMessageBox::StandardButton
};

// For tests: the next box is not shown but answered with `answer`, and what
// it would have shown is recorded; `whileShown` runs where the user would act
// with the box up. Answers queue up in the order given.
std::shared_ptr<AnsweredBox> setNextAnswer(MessageBox::Answer answer, std::function<void()> whileShown = {});
// Drops answers that no box took, so they cannot leak into the next test.
void clearNextAnswers();

// The guard's questions as message boxes over `parent`. Once silenced
// (the program is exiting) every question is answered Cancel unseen.
class MessageBoxPrompt : public UserPrompt {
public:
    explicit MessageBoxPrompt(QWidget* parent) : m_parent(parent) {}
    void silence() { m_silenced = true; }

    void warn(const std::string& text) override;
    Answer askRetryCancel(const std::string& text) override;

private:
    QWidget* m_parent;
    bool m_silenced = false;
};

}  // namespace orvalen::ui
