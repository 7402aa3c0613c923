// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/TempTree.h"
#include "core/RuntimeError.h"
#include "platform/KeyValueStore.h"
#include "platform/posix/XdgKeyValueStore.h"

using orvalen::RuntimeError;
using orvalen::platform::kHKeyCurrentUser;
using orvalen::platform::kHKeyLocalMachine;
using orvalen::platform::kInvalidProcedureCall;
using orvalen::platform::XdgKeyValueStore;
using testsupport::TempTree;

namespace {

const std::string kKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kGroup = "[HKEY_LOCAL_MACHINE\\" + kKey + "]\n";

// `count` bytes of 'x' written as a hex(1) byte list.
std::string HexBytes(std::size_t count, const std::string& last = "78") {
    std::string list;
    for (std::size_t i = 0; i + 1 < count; ++i) list += "78,";
    return list + last;
}

class KeyValueStoreTest : public ::testing::Test {
protected:
    // A store holding `lines` under the MSINFO key.
    void WriteStore(const std::string& lines) { WriteRawStore(kGroup + lines); }
    void WriteRawStore(const std::string& content) {
        m_dir.writeFile("orvalen/registry.ini", content);
    }

    // Result and text of a lookup of `name` under the MSINFO key; `KeyVal`
    // starts as `before` so that a left-alone or cleared value shows.
    bool Get(const std::string& name, std::string& KeyVal, const std::string& before = "before") {
        KeyVal = before;
        XdgKeyValueStore store({m_dir.root()});
        return store.GetKeyValue(kHKeyLocalMachine, kKey, name, KeyVal);
    }

    TempTree m_dir;
};

TEST_F(KeyValueStoreTest, textValue_finalZeroRule) {
    WriteStore(
        "Quoted=\"/usr/bin/hardinfo\"\n"
        "WithZero=hex(1):41,42,00\n"
        "WithoutZero=hex(1):41,42,43\n"
        "TwoZeros=hex(1):41,00,00\n"
        "JustZero=hex(1):00\n");
    std::string value;
    // Quoted text is stored with its zero, as the registry stores text.
    ASSERT_TRUE(Get("Quoted", value));
    EXPECT_EQ(value, "/usr/bin/hardinfo");
    ASSERT_TRUE(Get("WithZero", value));
    EXPECT_EQ(value, "AB");
    ASSERT_TRUE(Get("WithoutZero", value));
    EXPECT_EQ(value, "ABC");
    ASSERT_TRUE(Get("TwoZeros", value));
    EXPECT_EQ(value, std::string("A\0", 2)) << "only the final zero is dropped";
    ASSERT_TRUE(Get("JustZero", value));
    EXPECT_EQ(value, "");
}

TEST_F(KeyValueStoreTest, textValue_escapesOfTheExportFormat) {
    WriteStore("Path=\"C:\\\\Program Files\\\\\\\"x\\\"\"   \n");
    std::string value;
    ASSERT_TRUE(Get("Path", value));
    EXPECT_EQ(value, "C:\\Program Files\\\"x\"");
}

TEST_F(KeyValueStoreTest, number32_hexBytesLastToFirstAfterFinalZeroRule) {
    WriteStore(
        "Ten=dword:0000000a\n"
        "TwoSixtyOne=dword:00000105\n"
        "HighByteSet=dword:01020304\n"
        "Zero=dword:00000000\n"
        "Short=hex(4):05,01\n"
        "UpperCase=dword:00ABCDEF\n");
    std::string value;
    ASSERT_TRUE(Get("Ten", value));
    EXPECT_EQ(value, "&h00000A");
    ASSERT_TRUE(Get("TwoSixtyOne", value));
    EXPECT_EQ(value, "&h000105");
    ASSERT_TRUE(Get("HighByteSet", value));
    EXPECT_EQ(value, "&h01020304") << "no zero at the end: all four bytes";
    ASSERT_TRUE(Get("Zero", value));
    EXPECT_EQ(value, "&h000000");
    ASSERT_TRUE(Get("Short", value));
    EXPECT_EQ(value, "&h0105");
    ASSERT_TRUE(Get("UpperCase", value));
    EXPECT_EQ(value, "&hABCDEF");
}

TEST_F(KeyValueStoreTest, otherTypes_leaveValueAsItWas) {
    WriteStore(
        "Binary=hex:01,02\n"
        "Expandable=hex(2):41,00\n"
        "Large=hex(b):01,00,00,00,00,00,00,00\n");
    std::string value;
    for (const char* name : {"Binary", "Expandable", "Large"}) {
        ASSERT_TRUE(Get(name, value, "as passed in")) << name;
        EXPECT_EQ(value, "as passed in") << name;
    }
}

TEST_F(KeyValueStoreTest, valueLength_limitIs1024Bytes) {
    WriteStore(
        "Exactly=hex(1):" + HexBytes(1024) + "\n"
        "ExactlyWithZero=hex(1):" + HexBytes(1024, "00") + "\n"
        "Over=hex(1):" + HexBytes(1025) + "\n"
        "QuotedFits=\"" + std::string(1023, 'q') + "\"\n"
        "QuotedOver=\"" + std::string(1024, 'q') + "\"\n");
    std::string value;
    ASSERT_TRUE(Get("Exactly", value));
    EXPECT_EQ(value, std::string(1024, 'x'));
    ASSERT_TRUE(Get("ExactlyWithZero", value));
    EXPECT_EQ(value, std::string(1023, 'x'));
    EXPECT_FALSE(Get("Over", value));
    EXPECT_EQ(value, "");
    ASSERT_TRUE(Get("QuotedFits", value));
    EXPECT_EQ(value, std::string(1023, 'q'));
    // 1024 characters and the stored zero make 1025 bytes.
    EXPECT_FALSE(Get("QuotedOver", value));
    EXPECT_EQ(value, "");
}

TEST_F(KeyValueStoreTest, noDataBytes_failsToTheCaller) {
    WriteStore(
        "EmptyText=hex(1):\n"
        "EmptyBinary=hex:\n");
    std::string value;
    for (const char* name : {"EmptyText", "EmptyBinary"}) {
        try {
            Get(name, value);
            ADD_FAILURE() << name << " did not throw";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), kInvalidProcedureCall) << name;
        }
    }
}

TEST_F(KeyValueStoreTest, missingKeyValueOrStore_falseWithEmptyValue) {
    WriteStore("PATH=\"/usr/bin/hardinfo\"\n");
    std::string value;
    EXPECT_FALSE(Get("NoSuchValue", value));
    EXPECT_EQ(value, "");

    XdgKeyValueStore store({m_dir.root()});
    value = "stale";
    EXPECT_FALSE(store.GetKeyValue(kHKeyLocalMachine, "SOFTWARE\\Nothing", "PATH", value));
    EXPECT_EQ(value, "");
    value = "stale";
    EXPECT_FALSE(store.GetKeyValue(kHKeyCurrentUser, kKey, "PATH", value)) << "other root";
    EXPECT_EQ(value, "");
    value = "stale";
    EXPECT_FALSE(store.GetKeyValue(0x12345678u, kKey, "PATH", value)) << "not a root";
    EXPECT_EQ(value, "");

    TempTree empty;
    XdgKeyValueStore noStore({empty.root()});
    value = "stale";
    EXPECT_FALSE(noStore.GetKeyValue(kHKeyLocalMachine, kKey, "PATH", value));
    EXPECT_EQ(value, "");
}

TEST_F(KeyValueStoreTest, names_matchWithoutCaseAndUnnamedValueIsAt) {
    WriteRawStore(
        "[hkey_local_machine\\software\\microsoft\\shared tools\\msinfo]\n"
        "path=\"/opt/tool\"\n"
        "@=\"unnamed\"\n");
    std::string value;
    ASSERT_TRUE(Get("PATH", value));
    EXPECT_EQ(value, "/opt/tool");
    ASSERT_TRUE(Get("", value));
    EXPECT_EQ(value, "unnamed");
}

TEST_F(KeyValueStoreTest, malformedValues_falseWithEmptyValue) {
    WriteStore(
        "Good=\"fine\"\n"
        "Plain=no type given\n"
        "ShortNumber=dword:0a\n"
        "LongNumber=dword:000000001\n"
        "NotHexNumber=dword:0000000g\n"
        "HalfByte=hex(1):4\n"
        "TrailingComma=hex(1):41,\n"
        "Semicolons=hex(1):41;42\n"
        "BadType=hex(zz):41\n"
        "HugeType=hex(123456789):41\n"
        "NoTypeDigits=hex():41\n"
        "Unterminated=\"open\n"
        "QuoteInside=\"a\"b\"\n"
        "UnknownEscape=\"a\\nb\"\n"
        "DanglingEscape=\"a\\\"\n");
    std::string value;
    for (const char* name : {"Plain", "ShortNumber", "LongNumber", "NotHexNumber", "HalfByte",
                             "TrailingComma", "Semicolons", "BadType", "HugeType", "NoTypeDigits",
                             "Unterminated", "QuoteInside", "UnknownEscape", "DanglingEscape"}) {
        EXPECT_FALSE(Get(name, value)) << name;
        EXPECT_EQ(value, "") << name;
    }
    // One bad line spoils only its own value.
    ASSERT_TRUE(Get("Good", value));
    EXPECT_EQ(value, "fine");
}

TEST_F(KeyValueStoreTest, malformedOrImproperStore_false) {
    std::string value;
    const std::string contents[] = {
        std::string("PATH=\"/x\"\n") + kGroup,           // a value before any key
        kGroup + "a line without an equals sign\n",       // not a key-value pair
        std::string("\xff\xfe\x00\x01[\x80]\n=\n", 10),  // binary junk
        std::string(),                                     // empty file
        kGroup + std::string("PATH=\"/bin/true\"\0\"/x\"\n", 22),  // a zero byte cuts the line short
    };
    for (const auto& content : contents) {
        WriteRawStore(content);
        EXPECT_FALSE(Get("PATH", value)) << content;
        EXPECT_EQ(value, "");
    }

    // A folder in the store's place.
    TempTree folderDir;
    std::filesystem::create_directories(XdgKeyValueStore::StorePathIn(folderDir.root()));
    XdgKeyValueStore folderStore({folderDir.root()});
    value = "stale";
    EXPECT_FALSE(folderStore.GetKeyValue(kHKeyLocalMachine, kKey, "PATH", value));
    EXPECT_EQ(value, "");

    // Far larger than any real store: not read at all.
    WriteStore("PATH=\"/x\"\n# " + std::string(2 * 1024 * 1024, 'c') + "\n");
    EXPECT_FALSE(Get("PATH", value));
}

TEST(KeyValueStoreLocation, configDirsFollowTheXdgRules) {
    using Dirs = std::vector<std::string>;
    EXPECT_EQ(XdgKeyValueStore::ConfigDirsFrom(nullptr), Dirs{"/etc/xdg"});
    EXPECT_EQ(XdgKeyValueStore::ConfigDirsFrom(""), Dirs{"/etc/xdg"});
    EXPECT_EQ(XdgKeyValueStore::ConfigDirsFrom("/a:/b/"), (Dirs{"/a", "/b/"}));
    EXPECT_EQ(XdgKeyValueStore::ConfigDirsFrom("relative:/b::./c"), Dirs{"/b"});
    EXPECT_EQ(XdgKeyValueStore::StorePathIn("/etc/xdg"), "/etc/xdg/orvalen/registry.ini");
    EXPECT_EQ(XdgKeyValueStore::StorePathIn("/etc/xdg/"), "/etc/xdg/orvalen/registry.ini");
}

TEST(KeyValueStoreLocation, firstFolderHoldingAStoreIsTheStore) {
    TempTree none, first, second;
    const std::string rel = "orvalen/registry.ini";
    first.writeFile(rel, kGroup + "Other=\"first\"\n");
    second.writeFile(rel, kGroup + "PATH=\"second\"\nOther=\"second\"\n");

    XdgKeyValueStore store({none.root(), first.root(), second.root()});
    std::string value;
    ASSERT_TRUE(store.GetKeyValue(kHKeyLocalMachine, kKey, "Other", value));
    EXPECT_EQ(value, "first");
    // Stores are not merged: a value the first lacks is missing.
    EXPECT_FALSE(store.GetKeyValue(kHKeyLocalMachine, kKey, "PATH", value));
}

// Restores an environment variable when the test ends.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
    }
    ~EnvGuard() {
        if (m_old) ::setenv(m_name, m_old->c_str(), 1);
        else ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(KeyValueStoreLocation, systemStoreReadsConfigDirsButNotTheUsersConfigHome) {
    EnvGuard dirsGuard("XDG_CONFIG_DIRS");
    EnvGuard homeGuard("XDG_CONFIG_HOME");
    TempTree system, home;
    system.writeFile("orvalen/registry.ini", kGroup + "PATH=\"/from/system\"\n");
    home.writeFile("orvalen/registry.ini", kGroup + "PATH=\"/from/home\"\nExtra=\"home\"\n");
    ::setenv("XDG_CONFIG_DIRS", system.root().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", home.root().c_str(), 1);

    auto store = orvalen::platform::MakeSystemKeyValueStore();
    std::string value;
    ASSERT_TRUE(store->GetKeyValue(kHKeyLocalMachine, kKey, "PATH", value));
    EXPECT_EQ(value, "/from/system");
    EXPECT_FALSE(store->GetKeyValue(kHKeyLocalMachine, kKey, "Extra", value));
}

}  // namespace
