// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/PathLabel.h"

#include <QPainter>

#include "ui/qt/FileSystemText.h"

namespace orvalen::ui {

namespace {
constexpr int kWrapFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
}

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QString PathLabel::fittedText(const QFontMetrics& metrics, const QString& path, const QRect& rect) {
    auto fits = [&](const QString& text) {
        return metrics.boundingRect(rect, kWrapFlags, text).height() <= rect.height();
    };
    if (fits(path)) return path;
    // Shorten from the middle: the start tells the place, the end the item.
    const QChar ellipsis(0x2026);
    for (qsizetype keep = path.size() - 1; keep > 1; --keep) {
        const qsizetype head = keep / 2;
        const QString text = path.left(head) + ellipsis + path.right(keep - head);
        if (fits(text)) return text;
    }
    return QString(ellipsis);
}

void PathLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   foregroundRole()));
    painter.drawText(area, kWrapFlags, fittedText(fontMetrics(), ShownName(text()), area));
}

}  // namespace orvalen::ui
