// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/RuntimeError.h"

namespace orvalen::platform {

// The program's failure number for an OS error. `notFound` is what a missing
// entry means at the call site: err::kFileNotFound for a file looked up in an existing folder,
// err::kPathNotFound where a folder on the path is missing.
int RuntimeNumberForErrno(int errnoValue, int notFound = err::kPathNotFound);

// A RuntimeError carrying the number, the OS's own text and the path.
RuntimeError ErrorFromErrno(int errnoValue, const std::string& what, const std::string& path,
                            int notFound = err::kPathNotFound);

}  // namespace orvalen::platform
