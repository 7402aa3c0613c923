// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/SystemPassLog.h"
#include "support/TempTree.h"

// The line reaches standard error and, in the journal's native form, the
// journal's socket.
TEST(SystemPassLog, writesTheLineToStderrAndTheJournal) {
    testsupport::TempTree tree;
    const std::string socketPath = tree.path("journal");
    const int journal = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(journal, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    std::FILE* out = std::tmpfile();
    orvalen::platform::MakeSystemPassLog(out, socketPath)->write("Orvalen: item 1 is guarded again.");

    char received[512] = {};
    ASSERT_GT(::recv(journal, received, sizeof(received) - 1, MSG_DONTWAIT), 0);
    EXPECT_STREQ(received, "SYSLOG_IDENTIFIER=orvalen\nPRIORITY=4\nMESSAGE=Orvalen: item 1 is guarded again.\n");
    std::rewind(out);
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof(line), out), nullptr);
    EXPECT_STREQ(line, "Orvalen: item 1 is guarded again.\n");
    std::fclose(out);
    ::close(journal);
}
