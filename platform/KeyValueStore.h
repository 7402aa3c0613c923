// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orvalen::platform {

// The predefined root keys looked up, with the handle values the registry
// gives them.
inline constexpr std::uint32_t kHKeyCurrentUser = 0x80000001u;
inline constexpr std::uint32_t kHKeyLocalMachine = 0x80000002u;

// Rights asked for when the registry opens a key: KEY_READ (read-control,
// query value, enumerate, notify). Asking for write rights as well, as the
// classic 0x2003F mask does, gets a user who may only read the key refused,
// and the lookup would fail for no reason; nothing here is ever written.
inline constexpr std::uint32_t kKeyOpenAccess = 0x20019u;

// Size of the read buffer; a longer value is not read at all.
inline constexpr std::size_t kMaxValueBytes = 1024;

// Type codes of stored values that GetKeyValue turns into text.
inline constexpr std::uint32_t kValueTypeText = 1;      // REG_SZ
inline constexpr std::uint32_t kValueTypeNumber32 = 4;  // REG_DWORD, little-endian

// Runtime number of the failure raised for a value of no data bytes.
inline constexpr int kInvalidProcedureCall = 5;

// A read-only lookup in the system's key-value store. Nothing is ever written.
class KeyValueStore {
public:
    virtual ~KeyValueStore() = default;

    // Reads value `SubKeyRef` of key `KeyName` below root `KeyRoot`.
    // True: the key was opened and the value read; `KeyVal` holds it as text
    // (a 32-bit number as "&h" + hex bytes, last byte first; any other type
    // leaves `KeyVal` as it was). False: missing key, missing value, a value
    // over kMaxValueBytes or an unreadable store; `KeyVal` is then empty.
    // A value of no data bytes throws RuntimeError(kInvalidProcedureCall).
    virtual bool GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName,
                             const std::string& SubKeyRef, std::string& KeyVal) = 0;
};

// The store of this OS, found afresh at each call.
std::unique_ptr<KeyValueStore> MakeSystemKeyValueStore();

}  // namespace orvalen::platform
