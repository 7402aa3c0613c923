// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/TempTree.h"
#include "platform/FileProbe.h"
#include "platform/ProgramStarter.h"

using testsupport::TempTree;

namespace {

// Reads `path` once it exists and is complete (ends in a newline); empty if
// it does not appear within a generous bound.
std::string WaitForMarker(const std::string& path) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        const std::string content = text.str();
        if (!content.empty() && content.back() == '\n') return content;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

// True when this process has no child at all, finished or running: nothing
// left to collect, and the started program is not ours to wait for.
bool HasNoChildren() {
    int status = 0;
    const pid_t pid = ::waitpid(-1, &status, WNOHANG);
    return pid < 0 && errno == ECHILD;
}

std::string WriteScript(const TempTree& dir, const std::string& name, const std::string& body,
                        mode_t mode = 0755) {
    const std::string path = dir.writeFile(name, body);
    ::chmod(path.c_str(), mode);
    return path;
}

class ProgramStarterTest : public ::testing::Test {
protected:
    TempTree m_dir;
    std::unique_ptr<orvalen::platform::ProgramStarter> m_starter =
        orvalen::platform::MakeSystemProgramStarter();
};

TEST_F(ProgramStarterTest, startsProgram_withoutWaiting_andLeavesNoChild) {
    const std::string go = m_dir.path("go");
    const std::string marker = m_dir.path("marker");
    // The program waits for the test to answer before it finishes; a starter
    // that waited for it would only return after the wait ran out.
    const std::string script = WriteScript(m_dir, "tool",
        "#!/bin/sh\n"
        "i=0\n"
        "while [ ! -e '" + go + "' ] && [ $i -lt 500 ]; do sleep 0.02; i=$((i+1)); done\n"
        "if [ -e '" + go + "' ]; then echo answered > '" + marker + ".tmp'; "
        "else echo waited-out > '" + marker + ".tmp'; fi\n"
        "mv '" + marker + ".tmp' '" + marker + "'\n");

    ASSERT_TRUE(m_starter->StartProgram(script));
    EXPECT_TRUE(HasNoChildren());
    m_dir.writeFile("go", "");
    EXPECT_EQ(WaitForMarker(marker), "answered\n");
    EXPECT_TRUE(HasNoChildren());
}

TEST_F(ProgramStarterTest, pathThatCannotBeStarted_false) {
    const std::string notExecutable = WriteScript(m_dir, "plain", "#!/bin/sh\nexit 0\n", 0644);
    const std::string badInterpreter = WriteScript(m_dir, "broken", "#!/no/such/shell\n");
    const std::string garbage = WriteScript(m_dir, "garbage", std::string("\x7f" "ELF\x01\x02", 6));
    std::filesystem::create_directories(m_dir.path("folder"));

    EXPECT_FALSE(m_starter->StartProgram(m_dir.path("missing")));
    EXPECT_FALSE(m_starter->StartProgram(m_dir.path("folder")));
    EXPECT_FALSE(m_starter->StartProgram(badInterpreter));
    EXPECT_FALSE(m_starter->StartProgram(garbage));
    EXPECT_FALSE(m_starter->StartProgram(""));
    EXPECT_FALSE(m_starter->StartProgram(std::string("/bin/true\0x", 11)));
    // No execute bit at all: refused even to root.
    EXPECT_FALSE(m_starter->StartProgram(notExecutable));
    EXPECT_TRUE(HasNoChildren()) << "failed starts leave nothing to collect either";
}

TEST(FileProbeTest, ordinaryFileOnly) {
    TempTree dir;
    auto probe = orvalen::platform::MakeSystemFileProbe();
    const std::string file = dir.writeFile("tool", "x");
    dir.writeFile(".hidden", "x");
    dir.writeFile(".cache/tool", "x");
    std::filesystem::create_directories(dir.path("folder"));
    std::filesystem::create_symlink(file, dir.path("link"));
    std::filesystem::create_symlink(dir.path("folder"), dir.path("folderlink"));

    EXPECT_TRUE(probe->IsOrdinaryFile(file));
    EXPECT_TRUE(probe->IsOrdinaryFile(dir.path("link"))) << "a link to a file counts";
    EXPECT_TRUE(probe->IsOrdinaryFile(dir.path(".cache/tool"))) << "only the file's own name decides";
    EXPECT_FALSE(probe->IsOrdinaryFile(dir.path(".hidden")));
    EXPECT_FALSE(probe->IsOrdinaryFile(dir.path("folder")));
    EXPECT_FALSE(probe->IsOrdinaryFile(dir.path("folderlink")));
    EXPECT_FALSE(probe->IsOrdinaryFile(file + "/"));
    EXPECT_FALSE(probe->IsOrdinaryFile(dir.path("missing")));
    EXPECT_FALSE(probe->IsOrdinaryFile(""));
    EXPECT_FALSE(probe->IsOrdinaryFile(file + std::string("\0x", 2)));
}

}  // namespace
