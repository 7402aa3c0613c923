// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

namespace orvalen::platform {

// Whether a path names an ordinary file: one that exists, is not a folder and
// is not hidden (on POSIX: its name does not start with '.'). Never throws.
class FileProbe {
public:
    virtual ~FileProbe() = default;
    virtual bool IsOrdinaryFile(const std::string& path) = 0;
};

std::unique_ptr<FileProbe> MakeSystemFileProbe();

}  // namespace orvalen::platform
