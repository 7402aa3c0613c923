// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LocalFileSystem.h"

#include <cstdio>
#include <functional>
#include <string_view>

#include "core/PathText.h"

// The parts of the service that do not depend on the OS.
namespace orvalen::platform {

std::string LocalFileSystem::GetParentFolderName(const std::string& path) {
    return path::GetParentFolderName(path);
}

std::string LocalFileSystem::TemporaryNameFor(const std::string& copyName) {
    static constexpr std::string_view kSuffix = ".orvalen-part";
    // Most file systems allow 255 bytes per name; a long name is cut and
    // marked with a hash of the whole name, still one temporary file per copy.
    static constexpr std::size_t kMaxName = 255;
    std::string name = "." + copyName + std::string(kSuffix);
    if (name.size() <= kMaxName) return name;

    char hash[17];
    std::snprintf(hash, sizeof hash, "%016zx", std::hash<std::string>{}(copyName));
    const std::size_t keep = kMaxName - 1 - 1 - 16 - kSuffix.size();
    return "." + copyName.substr(0, keep) + "~" + hash + std::string(kSuffix);
}

std::unique_ptr<FileSystem> MakeLocalFileSystem() {
    return std::make_unique<LocalFileSystem>();
}

}  // namespace orvalen::platform
