// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>

namespace orvalen::ui {

// The few colours the windows were designed with, taken from the palette so
// that they stay readable on a dark one. On Qt's default light palette each
// gives exactly the designed colour.
namespace DesignColours {

// The Instructions heading, designed pure blue: the palette's link colour.
QColor InstructionsHeading(const QPalette& palette);
// The maker's name in the Instructions window, designed #8080ff: the heading
// colour moved half way towards the palette's light end.
QColor InstructionsMaker(const QPalette& palette);
// The About box's title, maker and notice, designed black: the window text.
QColor AboutText(const QPalette& palette);
// The About box's etched line: a grey line (designed #808080, half way from
// the window text to the light shade) over a light one (designed white).
QColor EtchShadow(const QPalette& palette);
QColor EtchLight(const QPalette& palette);

}  // namespace DesignColours

}  // namespace orvalen::ui
