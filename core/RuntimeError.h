// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace orvalen {

// Failure numbers of the program. Handlers decide by number, so the values
// are part of the program's behaviour and must not change.
namespace err {
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kDiskFull = 61;
inline constexpr int kDeviceUnavailable = 68;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;  // anything the others do not cover
inline constexpr int kPathNotFound = 76;
}  // namespace err

// A failure with its runtime number. `detail` keeps the OS's own words and the
// path involved, for diagnostics; the number alone decides what happens.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& detail)
        : std::runtime_error(detail), m_number(number) {}

    int number() const noexcept { return m_number; }

private:
    int m_number;
};

}  // namespace orvalen
