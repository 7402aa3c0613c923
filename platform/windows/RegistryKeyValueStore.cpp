// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include <vector>

#include "platform/KeyValueStore.h"
#include "platform/KeyValueText.h"
#include "platform/windows/WideText.h"

namespace orvalen::platform {

namespace {

static_assert(kKeyOpenAccess == KEY_READ, "keys are opened for reading only");

// The system's headers define the predefined roots as sign-extended 32-bit
// values (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 in a 64-bit handle); the
// handle is built the same way rather than trusting the system to mask it.
HKEY RootHandle(std::uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

// Closes the key on every way out, a throwing conversion included.
struct OpenKey {
    HKEY key = nullptr;
    ~OpenKey() {
        if (key) ::RegCloseKey(key);
    }
};

class RegistryKeyValueStore : public KeyValueStore {
public:
    bool GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                     std::string& KeyVal) override {
        OpenKey open;
        if (::RegOpenKeyExA(RootHandle(KeyRoot), KeyName.c_str(), 0, kKeyOpenAccess, &open.key) != ERROR_SUCCESS) {
            open.key = nullptr;
            KeyVal.clear();
            return false;
        }
        std::vector<unsigned char> data(kMaxValueBytes, 0);
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        // A longer value answers ERROR_MORE_DATA and is not read at all.
        if (::RegQueryValueExA(open.key, SubKeyRef.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
            KeyVal.clear();
            return false;
        }
        data.resize(size);
        ValueDataToText(type, data, KeyVal);
        // The program's texts are UTF-8; the "A" call hands back the ANSI code page.
        if (type == kValueTypeText) KeyVal = windows::AnsiToUtf8(KeyVal);
        return true;
    }
};

}  // namespace

std::unique_ptr<KeyValueStore> MakeSystemKeyValueStore() { return std::make_unique<RegistryKeyValueStore>(); }

}  // namespace orvalen::platform
