// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/TempTree.h"
#include "platform/FileProbe.h"
#include "platform/ProgramStarter.h"
#include "platform/SysInfoLauncher.h"
#include "platform/posix/XdgKeyValueStore.h"

using orvalen::platform::FindAndStartSysInfo;
using orvalen::platform::kSysInfoToolSuffix;
using orvalen::platform::SysInfoOutcome;
using orvalen::platform::XdgKeyValueStore;
using testsupport::TempTree;

namespace {

const std::string kLocation1 = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n";
const std::string kLocation2 = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n";

// Records what it was asked to start; succeeds only for an ordinary file, as
// a real start of a missing program would fail.
class RecordingStarter : public orvalen::platform::ProgramStarter {
public:
    bool StartProgram(const std::string& path) override {
        started.push_back(path);
        if (throwOnStart) throw std::runtime_error("start failed");
        return std::filesystem::is_regular_file(path);
    }
    std::vector<std::string> started;
    bool throwOnStart = false;
};

// Counts the existence tests, passing them on to the real probe.
class CountingProbe : public orvalen::platform::FileProbe {
public:
    bool IsOrdinaryFile(const std::string& path) override {
        asked.push_back(path);
        return m_real->IsOrdinaryFile(path);
    }
    std::vector<std::string> asked;

private:
    std::unique_ptr<orvalen::platform::FileProbe> m_real = orvalen::platform::MakeSystemFileProbe();
};

class SysInfoLauncherTest : public ::testing::Test {
protected:
    SysInfoLauncherTest() {
        m_toolFolder = m_dir.path("tools");
        m_tool = m_dir.writeFile("tools" + std::string(kSysInfoToolSuffix), "#!/bin/sh\n");
        m_otherTool = m_dir.writeFile("elsewhere/sysinfo", "#!/bin/sh\n");
    }

    SysInfoOutcome Run(const std::string& store) {
        m_dir.writeFile("config/orvalen/registry.ini", store);
        XdgKeyValueStore lookup({m_dir.path("config")});
        return FindAndStartSysInfo(lookup, m_probe, m_starter);
    }

    std::string Location2Folder(const std::string& folder) {
        return kLocation2 + "MSINFO=\"" + folder + "\"\n";
    }

    TempTree m_dir;
    std::string m_toolFolder, m_tool, m_otherTool;
    CountingProbe m_probe;
    RecordingStarter m_starter;
};

TEST_F(SysInfoLauncherTest, location1Present_startsItsPathAsItIs_location2NotConsulted) {
    EXPECT_EQ(Run(kLocation1 + "PATH=\"" + m_otherTool + "\"\n" + Location2Folder(m_toolFolder)),
              SysInfoOutcome::Started);
    EXPECT_EQ(m_starter.started, std::vector<std::string>{m_otherTool});
    EXPECT_TRUE(m_probe.asked.empty()) << "the first location's path is not tested for existence";
}

TEST_F(SysInfoLauncherTest, location1NamesMissingFile_unavailable_location2NotConsulted) {
    const std::string missing = m_dir.path("gone/sysinfo");
    EXPECT_EQ(Run(kLocation1 + "PATH=\"" + missing + "\"\n" + Location2Folder(m_toolFolder)),
              SysInfoOutcome::Unavailable);
    EXPECT_EQ(m_starter.started, std::vector<std::string>{missing});
}

TEST_F(SysInfoLauncherTest, location1Missing_location2FolderHoldingTheTool_startsIt) {
    EXPECT_EQ(Run(Location2Folder(m_toolFolder)), SysInfoOutcome::Started);
    EXPECT_EQ(m_starter.started, std::vector<std::string>{m_toolFolder + kSysInfoToolSuffix});
    EXPECT_EQ(m_probe.asked, std::vector<std::string>{m_toolFolder + kSysInfoToolSuffix});
}

TEST_F(SysInfoLauncherTest, location2WithoutAnOrdinaryTool_unavailableWithoutStarting) {
    // No tool in the folder.
    EXPECT_EQ(Run(Location2Folder(m_dir.path("elsewhere"))), SysInfoOutcome::Unavailable);
    // The tool's name is a folder there.
    std::filesystem::create_directories(m_dir.path("dirtool" + std::string(kSysInfoToolSuffix)));
    EXPECT_EQ(Run(Location2Folder(m_dir.path("dirtool"))), SysInfoOutcome::Unavailable);
    // The folder itself is missing.
    EXPECT_EQ(Run(Location2Folder(m_dir.path("missing"))), SysInfoOutcome::Unavailable);
    EXPECT_TRUE(m_starter.started.empty());
    EXPECT_EQ(m_probe.asked.size(), 3u);
}

TEST_F(SysInfoLauncherTest, bothLocationsMissing_unavailable) {
    EXPECT_EQ(Run("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\nPATH=\"" + m_tool + "\"\n"),
              SysInfoOutcome::Unavailable);
    EXPECT_TRUE(m_starter.started.empty());
    EXPECT_TRUE(m_probe.asked.empty());
}

TEST_F(SysInfoLauncherTest, location1WithNoDataBytes_unavailableAtOnce_location2NotTried) {
    EXPECT_EQ(Run(kLocation1 + "PATH=hex(1):\n" + Location2Folder(m_toolFolder)),
              SysInfoOutcome::Unavailable);
    EXPECT_TRUE(m_starter.started.empty());
    EXPECT_TRUE(m_probe.asked.empty());
}

TEST_F(SysInfoLauncherTest, location1OfAnotherType_startsTheEmptyPathAndFails) {
    EXPECT_EQ(Run(kLocation1 + "PATH=hex:01,02\n" + Location2Folder(m_toolFolder)),
              SysInfoOutcome::Unavailable);
    EXPECT_EQ(m_starter.started, std::vector<std::string>{""});
}

TEST_F(SysInfoLauncherTest, startThatThrows_unavailable) {
    m_starter.throwOnStart = true;
    EXPECT_EQ(Run(kLocation1 + "PATH=\"" + m_tool + "\"\n"), SysInfoOutcome::Unavailable);
    EXPECT_EQ(m_starter.started.size(), 1u);
}

}  // namespace
