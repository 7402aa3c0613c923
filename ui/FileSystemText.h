#pragma once

#include <QStringList>

#include <string>
#include <vector>

namespace orvalen::ui {

// File-system names as text, in the order a person expects: case ignored and
// digits compared as numbers, so "Photo 2" comes before "photo 10".
QStringList SortedForPeople(const std::vector<std::string>& names);

// Between the file system's bytes and the text the windows show.
QString NameFromFileSystem(const std::string& name);
std::string NameToFileSystem(const QString& name);

// `folder`, the separator and `name`, with no doubled separator at a root.
QString JoinPath(const QString& folder, const QString& name);

// True when `path` already ends with the separator (a root such as "/").
bool EndsWithSeparator(const QString& path);

}  // namespace orvalen::ui
