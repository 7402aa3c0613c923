// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

#include <deque>
#include <utility>

#include "core/AppTitle.h"
#include "ui/qt/FileSystemText.h"
#include "ui/qt/TitleBarButtons.h"

namespace orvalen::ui {

namespace {

struct Armed {
    MessageBox::Answer answer;
    std::shared_ptr<AnsweredBox> record;
    std::function<void()> whileShown;
};
std::deque<Armed>& armedAnswers() {
    static std::deque<Armed> answers;
    return answers;
}

MessageBox::Answer fromButton(QMessageBox::StandardButton button, MessageBox::Buttons buttons) {
    if (button == QMessageBox::Retry) return MessageBox::Answer::Retry;
    if (button == QMessageBox::Ok) return MessageBox::Answer::Ok;
    // The close box of an OK box answers OK.
    return buttons == MessageBox::Buttons::Ok ? MessageBox::Answer::Ok : MessageBox::Answer::Cancel;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const MessageBox& box) {
    const bool retry = box.buttons == MessageBox::Buttons::RetryCancel;
    auto shown = std::make_unique<QMessageBox>(
        box.icon == MessageBox::Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
        QString::fromLatin1(kTitle), ShownText(box.text),
        retry ? QMessageBox::Retry | QMessageBox::Cancel : QMessageBox::Ok, parent);
    KeepCloseBoxOnly(*shown);
    shown->setDefaultButton(retry ? QMessageBox::Retry : QMessageBox::Ok);
    shown->setEscapeButton(retry ? QMessageBox::Cancel : QMessageBox::Ok);
    return shown;
}

MessageBox::Answer ShowMessageBox(QWidget* parent, const MessageBox& box) {
    const std::unique_ptr<QMessageBox> shown = MakeMessageBox(parent, box);
    if (!armedAnswers().empty()) {
        const Armed next = armedAnswers().front();
        armedAnswers().pop_front();
        AnsweredBox& record = *next.record;
        record.seen = true;
        record.text = shown->text();
        record.title = shown->windowTitle();
        record.icon = shown->icon();
        for (const QAbstractButton* b : shown->buttons()) record.buttons << b->text();
        if (shown->defaultButton()) record.defaultButton = shown->standardButton(shown->defaultButton());
        if (next.whileShown) next.whileShown();
        return next.answer;
    }
    shown->exec();
    return fromButton(shown->standardButton(shown->clickedButton()), box.buttons);
}

std::shared_ptr<AnsweredBox> setNextAnswer(MessageBox::Answer answer, std::function<void()> whileShown) {
    auto record = std::make_shared<AnsweredBox>();
    armedAnswers().push_back({answer, record, std::move(whileShown)});
    return record;
}

void clearNextAnswers() { armedAnswers().clear(); }

void MessageBoxPrompt::warn(const std::string& text) {
    if (!m_silenced) ShowMessageBox(m_parent, MessageBox::Warning(text));
}

UserPrompt::Answer MessageBoxPrompt::askRetryCancel(const std::string& text) {
    if (m_silenced) return Answer::Cancel;
    return ShowMessageBox(m_parent, MessageBox::RetryCancel(text)) == MessageBox::Answer::Retry ? Answer::Retry
                                                                                                : Answer::Cancel;
}

}  // namespace orvalen::ui
