// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileProbe.h"
#include "platform/KeyValueStore.h"
#include "platform/ProgramStarter.h"

namespace orvalen::platform {

// Where the System Information tool is looked for, in this order.
inline constexpr const char* kSysInfoPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoPathValue = "PATH";
inline constexpr const char* kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoFolderValue = "MSINFO";

// Appended to the folder of the second location. On Linux the tool is
// hardinfo (Debian package "hardinfo"), the desktop's closest match to a
// System Information window.
#ifdef _WIN32
inline constexpr const char* kSysInfoToolSuffix = "\\MSINFO32.EXE";
#else
inline constexpr const char* kSysInfoToolSuffix = "/hardinfo";
#endif

enum class SysInfoOutcome {
    Started,      // the tool is running
    Unavailable,  // the caller shows "System Information Is Unavailable At This Time"
};

// Finds the tool and starts it. A full path at the first location is started
// as it is; a folder at the second is used only if the tool is an ordinary file
// in it. Any failure on the way, thrown ones included, makes it Unavailable.
SysInfoOutcome FindAndStartSysInfo(KeyValueStore& store, FileProbe& probe, ProgramStarter& starter);

}  // namespace orvalen::platform
