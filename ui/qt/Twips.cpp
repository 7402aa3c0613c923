// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/Twips.h"

#include <QLabel>

#include <QFontMetrics>
#include <QString>
#include <QWidget>

#include <cmath>

namespace orvalen::ui {

namespace {
// 1% steps keep the window's proportions while never undershooting a fit.
constexpr double kGrowStep = 1.01;
constexpr int kMaxSteps = 400;  // about 53 times the start: plenty for any font
}  // namespace

TwipsScale::TwipsScale(double logicalDpi)
    : m_factor((logicalDpi > 0 ? logicalDpi : 96.0) / kTwipsPerInch) {}

TwipsScale TwipsScale::forWidget(const QWidget& widget) {
    return TwipsScale(widget.logicalDpiY());
}

int TwipsScale::px(int twips) const {
    return static_cast<int>(std::lround(twips * m_factor));
}

QPoint TwipsScale::point(int left, int top) const { return {px(left), px(top)}; }

QSize TwipsScale::size(int width, int height) const { return {px(width), px(height)}; }

QRect TwipsScale::rect(int left, int top, int width, int height) const {
    // Edges are rounded, not the extent, so neighbours placed edge to edge in
    // twips stay edge to edge in pixels.
    const int l = px(left);
    const int t = px(top);
    return QRect(l, t, px(left + width) - l, px(top + height) - t);
}

void TwipsScale::fitText(const QFontMetrics& metrics, const QString& text, int widthTwips,
                         int heightTwips, int flags, QSize padding) {
    for (int step = 0; step < kMaxSteps; ++step) {
        const int w = px(widthTwips) - padding.width();
        const int h = px(heightTwips) - padding.height();
        if (w > 0) {
            const QRect need = metrics.boundingRect(QRect(0, 0, w, 1 << 20), flags, text);
            if (need.width() <= w && (heightTwips == 0 || need.height() <= h)) return;
        }
        m_factor *= kGrowStep;
    }
}

void TwipsScale::fitSize(QSize pixels, int widthTwips, int heightTwips) {
    for (int step = 0; step < kMaxSteps; ++step) {
        const bool wide = pixels.width() <= 0 || pixels.width() <= px(widthTwips);
        const bool high = pixels.height() <= 0 || pixels.height() <= px(heightTwips);
        if (wide && high) return;
        m_factor *= kGrowStep;
    }
}

void TwipsScale::place(QWidget* widget, int left, int top, int width, int height) const {
    widget->setGeometry(rect(left, top, width, height));
}

void TwipsScale::placeSized(QLabel* label, int left, int top) const {
    label->move(point(left, top));
    label->adjustSize();
}

}  // namespace orvalen::ui
