// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/WideText.h"

#include <windows.h>

namespace orvalen::platform::windows {

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

}  // namespace

std::wstring Wide(std::string_view text) { return ToWide(CP_UTF8, text); }

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length,
                          nullptr, nullptr);
    return out;
}

std::string AnsiToUtf8(std::string_view text) { return Narrow(ToWide(CP_ACP, text)); }

}  // namespace orvalen::platform::windows
