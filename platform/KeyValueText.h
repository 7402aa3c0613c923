// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvalen::platform {

// Turns the raw data of a stored value into the text GetKeyValue hands back,
// the same on every OS. A final zero byte is dropped; then a text value is
// taken one character per byte, a 32-bit number becomes "&h" and its kept
// bytes from last to first in upper-case hex, and any other type leaves
// `KeyVal` untouched. No data bytes at all throws RuntimeError(5).
void ValueDataToText(std::uint32_t type, const std::vector<unsigned char>& data,
                     std::string& KeyVal);

}  // namespace orvalen::platform
