// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace orvalen::ui {

// File-system names as text, in the order a person expects: case ignored and
// digits compared as numbers, so "Photo 2" comes before "photo 10".
QStringList SortedForPeople(const std::vector<std::string>& names);

// Between the file system's bytes and the text the windows hold. A name is
// any bytes but the separator and NUL, and shares written by older clients
// hold names that are not UTF-8, so the way there and back must be exact:
// valid UTF-8 decodes as usual, and every other byte becomes the lone
// surrogate U+DC00 + byte, which no decoded text can contain.
QString NameFromFileSystem(const std::string& name);
std::string NameToFileSystem(const QString& name);

// What a person is shown of such a text: a byte that is not UTF-8, and a
// control character such as a line feed, as \xHH. Never stored or compared.
QString ShownName(const QString& name);
// The same for text that holds file-system bytes, such as a message naming a path.
QString ShownText(const std::string& bytes);

// The windows' own texts, which are UTF-8.
inline QString Utf8Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// `folder`, the separator and `name`, with no doubled separator at a root.
QString JoinPath(const QString& folder, const QString& name);

// True when `path` already ends with the separator (a root such as "/").
bool EndsWithSeparator(const QString& path);

}  // namespace orvalen::ui
