// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

#include "ui/logic/Layout.h"

class QWidget;

namespace orvalen::ui {

// Fits and places the children of `window` (found by their object names) as
// `layout` has them, and gives the window the table's client size. Frames
// hold their controls, so boxes are measured from the frame.
void LayOutWindow(QWidget& window, const WindowLayout& layout);

}  // namespace orvalen::ui
