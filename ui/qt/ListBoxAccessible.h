// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvalen::ui {

// lstSource and lstDestination show two columns of one model. Qt's own list
// accessibility reads column 0 whatever the view shows, so a screen reader
// would announce source paths in Destinations. This installs (once) an
// accessibility factory that gives those two boxes a list interface of their
// own: one row per item, named by the column the box shows, selected as the
// box is, counted as the box counts.
void InstallListBoxAccessible();

}  // namespace orvalen::ui
