// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/WindowLayout.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QWidget>

#include <stdexcept>

#include "ui/qt/FileSystemText.h"

namespace orvalen::ui {

namespace {

// The picture box: an 80 x 80 picture and a two-pixel margin, not stretched
// when a large font grows the window.
constexpr int kPictureSide = 84;


class QtWindow : public LayoutMetrics, public LayoutTarget {
public:
    explicit QtWindow(QWidget& window) : m_window(window) {}

    QWidget* widget(const ControlBox& c) const {
        auto* found = m_window.findChild<QWidget*>(Utf8Text(c.name));
        if (!found) throw std::out_of_range("no control " + std::string(c.name));
        return found;
    }

    PixelSize textSize(const ControlBox& c, std::string_view shown, int wrapWidth) const override {
        const QFontMetrics metrics = widget(c)->fontMetrics();
        // A button draws its caption on one line of the font's height.
        if (c.fit == Fit::Button) return {metrics.horizontalAdvance(Utf8Text(shown)), metrics.height()};
        const QRect need = metrics.boundingRect(
            QRect(0, 0, wrapWidth > 0 ? wrapWidth : 1 << 20, 1 << 20), wrapWidth > 0 ? Qt::TextWordWrap : 0,
            Utf8Text(shown));
        return {need.width(), need.height()};
    }

    PixelSize buttonMargin(const ControlBox& c) const override {
        const QStyle* style = widget(c)->style();
        const int margin =
            style->pixelMetric(QStyle::PM_ButtonMargin) + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
        return {margin, margin};
    }

    int naturalHeight(const ControlBox& c) const override { return widget(c)->sizeHint().height(); }

    int lineSpacing(const ControlBox& c) const override { return widget(c)->fontMetrics().lineSpacing(); }

    std::string currentText(const ControlBox& c) const override {
        QWidget* w = widget(c);
        if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
        if (auto* frame = qobject_cast<QGroupBox*>(w)) return frame->title().toStdString();
        return {};
    }

    void place(const ControlBox& c, const PixelRect& box) override {
        if (c.fit == Fit::Picture) {
            widget(c)->setGeometry(box.left, box.top, kPictureSide, kPictureSide);
            return;
        }
        if (c.fit == Fit::EtchedLine) {
            // The grey line of the control array, and the white one right under it.
            for (QFrame* line : m_window.findChildren<QFrame*>(Utf8Text(c.name))) {
                const bool white = line->property("Index").toInt() == 0;
                const int left = box.left + (white ? 1 : 0);
                line->setGeometry(left, box.top + (white ? 1 : 0), box.left + box.width - left, white ? 2 : 1);
            }
            return;
        }
        widget(c)->setGeometry(box.left, box.top, box.width, box.height);
    }

    void placeSized(const ControlBox& c, int left, int top) override {
        QWidget* w = widget(c);
        w->move(left, top);
        w->adjustSize();
    }

private:
    QWidget& m_window;
};

}  // namespace

void LayOutWindow(QWidget& window, const WindowLayout& layout) {
    QtWindow target(window);
    const TwipsScale scale = FitWindow(layout, window.logicalDpiY(), target);
    PlaceWindow(layout, scale, target);
    const PixelSize client = scale.size(layout.width, layout.height);
    window.setFixedSize(client.width, client.height);
}

}  // namespace orvalen::ui
