// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Paths as text. The separator lives here and nowhere else.
namespace orvalen::path {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

inline constexpr std::string_view kSeparatorText{&kSeparator, 1};

// The length of the valid UTF-8 sequence at `at` with its code point, or 0
// when the bytes there are not one (overlong forms, surrogates and values
// above U+10FFFF included). Names need not be UTF-8; this tells where not.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at, char32_t& code);

// Bytes for a person to read in one line: bytes that are not UTF-8 and
// control characters as \xHH, everything else unchanged.
std::string ShownPath(std::string_view bytes);

// True when the path already ends with the separator (a root such as "/" or "C:\").
bool EndsWithSeparator(std::string_view path);

// The path without its last component, from the text alone:
// "/srv/share/new/report.doc" -> "/srv/share/new", "/srv" -> "/", "/" -> "", "" -> "".
std::string GetParentFolderName(std::string_view path);

// `folder` followed by `name`, with a separator between them unless `folder`
// already ends with one.
std::string Join(std::string_view folder, std::string_view name);

// True when `path` is `folder` or lies below it, from the text alone:
// "/srv/share" is below "/srv" and "/", not below "/sr". A folder that ends
// with a separator (a root) holds every path that starts with it.
bool IsAtOrBelow(std::string_view path, std::string_view folder);

// The path without trailing separators; a root keeps its own ("/", "C:\").
std::string TrimTrailingSeparators(std::string_view path);

// What follows the last separator: "/srv/report.doc" -> "report.doc",
// "/srv/" -> "", "name" -> "name".
std::string_view LastComponent(std::string_view path);

}  // namespace orvalen::path
