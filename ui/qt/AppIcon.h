// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

namespace orvalen::ui {

// The application icon: a folder with a circular arrow that puts its file back.
// Holds the 32 x 32 and 80 x 80 images; the SVG is kept for other sizes.
QIcon AppIcon();

// Resource paths of the icon's files.
inline const QString kIcon32 = QStringLiteral(":/orvalen-32.png");
inline const QString kIcon80 = QStringLiteral(":/orvalen-80.png");

}  // namespace orvalen::ui
