// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvalen {

// The program's title: the main window's caption, the About box's title and
// the title of every message box.
inline constexpr const char* kTitle = "Orvalen";

}  // namespace orvalen
