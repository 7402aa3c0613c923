// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvalen {

// The number that `text` begins with. Blanks, tabs and line feeds are ignored
// anywhere; an optional sign, digits with at most one ".", an optional exponent
// (E or D); or &H / &O followed by a whole number in hex or octal. Reading stops
// at the first character that cannot continue the number; a text that does not
// begin with one reads as 0. "." is the decimal point whatever the locale.
// Empty when the value is beyond the floating-point range.
std::optional<double> ReadNumber(std::string_view text);

// The interval text as whole milliseconds: seconds times 1000, rounded half to
// even on the decimal digits as typed (0.5015 is a half: 502 ms). Empty when
// it cannot be computed or lies outside the 32-bit range.
std::optional<std::int32_t> IntervalMilliseconds(std::string_view text);

}  // namespace orvalen
