// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/RuntimeError.h"

namespace orvalen::platform::windows {

// The program's failure number for a Win32 error code. `notFound` is what a
// missing entry (ERROR_FILE_NOT_FOUND) means at the call site: err::kFileNotFound for a file
// looked up in an existing folder, err::kPathNotFound where a folder on the path is missing.
int RuntimeNumberForWin32Error(unsigned long code, int notFound = err::kPathNotFound);

// A RuntimeError carrying the number, the system's own text and the path.
RuntimeError ErrorFromWin32(unsigned long code, const std::string& what, const std::string& path,
                            int notFound = err::kPathNotFound);

// The same for the calling thread's last error.
RuntimeError LastWin32Error(const std::string& what, const std::string& path,
                            int notFound = err::kPathNotFound);

}  // namespace orvalen::platform::windows
