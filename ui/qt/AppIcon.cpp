// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/AppIcon.h"

#include <QtGlobal>

// The icon's resources live in this static library; a program links only what
// it references, so the resources are registered from here, at first use.
static void registerIconResources() { Q_INIT_RESOURCE(orvalen); }

namespace orvalen::ui {

QIcon AppIcon() {
    static const bool registered = (registerIconResources(), true);
    Q_UNUSED(registered);
    QIcon icon;
    icon.addFile(kIcon32, QSize(32, 32));
    icon.addFile(kIcon80, QSize(80, 80));
    return icon;
}

}  // namespace orvalen::ui
