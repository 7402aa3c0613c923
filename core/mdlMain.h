// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/FileSystem.h"
#include "core/ItemList.h"

namespace orvalen {

// The program-wide values that the windows and the guard engine hand to each
// other. One instance, owned by the application and given to each window.
struct mdlMain {
    // The rows of lstSource and lstDestination and the ItemIsFile kinds.
    ItemList Items;

    bool AddingFile = false;
    bool EditingItem = false;
    bool BrowsingDestination = false;

    // The guard pass's working values for the row being processed.
    std::int16_t ItemIndex = 0;
    std::string SourcePath;
    std::string DestinationPath;
    std::string ItemName;
    FileRef SourceFile;
    FolderRef SourceFolder;
    FileRef DestFile;
    FolderRef DestFolder;
    std::array<std::string, 101> PathLevels;

    // The file-system service, made by `MakeFileSystem` at its first use.
    std::function<std::unique_ptr<FileSystem>()> MakeFileSystem;
    FileSystem& FileSys();

private:
    std::unique_ptr<FileSystem> m_fileSys;
};

}  // namespace orvalen
