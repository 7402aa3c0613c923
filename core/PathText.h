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

// True when the path already ends with the separator (a root such as "/" or "C:\").
bool EndsWithSeparator(std::string_view path);

// The path without its last component, from the text alone:
// "/srv/share/new/report.doc" -> "/srv/share/new", "/srv" -> "/", "/" -> "", "" -> "".
std::string GetParentFolderName(std::string_view path);

// `folder` followed by `name`, with a separator between them unless `folder`
// already ends with one.
std::string Join(std::string_view folder, std::string_view name);

}  // namespace orvalen::path
