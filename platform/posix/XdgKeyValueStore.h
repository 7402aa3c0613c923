// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/KeyValueStore.h"

namespace orvalen::platform {

// The key-value store on a desktop without a registry: one read-only INI file,
// `orvalen/registry.ini`, in the system configuration folders of the XDG base
// directory rules. The first folder of the list that holds the file is the
// store. The user's own XDG_CONFIG_HOME is not consulted: these keys stand for
// machine-wide entries, and a per-user file would let anything the user runs
// redirect the System Info button to a program of its choosing.
//
// Each key is a group named by its root and path, each value a line whose
// text says the type, as in a registry export:
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSINFO]
//   PATH="/usr/bin/hardinfo"         text, stored with its final zero byte
//   Count=dword:0000000a             32-bit number
//   Raw=hex(1):41,42                 raw bytes of type 1 (here without a zero)
//   Blob=hex:01,02                   raw bytes of type 3
//   @="..."                          the key's unnamed value
// Key and value names match without regard to ASCII case, as the registry's do.
class XdgKeyValueStore : public KeyValueStore {
public:
    // Where the store is looked for, most important first.
    explicit XdgKeyValueStore(std::vector<std::string> configDirs);

    // The folders named by XDG_CONFIG_DIRS (colon-separated; unset or empty
    // means /etc/xdg; relative entries are ignored, as the rules require).
    static std::vector<std::string> ConfigDirsFrom(const char* xdgConfigDirs);
    static XdgKeyValueStore FromEnvironment();

    // Path of the store inside one configuration folder.
    static std::string StorePathIn(const std::string& configDir);

    bool GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName,
                     const std::string& SubKeyRef, std::string& KeyVal) override;

    // The same lookup in a store's text. Anything that does not read as the
    // format above gives False, never a guess.
    static bool LookUpInText(std::string_view storeText, std::uint32_t KeyRoot,
                             const std::string& KeyName, const std::string& SubKeyRef,
                             std::string& KeyVal);

private:
    std::vector<std::string> m_configDirs;
};

}  // namespace orvalen::platform
