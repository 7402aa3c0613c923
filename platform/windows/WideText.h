// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// The program keeps every text in UTF-8; Windows names files in UTF-16.
namespace orvalen::platform::windows {

// UTF-8 to UTF-16 and back. Bytes that are not UTF-8 become U+FFFD: such a
// name cannot come from Windows, so it names nothing there either.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

// Text in the system's ANSI code page (the registry's "A" calls) to UTF-8.
std::string AnsiToUtf8(std::string_view text);

}  // namespace orvalen::platform::windows
