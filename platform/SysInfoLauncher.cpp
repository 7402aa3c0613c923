// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SysInfoLauncher.h"

#include <string>

namespace orvalen::platform {

namespace {

SysInfoOutcome FindAndStart(KeyValueStore& store, FileProbe& probe, ProgramStarter& starter) {
    std::string path;
    // A path found at the first location is trusted as it is: if it names
    // nothing, the start fails and says so.
    if (!store.GetKeyValue(kHKeyLocalMachine, kSysInfoPathKey, kSysInfoPathValue, path)) {
        if (!store.GetKeyValue(kHKeyLocalMachine, kSysInfoFolderKey, kSysInfoFolderValue, path))
            return SysInfoOutcome::Unavailable;
        const std::string tool = path + kSysInfoToolSuffix;
        if (!probe.IsOrdinaryFile(tool)) return SysInfoOutcome::Unavailable;
        path = tool;
    }
    return starter.StartProgram(path) ? SysInfoOutcome::Started : SysInfoOutcome::Unavailable;
}

}  // namespace

SysInfoOutcome FindAndStartSysInfo(KeyValueStore& store, FileProbe& probe, ProgramStarter& starter) {
    // A value of no data bytes throws out of the first lookup; that ends the
    // search at once, without trying the second location.
    try {
        return FindAndStart(store, probe, starter);
    } catch (...) {
        return SysInfoOutcome::Unavailable;
    }
}

}  // namespace orvalen::platform
