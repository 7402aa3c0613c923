// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include "ui/qt/MessageBoxes.h"

// Answering the real dialogs from a test (message boxes are answered through
// setNextAnswer). The answer is armed before the click that opens the
// window; a poll inside the window's own event loop finds it.
// If the expected window never shows, or the answer fails to close it, the
// helper closes whatever modal widget is left so the test fails instead of
// hanging.
namespace testsupport {

// Closes every modal widget still open (a failed answer must not hang the
// run), and drops message-box answers no box took.
inline void closeLeftoverModals() {
    orvalen::ui::clearNextAnswers();
    for (int guard = 0; guard < 20; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) box->done(QMessageBox::Cancel);
        else modal->close();
        QApplication::processEvents();
    }
}

struct ModalResult {
    bool seen = false;    // a modal widget of the wanted type appeared
    QString text;         // its text, for message boxes
    QString title;        // its window title
    int icon = -1;        // QMessageBox::Icon, for message boxes
    QStringList buttons;  // button texts, for message boxes
    int defaultButton = -1;
};

// Arms `act` for the next modal widget of type T; returns a result filled in
// when it is seen. Gives up after `timeoutMs`, closing any leftover modal.
template <typename T>
std::shared_ptr<ModalResult> answerNextModal(std::function<void(T*)> act, int timeoutMs = 5000) {
    auto result = std::make_shared<ModalResult>();
    auto* poll = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            result->seen = true;
            result->title = w->windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                result->text = box->text();
                result->icon = box->icon();
                for (auto* b : box->buttons()) result->buttons << b->text();
                if (box->defaultButton())
                    result->defaultButton = box->standardButton(box->defaultButton());
            }
            act(w);
            // If the answer did not close the window, do not leave it open.
            QTimer::singleShot(200, qApp, [w = QPointer<QWidget>(w)] {
                if (w && w->isVisible() && QApplication::activeModalWidget() == w) closeLeftoverModals();
            });
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            poll->stop();
            poll->deleteLater();
            closeLeftoverModals();
        }
    });
    poll->start();
    return result;
}

// For steps that must not ask the user anything: while it lives, any modal
// widget that opens is recorded and closed at once, so the step fails its
// check instead of hanging on the box.
class NoModalExpected {
public:
    NoModalExpected() {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            ++m_count;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) m_text = box->text();
            else m_text = modal->windowTitle();
            closeLeftoverModals();
        });
        m_poll.start();
    }
    NoModalExpected(const NoModalExpected&) = delete;
    NoModalExpected& operator=(const NoModalExpected&) = delete;

    int count() const { return m_count; }
    // The text of the last box seen, for the failure message.
    QString text() const { return m_text; }

private:
    QTimer m_poll;
    int m_count = 0;
    QString m_text;
};

}  // namespace testsupport
