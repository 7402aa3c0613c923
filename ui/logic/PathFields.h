// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvalen::ui {

// The entry editor's two path fields (lblSourcePath, lblDestinationPath),
// which the browse dialog writes. Paths are the file system's bytes.
class PathFields {
public:
    virtual ~PathFields() = default;
    virtual void setSourcePath(const std::string& path) = 0;
    virtual void setDestinationPath(const std::string& path) = 0;
};

}  // namespace orvalen::ui
