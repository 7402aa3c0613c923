// SPDX-License-Identifier: GPL-3.0-or-later
// orvalen-file-helper: the program's file-system calls, made here so that a
// call stuck in a dead share holds this process and not the program.
#include "platform/LocalFileSystem.h"
#include "platform/posix/FileSystemHelper.h"

int main() {
    orvalen::platform::LocalFileSystem service;
    orvalen::platform::posix::ServeFileSystem(orvalen::platform::posix::kHelperSocket, service);
    return 0;
}
