// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/DesignColours.h"

namespace orvalen::ui::DesignColours {

namespace {

QColor halfWay(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red() + 1) / 2, (a.green() + b.green() + 1) / 2,
                  (a.blue() + b.blue() + 1) / 2);
}

// The light end is the light shade on a light palette, the text on a dark one.
QColor lightEnd(const QPalette& palette) {
    const QColor light = palette.color(QPalette::Light);
    const QColor text = palette.color(QPalette::WindowText);
    return light.lightness() >= text.lightness() ? light : text;
}

}  // namespace

QColor InstructionsHeading(const QPalette& palette) { return palette.color(QPalette::Link); }

QColor InstructionsMaker(const QPalette& palette) {
    return halfWay(palette.color(QPalette::Link), lightEnd(palette));
}

QColor AboutText(const QPalette& palette) { return palette.color(QPalette::WindowText); }

QColor EtchShadow(const QPalette& palette) {
    return halfWay(palette.color(QPalette::WindowText), palette.color(QPalette::Light));
}

QColor EtchLight(const QPalette& palette) { return palette.color(QPalette::Light); }

}  // namespace orvalen::ui::DesignColours
