// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace orvalen::ui {

// The two path fields of the entry editor, as the browse dialog writes them.
// The main window implements it, keeping each field's accessible text current.
class PathCaptions {
public:
    virtual ~PathCaptions() = default;
    virtual void setSourcePathCaption(const QString& path) = 0;       // lblSourcePath
    virtual void setDestinationPathCaption(const QString& path) = 0;  // lblDestinationPath
};

}  // namespace orvalen::ui
