// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

namespace orvalen::platform {

// Starts the program at a path as a process of its own, without arguments.
// The caller neither waits for it nor keeps its id, and no finished process
// is left behind for the caller to collect.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;

    // True once the program is running; false when it could not be started
    // (missing, not executable, not a program).
    virtual bool StartProgram(const std::string& path) = 0;
};

std::unique_ptr<ProgramStarter> MakeSystemProgramStarter();

}  // namespace orvalen::platform
