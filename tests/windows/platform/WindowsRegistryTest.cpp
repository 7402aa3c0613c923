// SPDX-License-Identifier: GPL-3.0-or-later
// GetKeyValue and the System Information search over Wine's registry, with
// the values that wine-fixtures.sh wrote under HKLM\SOFTWARE\OrvalenTest.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/KeyValueStore.h"
#include "platform/SysInfoLauncher.h"
#include "support/DriveTree.h"
#include "support/RuntimeNumber.h"

using namespace orvalen::platform;
using testsupport::DriveTree;

namespace {

constexpr const char* kValues = "SOFTWARE\\OrvalenTest\\Values";

// Records the path it was asked to start, then starts it for real.
class RecordingStarter : public ProgramStarter {
public:
    bool StartProgram(const std::string& path) override {
        started = path;
        return MakeSystemProgramStarter()->StartProgram(path);
    }
    std::string started;
};

bool WaitFor(const std::string& path) {
    for (int i = 0; i < 300 && !DriveTree::exists(path); ++i) ::Sleep(100);
    return DriveTree::exists(path);
}

}  // namespace

TEST(WindowsRegistry, getKeyValue_turnsEachStoredValueIntoText) {
    const std::string filled(1023, 'x');
    const struct {
        const char* value;
        bool found;
        std::string text;
    } cases[] = {
        {"Text", true, "C:\\Tools\\sysinfo.exe"},
        {"WithZero", true, "AB"},
        {"NoZero", true, "AB"},
        {"Ten", true, "&h00000A"},
        {"TwoSixtyOne", true, "&h000105"},
        {"Large", true, "&h12345678"},
        {"Binary", true, "as before"},  // another type leaves the text alone
        {"Fits", true, filled},
        {"TooLong", false, ""},
        {"Absent", false, ""},
    };
    // `reg add` always stores a text with its final zero; this one is
    // written without (the byte after the count is not zero, so the system
    // does not add one either).
    HKEY values = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kValues, 0, KEY_SET_VALUE, &values), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(values, "NoZero", 0, REG_SZ, reinterpret_cast<const BYTE*>("ABC"), 2), ERROR_SUCCESS);
    ::RegCloseKey(values);

    const auto store = MakeSystemKeyValueStore();
    for (const auto& c : cases) {
        std::string text = "as before";
        EXPECT_EQ(store->GetKeyValue(kHKeyLocalMachine, kValues, c.value, text), c.found) << c.value;
        EXPECT_EQ(text, c.text) << c.value;
    }
    std::string text = "as before";
    EXPECT_FALSE(store->GetKeyValue(kHKeyLocalMachine, "SOFTWARE\\OrvalenTest\\Absent", "Text", text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(testsupport::RuntimeNumberOf([&] { store->GetKeyValue(kHKeyLocalMachine, kValues, "NoData", text); }),
              kInvalidProcedureCall);
}

TEST(WindowsRegistry, sysInfoSearch_followsTheTwoLocationsInOrder) {
    const std::string first = "C:\\OrvalenTools\\first\\sysinfo.exe";
    const std::string second = "C:\\OrvalenTools\\second\\MSINFO32.EXE";
    const struct {
        const char* root;
        SysInfoOutcome outcome;
        std::string started;
    } cases[] = {
        {"FirstExisting", SysInfoOutcome::Started, first},
        {"FirstMissingFile", SysInfoOutcome::Unavailable, "C:\\OrvalenTools\\first\\absent.exe"},
        {"FirstNoData", SysInfoOutcome::Unavailable, ""},
        {"SecondWithTool", SysInfoOutcome::Started, second},
        {"SecondWithoutTool", SysInfoOutcome::Unavailable, ""},
        {"BothMissing", SysInfoOutcome::Unavailable, ""},
    };
    const auto store = MakeSystemKeyValueStore();
    const auto probe = MakeSystemFileProbe();
    for (const auto& c : cases) {
        for (const std::string& tool : {first, second}) ::DeleteFileA((tool + ".started").c_str());
        HKEY root = nullptr;
        const std::string key = std::string("SOFTWARE\\OrvalenTest\\SysInfo\\") + c.root;
        ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &root), ERROR_SUCCESS) << key;
        // For this process, HKEY_LOCAL_MACHINE is now the case's own key.
        ASSERT_EQ(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, root), ERROR_SUCCESS);
        RecordingStarter starter;
        const SysInfoOutcome outcome = FindAndStartSysInfo(*store, *probe, starter);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegCloseKey(root);

        EXPECT_EQ(outcome, c.outcome) << c.root;
        EXPECT_EQ(starter.started, c.started) << c.root;
        if (c.outcome == SysInfoOutcome::Started) {
            EXPECT_TRUE(WaitFor(c.started + ".started")) << c.root;
        }
    }
}
