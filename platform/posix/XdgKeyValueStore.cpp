// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/XdgKeyValueStore.h"

#include <glib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/KeyValueText.h"

namespace orvalen::platform {

namespace {

constexpr const char* kStoreFile = "orvalen/registry.ini";
constexpr const char* kDefaultConfigDir = "/etc/xdg";
// The store is a handful of lines; anything far larger is not ours to read.
constexpr std::uintmax_t kMaxStoreBytes = 1024 * 1024;
constexpr const char* kUnnamedValue = "@";
constexpr std::uint32_t kValueTypeBinary = 3;

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
struct StrvFree {
    void operator()(gchar** list) const { g_strfreev(list); }
};
struct GFree {
    void operator()(gchar* text) const { g_free(text); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileFree>;
using StrvPtr = std::unique_ptr<gchar*, StrvFree>;
using GTextPtr = std::unique_ptr<gchar, GFree>;

struct StoredValue {
    std::uint32_t type = 0;
    std::vector<unsigned char> data;
};

const char* RootName(std::uint32_t root) {
    switch (root) {
    case kHKeyCurrentUser: return "HKEY_CURRENT_USER";
    case kHKeyLocalMachine: return "HKEY_LOCAL_MACHINE";
    default: return nullptr;
    }
}

bool Fail(std::string& KeyVal) {
    KeyVal.clear();
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// "text" with \\ and \" as its only escapes; stored with its final zero byte,
// as the registry stores a text value.
bool ParseQuotedText(std::string_view text, std::vector<unsigned char>& data) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
    text = text.substr(1, text.size() - 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') return false;  // an unescaped quote inside
        if (c == '\\') {
            if (i + 1 >= text.size()) return false;
            c = text[++i];
            if (c != '\\' && c != '"') return false;
        }
        data.push_back(static_cast<unsigned char>(c));
    }
    data.push_back(0);
    return true;
}

// Comma-separated bytes of two hex digits each; nothing at all is no bytes.
bool ParseByteList(std::string_view list, std::vector<unsigned char>& data) {
    list = Trim(list);
    if (list.empty()) return true;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view item = Trim(list.substr(0, comma));
        if (item.size() != 2) return false;
        const int high = HexDigit(item[0]);
        const int low = HexDigit(item[1]);
        if (high < 0 || low < 0) return false;
        data.push_back(static_cast<unsigned char>(high * 16 + low));
        if (comma == std::string_view::npos) return true;
        list.remove_prefix(comma + 1);
    }
}

bool ParseStoredValue(std::string_view raw, StoredValue& value) {
    raw = Trim(raw);
    if (!raw.empty() && raw.front() == '"') {
        value.type = kValueTypeText;
        return ParseQuotedText(raw, value.data);
    }
    if (StartsWith(raw, "dword:")) {
        const std::string_view digits = raw.substr(6);
        if (digits.size() != 8) return false;
        std::uint32_t number = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return false;
            number = number * 16 + static_cast<std::uint32_t>(d);
        }
        value.type = kValueTypeNumber32;
        for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<unsigned char>(number >> (8 * i)));
        return true;
    }
    if (StartsWith(raw, "hex:")) {
        value.type = kValueTypeBinary;
        return ParseByteList(raw.substr(4), value.data);
    }
    if (StartsWith(raw, "hex(")) {
        const std::size_t close = raw.find("):");
        if (close == std::string_view::npos) return false;
        const std::string_view digits = raw.substr(4, close - 4);
        if (digits.empty() || digits.size() > 8) return false;
        std::uint32_t type = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return false;
            type = type * 16 + static_cast<std::uint32_t>(d);
        }
        value.type = type;
        return ParseByteList(raw.substr(close + 2), value.data);
    }
    return false;
}

// The registry ignores ASCII case in key and value names.
std::string FindIgnoringCase(gchar** names, const std::string& wanted) {
    for (gchar** name = names; name && *name; ++name)
        if (g_ascii_strcasecmp(*name, wanted.c_str()) == 0) return *name;
    return {};
}

}  // namespace

XdgKeyValueStore::XdgKeyValueStore(std::vector<std::string> configDirs)
    : m_configDirs(std::move(configDirs)) {}

std::vector<std::string> XdgKeyValueStore::ConfigDirsFrom(const char* xdgConfigDirs) {
    if (!xdgConfigDirs || !*xdgConfigDirs) return {kDefaultConfigDir};
    std::vector<std::string> dirs;
    std::string_view list = xdgConfigDirs;
    while (true) {
        const std::size_t colon = list.find(':');
        const std::string_view dir = list.substr(0, colon);
        if (!dir.empty() && dir.front() == '/') dirs.emplace_back(dir);
        if (colon == std::string_view::npos) break;
        list.remove_prefix(colon + 1);
    }
    return dirs;
}

XdgKeyValueStore XdgKeyValueStore::FromEnvironment() {
    return XdgKeyValueStore(ConfigDirsFrom(std::getenv("XDG_CONFIG_DIRS")));
}

std::string XdgKeyValueStore::StorePathIn(const std::string& configDir) {
    std::string path = configDir;
    if (path.empty() || path.back() != '/') path += '/';
    return path + kStoreFile;
}

bool XdgKeyValueStore::GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName,
                                   const std::string& SubKeyRef, std::string& KeyVal) {
    const char* root = RootName(KeyRoot);
    if (!root) return Fail(KeyVal);

    namespace fs = std::filesystem;
    std::error_code ec;
    std::string storePath;
    for (const std::string& dir : m_configDirs) {
        const std::string candidate = StorePathIn(dir);
        if (fs::exists(candidate, ec)) {
            storePath = candidate;
            break;
        }
    }
    if (storePath.empty()) return Fail(KeyVal);

    // A folder, a device or a huge file in the store's place is not a store.
    if (!fs::is_regular_file(storePath, ec)) return Fail(KeyVal);
    const std::uintmax_t size = fs::file_size(storePath, ec);
    if (ec || size > kMaxStoreBytes) return Fail(KeyVal);

    std::ifstream in(storePath, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) return Fail(KeyVal);
    return LookUpInText(text, KeyRoot, KeyName, SubKeyRef, KeyVal);
}

bool XdgKeyValueStore::LookUpInText(std::string_view storeText, std::uint32_t KeyRoot,
                                    const std::string& KeyName, const std::string& SubKeyRef,
                                    std::string& KeyVal) {
    const char* root = RootName(KeyRoot);
    if (!root || storeText.size() > kMaxStoreBytes) return Fail(KeyVal);
    // GLib ends a value at a zero byte, so the value would be read cut short;
    // a text file never holds one anyway.
    if (storeText.find('\0') != std::string_view::npos) return Fail(KeyVal);

    KeyFilePtr file(g_key_file_new());
    GError* error = nullptr;
    if (!g_key_file_load_from_data(file.get(), storeText.data(), storeText.size(), G_KEY_FILE_NONE, &error)) {
        g_clear_error(&error);
        return Fail(KeyVal);
    }

    StrvPtr groups(g_key_file_get_groups(file.get(), nullptr));
    const std::string group = FindIgnoringCase(groups.get(), std::string(root) + "\\" + KeyName);
    if (group.empty()) return Fail(KeyVal);

    StrvPtr names(g_key_file_get_keys(file.get(), group.c_str(), nullptr, nullptr));
    const std::string name = FindIgnoringCase(names.get(), SubKeyRef.empty() ? kUnnamedValue : SubKeyRef);
    if (name.empty()) return Fail(KeyVal);

    GTextPtr raw(g_key_file_get_value(file.get(), group.c_str(), name.c_str(), nullptr));
    StoredValue value;
    if (!raw || !ParseStoredValue(raw.get(), value)) return Fail(KeyVal);

    // The registry's read buffer holds this many bytes; a longer value is
    // refused whole rather than cut.
    if (value.data.size() > kMaxValueBytes) return Fail(KeyVal);

    ValueDataToText(value.type, value.data, KeyVal);
    return true;
}

std::unique_ptr<KeyValueStore> MakeSystemKeyValueStore() {
    return std::make_unique<XdgKeyValueStore>(XdgKeyValueStore::FromEnvironment());
}

}  // namespace orvalen::platform
