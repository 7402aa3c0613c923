// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/PathText.h"

#include <algorithm>

namespace orvalen::path {

namespace {

// Length of the root at the start of the path ("/" here, "C:\" on Windows), or 0.
std::size_t RootLength(std::string_view path) {
#ifdef _WIN32
    if (path.size() >= 3 && path[1] == ':' && path[2] == kSeparator) return 3;
    if (path.size() >= 1 && path[0] == kSeparator) return 1;
    return 0;
#else
    return (!path.empty() && path[0] == kSeparator) ? 1 : 0;
#endif
}

}  // namespace

std::size_t Utf8SequenceAt(std::string_view s, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    std::size_t length;
    char32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (at + length > s.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

std::string ShownPath(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        const std::size_t length = Utf8SequenceAt(bytes, at, code);
        if (length != 0 && code >= 0x20 && code != 0x7F) {
            shown.append(bytes.substr(at, length));
            at += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        shown += "\\x";
        shown += kHex[byte >> 4];
        shown += kHex[byte & 0xF];
    }
    return shown;
}

bool EndsWithSeparator(std::string_view path) {
    return !path.empty() && path.back() == kSeparator;
}

std::string GetParentFolderName(std::string_view path) {
    const std::size_t root = RootLength(path);
    // A root has no parent; neither has the empty text.
    if (path.size() <= root) return {};

    // A trailing separator does not make a component of its own.
    std::size_t end = path.size();
    while (end > root && path[end - 1] == kSeparator) --end;
    if (end == root) return {};

    std::size_t cut = path.rfind(kSeparator, end - 1);
    if (cut == std::string_view::npos) return {};  // a bare name has no parent
    if (cut < root) return std::string(path.substr(0, root));
    while (cut > root && path[cut - 1] == kSeparator) --cut;
    return std::string(path.substr(0, cut < root ? root : cut));
}

std::string Join(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!EndsWithSeparator(folder)) out += kSeparator;
    out += name;
    return out;
}

bool IsAtOrBelow(std::string_view path, std::string_view folder) {
    if (path.substr(0, folder.size()) != folder) return false;
    return path.size() == folder.size() || EndsWithSeparator(folder) || path[folder.size()] == kSeparator;
}

std::string TrimTrailingSeparators(std::string_view path) {
    const std::size_t keep = std::max<std::size_t>(RootLength(path), 1);
    std::size_t end = path.size();
    while (end > keep && path[end - 1] == kSeparator) --end;
    return std::string(path.substr(0, end));
}

std::string_view LastComponent(std::string_view path) {
    const std::size_t cut = path.rfind(kSeparator);
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace orvalen::path
