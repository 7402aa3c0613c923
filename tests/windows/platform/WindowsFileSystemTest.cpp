// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows file-system service on Wine's drives: C:\Work holds the
// sources, D:\Share the copies; Q: is no drive at all.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "platform/LocalFileSystem.h"
#include "platform/windows/WideText.h"
#include "support/DriveTree.h"
#include "support/RuntimeNumber.h"

using orvalen::platform::LocalFileSystem;
using testsupport::DriveTree;
using testsupport::RuntimeNumberOf;
namespace err = orvalen::err;

namespace {

class WindowsFileSystem : public ::testing::Test {
protected:
    DriveTree work{"C:\\Work"};
    DriveTree share{"D:\\Share"};
    LocalFileSystem fs;
};

std::uint64_t WrittenAt(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(::GetFileAttributesExW(orvalen::platform::windows::Wide(path).c_str(), GetFileExInfoStandard, &data))
        << path;
    return (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

TEST_F(WindowsFileSystem, failures_carryTheProgramsNumbers) {
    work.writeFile("report.doc", "figures");
    share.makeFolder("report.doc");
    const struct {
        const char* what;
        std::function<void()> step;
        int number;
    } cases[] = {
        {"missing file in an existing folder", [&] { fs.GetFile("C:\\Work\\absent.doc"); }, err::kFileNotFound},
        {"a folder looked up as a file", [&] { fs.GetFile("C:\\Work"); }, err::kFileNotFound},
        {"missing folder above a file", [&] { fs.GetFile("C:\\Work\\none\\a.doc"); }, err::kPathNotFound},
        {"missing folder", [&] { fs.GetFolder("C:\\Work\\Photos"); }, err::kPathNotFound},
        {"a file looked up as a folder", [&] { fs.GetFolder("C:\\Work\\report.doc"); }, err::kPathNotFound},
        {"missing drive", [&] { fs.GetFolder("Q:\\Share"); }, err::kPathNotFound},
        {"folder that exists", [&] { fs.CreateFolder("D:\\Share"); }, err::kFileAlreadyExists},
        {"folder without its parent", [&] { fs.CreateFolder("D:\\Share\\a\\b"); }, err::kPathNotFound},
        {"folder on a missing drive", [&] { fs.CreateFolder("Q:\\new"); }, err::kPathNotFound},
        {"copy onto a folder", [&] { fs.Copy(fs.GetFile(work.path("report.doc")), "D:\\Share\\report.doc"); },
         err::kPermissionDenied},
        {"copy into a missing folder", [&] { fs.Copy(fs.GetFile(work.path("report.doc")), "D:\\Share\\x\\r.doc"); },
         err::kPathNotFound},
    };
    for (const auto& c : cases) EXPECT_EQ(RuntimeNumberOf(c.step), c.number) << c.what;
}

TEST_F(WindowsFileSystem, fileCopy_replacesTheCopy_keepsItsTime_andLeavesNoTemporaryFile) {
    const std::string source = work.writeFile("Résumé ☃.doc", "quarterly figures");
    ::Sleep(20);
    share.writeFile("Résumé ☃.doc", "old");
    fs.Copy(fs.GetFile(source), share.path("Résumé ☃.doc"));
    EXPECT_EQ(DriveTree::readFile(share.path("Résumé ☃.doc")), "quarterly figures");
    EXPECT_EQ(WrittenAt(source), WrittenAt(share.path("Résumé ☃.doc")));
    EXPECT_EQ(DriveTree::entryNames(share.root()), std::vector<std::string>{"Résumé ☃.doc"});
}

TEST_F(WindowsFileSystem, folderCopy_fillsTheCopy_keepsExtras_andCountsEveryFile) {
    const std::string photos = work.makeFolder("Photos");
    work.writeFile("Photos\\a.jpg", "aaaa");
    work.writeFile("Photos\\deep\\deeper\\b.jpg", "bb");
    // Beyond the 260 characters of a classic Windows path.
    std::string deep = "Photos";
    for (int level = 0; level < 30; ++level) deep += "\\level-" + std::to_string(1000 + level);
    work.writeFile(deep + "\\c.jpg", "c");
    share.writeFile("Photos\\a.jpg", "changed");
    share.writeFile("Photos\\extra.txt", "mine");
    fs.Copy(fs.GetFolder(photos), "D:\\Share\\Photos");
    EXPECT_EQ(DriveTree::readFile("D:\\Share\\Photos\\a.jpg"), "aaaa");
    EXPECT_EQ(DriveTree::readFile("D:\\Share\\Photos\\deep\\deeper\\b.jpg"), "bb");
    EXPECT_EQ(DriveTree::readFile("D:\\Share\\Photos\\extra.txt"), "mine");
    EXPECT_EQ(DriveTree::readFile(share.path(deep + "\\c.jpg")), "c");
    EXPECT_EQ(fs.Size(fs.GetFolder(photos)), 7u);
    EXPECT_EQ(fs.Size(fs.GetFolder("D:\\Share\\Photos")), 11u);
}

TEST_F(WindowsFileSystem, folderCopy_leavesAFileWhereAFolderBelongs) {
    const std::string photos = work.makeFolder("Photos");
    work.writeFile("Photos\\deep\\b.jpg", "bb");
    share.writeFile("Photos\\deep", "someone's file");
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(fs.GetFolder(photos), "D:\\Share\\Photos"); }),
              err::kFileAlreadyExists);
    EXPECT_EQ(DriveTree::readFile("D:\\Share\\Photos\\deep"), "someone's file");
}

TEST_F(WindowsFileSystem, fullDisk_fails61_andLeavesThePreviousCopyAlone) {
    if (!(::GetLogicalDrives() & (1u << ('G' - 'A')))) GTEST_SKIP() << "no small disk mapped at G: (needs root)";
    DriveTree::clear("G:\\");
    DriveTree small{"G:\\Share"};
    small.writeFile("big.bin", "previous");
    const std::string source = work.writeFile("big.bin", std::string(256 * 1024, 'x'));
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(fs.GetFile(source), "G:\\Share\\big.bin"); }), err::kDiskFull);
    EXPECT_EQ(DriveTree::readFile("G:\\Share\\big.bin"), "previous");
    EXPECT_EQ(DriveTree::entryNames(small.root()), std::vector<std::string>{"big.bin"});
}
