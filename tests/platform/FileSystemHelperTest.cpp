// SPDX-License-Identifier: GPL-3.0-or-later
// The service's calls carried to the helper process: the same answers and
// failure numbers as the service itself, whatever bytes a name holds.
#include <gtest/gtest.h>

#include <signal.h>

#include <functional>

#include "core/RuntimeError.h"
#include "platform/LocalFileSystem.h"
#include "platform/posix/FileSystemHelper.h"
#include "support/RuntimeNumber.h"
#include "support/TempTree.h"

using orvalen::FileRef;
using orvalen::FileSystem;
using orvalen::FolderRef;
using orvalen::platform::LocalFileSystem;
using orvalen::platform::posix::HelperFileSystem;
using testsupport::RuntimeNumberOf;
using testsupport::TempTree;
namespace err = orvalen::err;

namespace {

class FileSystemHelper : public ::testing::Test {
protected:
    TempTree tree;
    LocalFileSystem local;
    HelperFileSystem helper;
};

// What one call gives, as text: its result or its failure number.
std::string outcome(const std::function<std::string()>& call) {
    try {
        return call();
    } catch (const orvalen::RuntimeError& e) {
        return "failure " + std::to_string(e.number());
    }
}

TEST_F(FileSystemHelper, answersAsTheServiceItself) {
    // Names that are not UTF-8, and a line feed, travel as bytes.
    const std::string file = tree.writeFile("src/caf\xe9\nx.txt", "twelve bytes");
    tree.writeFile("src/Gr\xfc\xdf" "e/inner.txt", "inside");
    const std::string folder = tree.path("src");
    const std::string missing = tree.path("src/none.txt");
    const std::string dst = tree.makeFolder("dst");

    using Call = std::function<std::string(FileSystem&)>;
    const auto flag = [](bool b) { return std::string(b ? "yes" : "no"); };
    const std::vector<std::pair<const char*, Call>> calls = {
        {"FileExists", [&](FileSystem& fs) { return flag(fs.FileExists(file)) + flag(fs.FileExists(folder)); }},
        {"FolderExists", [&](FileSystem& fs) { return flag(fs.FolderExists(folder)) + flag(fs.FolderExists(file)); }},
        {"FolderExistsNoFollow", [&](FileSystem& fs) { return flag(fs.FolderExistsNoFollow(folder)); }},
        {"GetFile", [&](FileSystem& fs) { return fs.GetFile(file).Path; }},
        {"GetFile missing", [&](FileSystem& fs) { return fs.GetFile(missing).Path; }},
        {"GetFolder missing", [&](FileSystem& fs) { return fs.GetFolder(missing + "/x").Path; }},
        {"Size file", [&](FileSystem& fs) { return std::to_string(fs.Size(FileRef{file})); }},
        {"Size folder", [&](FileSystem& fs) { return std::to_string(fs.Size(FolderRef{folder})); }},
        {"CreateFolder existing", [&](FileSystem& fs) { fs.CreateFolder(folder); return std::string(); }},
        {"CheckDestination", [&](FileSystem& fs) { fs.CheckDestination(dst + "/"); return std::string("ok"); }},
    };
    for (const auto& [name, call] : calls)
        EXPECT_EQ(outcome([&] { return call(helper); }), outcome([&] { return call(local); })) << name;

    helper.Copy(FileRef{file}, dst + "/copy.txt");
    helper.Copy(FolderRef{folder}, dst + "/src");
    EXPECT_EQ(TempTree::readFile(dst + "/copy.txt"), "twelve bytes");
    EXPECT_EQ(TempTree::readFile(dst + "/src/Gr\xfc\xdf" "e/inner.txt"), "inside");
    EXPECT_EQ(RuntimeNumberOf([&] { helper.Copy(FileRef{missing}, dst + "/gone.txt"); }), err::kFileNotFound);
}

TEST_F(FileSystemHelper, helperThatDied_failsTheCallUnderWay_andIsStartedAgain) {
    const std::string file = tree.writeFile("a.txt", "a");
    ASSERT_TRUE(helper.FileExists(file));
    const pid_t first = helper.helperPid();
    ASSERT_GT(first, 0);
    ASSERT_EQ(::kill(first, SIGKILL), 0);

    EXPECT_EQ(RuntimeNumberOf([&] { helper.GetFile(file); }), err::kPathFileAccess);
    EXPECT_EQ(helper.GetFile(file).Path, file);
    EXPECT_NE(helper.helperPid(), first);
}

}  // namespace
