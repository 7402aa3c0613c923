// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/FileSystemText.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <numeric>

#include "core/PathText.h"

namespace orvalen::ui {

QStringList SortedForPeople(const std::vector<std::string>& names) {
    // The C locale collates by code point ("B" before "a", "10" before "2"),
    // which no one expects of a file list; English rules stand in for it.
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);

    QStringList texts;
    texts.reserve(static_cast<qsizetype>(names.size()));
    // One sort key per name: comparing keys is far cheaper than collating the
    // texts again at every comparison, which matters for folders of 10,000.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const std::string& name : names) {
        texts << NameFromFileSystem(name);
        keys.push_back(collator.sortKey(texts.back()));
    }
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Stable, so names equal to the collator keep their byte order.
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });

    QStringList sorted;
    sorted.reserve(texts.size());
    for (std::size_t i : order) sorted << texts[static_cast<qsizetype>(i)];
    return sorted;
}

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscapedByte(char16_t unit) { return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF; }

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

QString NameFromFileSystem(const std::string& name) {
    QString text;
    text.reserve(static_cast<qsizetype>(name.size()));
    for (std::size_t at = 0; at < name.size();) {
        char32_t code = 0;
        const std::size_t length = path::Utf8SequenceAt(name, at, code);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(name[at])));
            ++at;
        } else {
            text += QString::fromUcs4(&code, 1);
            at += length;
        }
    }
    return text;
}

std::string NameToFileSystem(const QString& name) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(name.size()));
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name.at(i).unicode();
        if (IsEscapedByte(unit)) {
            bytes += static_cast<char>(unit - kEscapeBase);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, name.at(i + 1).unicode()));
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            AppendUtf8(bytes, 0xFFFD);  // no name decodes to this; keep the output valid
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

QString ShownName(const QString& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString shown;
    shown.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            // A real character beyond the first plane, whose second half may
            // look like an escaped byte.
            shown += name.mid(i, 2);
            ++i;
            continue;
        }
        const int byte = IsEscapedByte(unit) ? unit - kEscapeBase : (unit < 0x20 || unit == 0x7F ? unit : -1);
        if (byte < 0) {
            shown += name.at(i);
            continue;
        }
        shown += QLatin1String("\\x");
        shown += QLatin1Char(kHex[byte >> 4]);
        shown += QLatin1Char(kHex[byte & 0xF]);
    }
    return shown;
}

QString ShownText(const std::string& bytes) { return ShownName(NameFromFileSystem(bytes)); }

QString JoinPath(const QString& folder, const QString& name) {
    return NameFromFileSystem(path::Join(NameToFileSystem(folder), NameToFileSystem(name)));
}

bool EndsWithSeparator(const QString& path) { return path::EndsWithSeparator(NameToFileSystem(path)); }

}  // namespace orvalen::ui
