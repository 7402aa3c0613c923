// SPDX-License-Identifier: GPL-3.0-or-later
// The key-value store's parser on hostile text. The input is read twice: as a
// whole store, and (its first line) as one value inside a well-formed store.
// No crash, no hang; a lookup that fails leaves the text empty; a value line
// that is not in the export format reads as False.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/RuntimeError.h"
#include "platform/KeyValueStore.h"
#include "platform/posix/XdgKeyValueStore.h"

namespace {

using orvalen::platform::kHKeyLocalMachine;
using orvalen::platform::XdgKeyValueStore;

const std::string kKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

[[noreturn]] void Finding(const char* what, std::string_view input) {
    std::fprintf(stderr, "%s\ninput: [%.*s]\n", what, static_cast<int>(input.size()), input.data());
    std::abort();
}

struct Lookup {
    bool found = false;
    bool noData = false;  // the value had no data bytes at all
    std::string value;
};

Lookup LookUp(std::string_view store, const std::string& key, const std::string& name) {
    Lookup result;
    result.value = "before";
    try {
        result.found = XdgKeyValueStore::LookUpInText(store, kHKeyLocalMachine, key, name, result.value);
    } catch (const orvalen::RuntimeError& e) {
        if (e.number() != orvalen::platform::kInvalidProcedureCall) Finding("unexpected failure number", store);
        result.noData = true;
    }
    if (!result.found && !result.noData && !result.value.empty()) Finding("False left text behind", store);
    return result;
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// How many bytes a comma-separated list of two-digit hex bytes holds, or
// nothing when the list is not one.
std::optional<std::size_t> ByteListLength(std::string_view list) {
    std::size_t count = 0, digits = 0;
    bool blankAfterDigits = false;
    for (char c : list) {
        if (c == ' ' || c == '\t') {
            blankAfterDigits = digits > 0;
        } else if (IsHex(c)) {
            if (blankAfterDigits || ++digits > 2) return std::nullopt;
        } else if (c == ',') {
            if (digits != 2) return std::nullopt;
            ++count;
            digits = 0;
            blankAfterDigits = false;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 2) return count + 1;
    if (digits == 0 && count == 0) return 0;  // no bytes at all
    return std::nullopt;
}

// Whether `raw` (one value as it stands after the "=") is in the export
// format, and how many data bytes it stores.
std::optional<std::size_t> WellFormed(std::string_view raw) {
    // The key file itself drops any ASCII white space after the "=".
    while (!raw.empty() && std::strchr(" \t\f\r", raw.front()) && raw.front()) raw.remove_prefix(1);
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.remove_suffix(1);
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
        std::size_t bytes = 1;  // stored with its final zero
        for (std::size_t i = 1; i + 1 < raw.size(); ++i, ++bytes) {
            if (raw[i] == '"') return std::nullopt;
            if (raw[i] == '\\') {
                if (i + 2 >= raw.size() || (raw[i + 1] != '\\' && raw[i + 1] != '"')) return std::nullopt;
                ++i;
            }
        }
        return bytes;
    }
    if (raw.substr(0, 6) == "dword:") {
        if (raw.size() != 14) return std::nullopt;
        for (char c : raw.substr(6))
            if (!IsHex(c)) return std::nullopt;
        return 4;
    }
    if (raw.substr(0, 4) == "hex:") return ByteListLength(raw.substr(4));
    if (raw.substr(0, 4) == "hex(") {
        const std::size_t close = raw.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) return std::nullopt;
        for (char c : raw.substr(4, close - 4))
            if (!IsHex(c)) return std::nullopt;
        return ByteListLength(raw.substr(close + 2));
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The whole input as a store, looked up where the About box looks.
    LookUp(input, kKey, "PATH");
    LookUp(input, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO");
    LookUp(input, "software\\microsoft\\shared tools\\msinfo", "");

    // The first line as the one value of a well-formed store.
    const std::string_view line = input.substr(0, input.find_first_of("\r\n"));
    const std::string store = "[HKEY_LOCAL_MACHINE\\" + kKey + "]\nPATH=" + std::string(line) + "\n";
    const Lookup got = LookUp(store, kKey, "PATH");
    const std::optional<std::size_t> bytes = WellFormed(line);
    if (!bytes || *bytes > orvalen::platform::kMaxValueBytes) {
        if (got.found || got.noData) Finding("a value not in the format was read", line);
    } else if (*bytes == 0 && !got.noData) {
        Finding("a value of no data bytes did not fail as such", line);
    }
    return 0;
}
